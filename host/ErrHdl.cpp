#include "host/ErrHdl.hpp"

#include <cstddef>
#include <cstdio>
#include <mutex>

namespace {

// The names of the priorities and of the error types, in the order of their enumerations.
const char* const kPriorityNames[] = {"FATAL", "SEVERE", "WARNING", "INFO"};
const char* const kTypeNames[] = {"IMPL", "PARAM", "SYSTEM", "CTRL", "REDU"};

// The name of code `code` in `names`, or `unknown` for a code outside the enumeration.
template <std::size_t N>
const char* nameOf(const char* const (&names)[N], int code, const char* unknown) {
  return code >= 0 && static_cast<std::size_t>(code) < N ? names[code] : unknown;
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
  return std::string(nameOf(kPriorityNames, priority_, "PRIO?")) + ", " +
         nameOf(kTypeNames, type_, "TYPE?") + ", " + std::to_string(code_) + ", " +
         oneLine(note1_) + ", " + oneLine(note2_) + ", " + oneLine(note3_);
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
