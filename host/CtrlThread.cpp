#include "host/CtrlThread.hpp"

CtrlThread::CtrlThread(CharString scriptText) : scriptText_(std::move(scriptText)) {}

CtrlThread::~CtrlThread() = default;

void CtrlThread::appendLastError(const ErrClass* error) {
  if (error != nullptr)
    lastErrors_.push_back(*error);
}
