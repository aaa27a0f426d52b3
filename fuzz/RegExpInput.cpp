// The regular-expression input: the bytes as the pattern of the module's function 5.
#include <regex>
#include <string>
#include <string_view>

#include "fuzz/FuzzInputs.hpp"
#include "fuzz/LoadedModule.hpp"
#include "fuzz/RuleCheck.hpp"

namespace trel::quorlinsrv::fuzz {

std::string runRegExpInput(std::string_view bytes) {
  const ModuleSession& module = loadedModule();
  const std::string pattern(bytes);
  bool valid = false;
  std::string message;
  std::string error;
  if (!module.checkRegExp(pattern, valid, message, error)) {
    return "function 5: " + error;
  }
  RuleCheck rules;
  rules.require(valid == message.empty(), "result and message disagree", message);
  // Unless the module found the pattern too deep for this thread's stack, its answer is the
  // library's own.
  const std::string tooDeep = std::regex_error(std::regex_constants::error_space).what();
  if (message != tooDeep) {
    std::string library;
    try {
      const std::regex compiled(pattern.c_str(), std::regex::ECMAScript);
    } catch (const std::regex_error& failure) {
      library = failure.what();
    }
    rules.require(message == library, "the answer is not the library's", library);
  }
  // The pattern ends at its first NUL, so the bytes up to it must give the same answer.
  const std::size_t nul = pattern.find('\0');
  if (pattern.empty() || nul == 0) {
    rules.require(valid, "an empty pattern is refused", message);
  } else if (nul != std::string::npos) {
    bool validBeforeNul = false;
    std::string messageBeforeNul;
    if (!module.checkRegExp(pattern.substr(0, nul), validBeforeNul, messageBeforeNul, error)) {
      return "function 5: " + error;
    }
    rules.require(valid == validBeforeNul && message == messageBeforeNul,
                  "bytes after a NUL change the answer");
  }
  return rules.broken();
}

}  // namespace trel::quorlinsrv::fuzz
