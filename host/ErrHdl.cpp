#include "host/ErrHdl.hpp"

#include <cstdio>
#include <mutex>

namespace {

const char* priorityName(ErrPrio priority) {
  switch (priority) {
    case PRIO_FATAL:
      return "FATAL";
    case PRIO_SEVERE:
      return "SEVERE";
    case PRIO_WARNING:
      return "WARNING";
    case PRIO_INFO:
      return "INFO";
  }
  return "PRIO?";
}

const char* typeName(ErrType type) {
  switch (type) {
    case ERR_IMPL:
      return "IMPL";
    case ERR_PARAM:
      return "PARAM";
    case ERR_SYSTEM:
      return "SYSTEM";
    case ERR_CONTROL:
      return "CTRL";
    case ERR_REDUNDANCY:
      return "REDU";
  }
  return "TYPE?";
}

std::string oneLine(const CharString& note) {
  std::string text = note.str();
  for (char& c : text) {
    if (c == '\n' || c == '\r')
      c = ' ';
  }
  return text;
}

std::mutex sinkMutex;
ErrHdl::Sink& installedSink() {
  static ErrHdl::Sink sink;
  return sink;
}

}  // namespace

ErrClass::ErrClass(ErrPrio priority, ErrType type, unsigned code, const CharString& note1,
                   const CharString& note2, const CharString& note3)
    : priority_(priority), type_(type), code_(code), note1_(note1), note2_(note2), note3_(note3) {}

ErrClass::~ErrClass() = default;

std::string ErrClass::toLine() const {
  return std::string(priorityName(priority_)) + ", " + typeName(type_) + ", " +
         std::to_string(code_) + ", " + oneLine(note1_) + ", " + oneLine(note2_) + ", " +
         oneLine(note3_);
}

void ErrHdl::error(const ErrClass& error) {
  Sink sink;
  {
    std::lock_guard<std::mutex> lock(sinkMutex);
    sink = installedSink();
  }
  if (sink) {
    sink(error);
    return;
  }
  std::string line = error.toLine() + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

ErrHdl::Sink ErrHdl::setSink(Sink sink) {
  std::lock_guard<std::mutex> lock(sinkMutex);
  Sink previous = std::move(installedSink());
  installedSink() = std::move(sink);
  return previous;
}
