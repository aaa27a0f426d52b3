// Test helpers: collecting the errors the module reports to the host, and checking them.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "host/CtrlThread.hpp"
#include "host/ErrHdl.hpp"

namespace trel::quorlinsrv::test {

// Collects every error that reaches the host's error handler while it lives.
class ErrorSink {
 public:
  ErrorSink() {
    previous_ = ErrHdl::setSink([this](const ErrClass& error) {
      std::lock_guard<std::mutex> lock(mutex_);
      errors.push_back(error);
    });
  }
  ~ErrorSink() { ErrHdl::setSink(previous_); }

  std::mutex mutex_;
  std::vector<ErrClass> errors;
  ErrHdl::Sink previous_;
};

// One error as the module must report it.
struct ExpectedError {
  ErrPrio priority;
  ErrType type;
  unsigned code;
  std::string message;
};

inline void expectError(const ErrClass& error, const ExpectedError& expected,
                        const std::string& scriptText, const std::string& funcName) {
  EXPECT_EQ(error.getPriority(), expected.priority);
  EXPECT_EQ(error.getErrType(), expected.type);
  EXPECT_EQ(error.getErrorId(), expected.code);
  EXPECT_EQ(error.getNote1().str(), scriptText);
  EXPECT_EQ(error.getNote2().str(), funcName);
  EXPECT_EQ(error.getNote3().str(), expected.message);
}

// Exactly `expected` (or nothing, when null) went to the error handler and the thread's last
// errors since the last check, which both are emptied for the next one.
inline void expectReport(ErrorSink& sink, CtrlThread& thread, const std::string& funcName,
                         const ExpectedError* expected) {
  const std::size_t count = expected != nullptr ? 1 : 0;
  EXPECT_EQ(sink.errors.size(), count) << "errors sent to the error handler";
  EXPECT_EQ(thread.getLastErrors().size(), count) << "errors on the thread's last-error list";
  if (expected != nullptr && sink.errors.size() == 1 && thread.getLastErrors().size() == 1) {
    const std::string scriptText = thread.getScriptText().str();
    expectError(sink.errors.front(), *expected, scriptText, funcName);
    expectError(thread.getLastErrors().front(), *expected, scriptText, funcName);
  }
  sink.errors.clear();
  thread.clearLastErrors();
}

}  // namespace trel::quorlinsrv::test
