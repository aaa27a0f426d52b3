// The script function that tells whether a text is a valid regular expression.
#include <exception>
#include <iterator>
#include <regex>

#include "extension/QuorlinServerConfigValidator.hpp"

namespace trel::quorlinsrv {

int QuorlinServerConfigValidator::checkRegExp(ExecuteCallRec& call) {
  TextVar pattern;
  Variable* errMsg = nullptr;
  const ArgumentDescription args[] = {{"sRegExp", TEXT_VAR, &pattern, nullptr},
                                      {"sErrMsg", TEXT_VAR, nullptr, &errMsg}};
  if (!fetchArguments(call, args, std::size(args))) {
    return -1;
  }
  auto* errorText = dynamic_cast<TextVar*>(errMsg);
  if (errorText == nullptr) {
    return -1;  // unreachable: only a TextVar has the string type that was checked
  }
  errorText->setValue(CharString());
  const char* text = pattern;  // the pattern ends at its first NUL
  if (*text == '\0') {
    return 0;
  }
  try {
    // Compiled only to learn whether it compiles; never used for matching.
    const std::regex compiled(text, std::regex::ECMAScript);
  } catch (const std::exception& error) {
    errorText->setValue(CharString(error.what()));
    return -1;
  }
  return 0;
}

}  // namespace trel::quorlinsrv
