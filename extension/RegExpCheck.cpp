// The script function that tells whether a text is a valid regular expression.
#include <cstddef>
#include <exception>
#include <iterator>
#include <regex>
#include <string_view>
#include <vector>

#include "extension/QuorlinServerConfigValidator.hpp"

namespace trel::quorlinsrv {

namespace {

// The standard library compiles a pattern by recursive descent: one level of recursion for each
// term of an alternative and about five for each group that is open. Patterns whose recursion
// would pass this budget (about 1 MiB of stack in an optimised build, a third of the smallest
// stack a host thread gets) are refused before compiling, as too big to compile; so are counts
// and back-references of more digits than an int holds, which the library would overflow.
constexpr std::size_t kRecursionBudget = 10000;
constexpr std::size_t kGroupCost = 5;
constexpr std::size_t kMaxNumberDigits = 9;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The number of digits from `at` on.
std::size_t digitRun(std::string_view pattern, std::size_t at) {
  std::size_t end = at;
  while (end < pattern.size() && isDigit(pattern[end])) {
    ++end;
  }
  return end - at;
}

// The position just past the bracket expression that starts at `at` (after its "[").
std::size_t bracketEnd(std::string_view pattern, std::size_t at) {
  while (at < pattern.size()) {
    const char c = pattern[at];
    if (c == ']') {
      return at + 1;
    }
    if (c == '\\') {
      at += 2;
    } else if (c == '[' && at + 1 < pattern.size() &&
               std::string_view(":.=").find(pattern[at + 1]) != std::string_view::npos) {
      // A class name like [:alpha:] ends only at its own closing pair.
      const char closing[] = {pattern[at + 1], ']', '\0'};
      const std::size_t end = pattern.find(closing, at + 2);
      at = end == std::string_view::npos ? pattern.size() : end + 2;
    } else {
      ++at;
    }
  }
  return at;
}

// Throws the library's error for a pattern beyond what it compiles safely; returns otherwise.
void checkCompileLimits(std::string_view pattern) {
  std::vector<std::size_t> openGroups;  // depth before each open group
  std::size_t depth = 0;
  std::size_t at = 0;
  while (at < pattern.size()) {
    const char c = pattern[at++];
    if (c == '(') {
      openGroups.push_back(depth);
      depth += kGroupCost;
    } else if (c == ')') {
      if (!openGroups.empty()) {
        depth = openGroups.back() + 1;
        openGroups.pop_back();
      }
    } else if (c == '|') {
      depth = openGroups.empty() ? 0 : openGroups.back() + kGroupCost;
    } else if (c == '{') {
      while (at < pattern.size() && (isDigit(pattern[at]) || pattern[at] == ',')) {
        const std::size_t digits = digitRun(pattern, at);
        if (digits > kMaxNumberDigits) {
          throw std::regex_error(std::regex_constants::error_space);
        }
        at += digits == 0 ? 1 : digits;
      }
    } else {
      if (c == '[') {
        at = bracketEnd(pattern, at);
      } else if (c == '\\' && at < pattern.size()) {
        const std::size_t digits = digitRun(pattern, at);
        if (digits > kMaxNumberDigits) {
          throw std::regex_error(std::regex_constants::error_backref);
        }
        at += digits == 0 ? 1 : digits;
      }
      ++depth;
    }
    if (depth > kRecursionBudget) {
      throw std::regex_error(std::regex_constants::error_space);
    }
  }
}

}  // namespace

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
    checkCompileLimits(text);
    // Compiled only to learn whether it compiles; never used for matching.
    const std::regex compiled(text, std::regex::ECMAScript);
  } catch (const std::exception& error) {
    errorText->setValue(CharString(error.what()));
    return -1;
  }
  return 0;
}

}  // namespace trel::quorlinsrv
