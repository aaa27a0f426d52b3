// The host's error reports: one error (ErrClass) and the process-wide error handler (ErrHdl).
#pragma once

#include <functional>
#include <string>

#include "host/CharString.hpp"
#include "host/HostApi.hpp"

enum ErrPrio { PRIO_FATAL = 0, PRIO_SEVERE = 1, PRIO_WARNING = 2, PRIO_INFO = 3 };
enum ErrType { ERR_IMPL = 0, ERR_PARAM = 1, ERR_SYSTEM = 2, ERR_CONTROL = 3, ERR_REDUNDANCY = 4 };

class HOST_API ErrClass {
 public:
  ErrClass(ErrPrio priority, ErrType type, unsigned code, const CharString& note1 = CharString(),
           const CharString& note2 = CharString(), const CharString& note3 = CharString());
  ErrClass(const ErrClass&) = default;
  ErrClass& operator=(const ErrClass&) = default;
  virtual ~ErrClass();

  // One line: "PRIORITY, TYPE, code, note1, note2, note3" (line feeds in notes become blanks).
  std::string toLine() const;

 private:
  ErrPrio priority_;
  ErrType type_;
  unsigned code_;
  CharString note1_;
  CharString note2_;
  CharString note3_;
};

class HOST_API ErrHdl {
 public:
  using Sink = std::function<void(const ErrClass&)>;

  // Reports one error: by default as one line on standard error, else to the installed sink.
  static void error(const ErrClass& error);

  // Installs `sink` (an empty one restores the default) and returns the one it replaces.
  // Safe to call from any thread; a sink may be called from several threads at once.
  static Sink setSink(Sink sink);
};
