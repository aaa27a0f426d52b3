// The module loaded as the host loads it, and its script functions called by name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/Findings.hpp"
#include "extension/ScriptFunctions.hpp"
#include "host/ExternModule.hpp"

namespace trel::quorlinsrv {

class ModuleSession {
 public:
  // Loads the module at `path`; null, with `error` set, when it does not load or lacks an export.
  static std::unique_ptr<ModuleSession> open(const std::string& path, std::string& error);

  const std::string& path() const { return path_; }
  std::string version() const;

  // Runs function 0, or 1 with `errorsOnly`, on `file`, which the outcome calls `*name` when given
  // (a memory file holding a config's text: the config's own name). False, with `error` set, when
  // the call was refused (the host's error handler has been told why) or its result has another
  // shape.
  bool validate(const std::string& file, bool errorsOnly, FileOutcome& outcome, std::string& error,
                const std::string* name = nullptr) const;
  // Runs one of functions 2 to 4.
  bool allowedNames(ScriptFunction function, std::vector<std::string>& names,
                    std::string& error) const;
  // Runs function 5: `valid` false with the module's message for a pattern that does not compile.
  bool checkRegExp(const std::string& pattern, bool& valid, std::string& message,
                   std::string& error) const;

 private:
  ModuleSession(std::string path, std::unique_ptr<ExternModule> module)
      : path_(std::move(path)), module_(std::move(module)) {}
  // Calls `function`, numbered by the module's own function table; false, with `error` set, when
  // the module has no such function, the host was told of a problem or the result is no integer.
  bool call(ScriptFunction function, ExprList& args, int& result, std::string& error) const;

  std::string path_;
  std::unique_ptr<ExternModule> module_;
};

}  // namespace trel::quorlinsrv
