// The host's script thread as an extension sees it: the calling script and its last errors.
#pragma once

#include <vector>

#include "host/CharString.hpp"
#include "host/ErrHdl.hpp"
#include "host/HostApi.hpp"

class HOST_API CtrlThread {
 public:
  // `scriptText` identifies the calling script in error reports (manager, script, line).
  explicit CtrlThread(CharString scriptText = CharString("stand-in host, script <unnamed>"));
  virtual ~CtrlThread();

  // The text that identifies the calling script.
  const CharString& getScriptText() const { return scriptText_; }

  // Appends a copy of `error` to the thread's last-error list (null is ignored).
  void appendLastError(const ErrClass* error);
  const std::vector<ErrClass>& getLastErrors() const { return lastErrors_; }
  void clearLastErrors() { lastErrors_.clear(); }

 private:
  CharString scriptText_;
  std::vector<ErrClass> lastErrors_;
};
