// The script function that tells whether a text is a valid regular expression.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <iterator>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "extension/QuorlinServerConfigValidator.hpp"
#include "platform/Stack.hpp"

namespace trel::quorlinsrv {

namespace {

// The standard library compiles a pattern by recursive descent: every term of an alternative one
// level below the term before it, every group its own set of levels below the term that holds it.
// That recursion cannot be stopped from outside, so a pattern whose compilation could run past
// the calling thread's stack is refused before compiling, with the library's own error for a
// pattern too big to compile.
//
// Stack per level, measured once for libstdc++ 12 on x86-64 by painting a thread's stack and
// compiling 1,000 and 3,000 levels of each shape (a group's figure is the dearest kind, a
// lookahead; terms of every kind, escapes and bracket expressions cost the same):
//   build                                  base       per term   per group
//   GCC -O2 -g (default) and -O3 (bench)   7.3 KiB    96 B       480 and 560 B
//   GCC -O2 + ThreadSanitizer              -          144 B      624 B
//   GCC -O0 + AddressSanitizer, UBSan      10.5 KiB   320 B      1152 B
//   clang -O2                              7.0 KiB    64 B       272 B
//   clang -O2 + ASan, UBSan (fuzzing)      11.1 KiB   480 B      1824 B
//   MinGW-w64 GCC -O3, Windows x64         -          160 B      880 B
// (Windows: the deepest pattern of each shape that compiled on the 2 MiB main thread under Wine,
// 13,013 terms and 2,385 lookaheads, the base counted in.) Each build takes the dearest figures of
// its kind; an unoptimised build those of the sanitised GCC build. The costs used are half again as
// much.
struct LevelCosts {
  std::size_t base;
  std::size_t term;
  std::size_t group;
};

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUORLIN_SANITIZED_STACK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define QUORLIN_SANITIZED_STACK 1
#endif
#endif

#if defined(QUORLIN_SANITIZED_STACK) && defined(__clang__)
constexpr LevelCosts kMeasured = {12 << 10, 480, 1824};
#elif defined(QUORLIN_SANITIZED_STACK) || !defined(__OPTIMIZE__)
constexpr LevelCosts kMeasured = {11 << 10, 320, 1152};
#elif defined(_WIN32)
constexpr LevelCosts kMeasured = {8 << 10, 160, 880};
#else
constexpr LevelCosts kMeasured = {8 << 10, 96, 560};
#endif

constexpr LevelCosts kCosts = {kMeasured.base * 3 / 2, kMeasured.term * 3 / 2,
                               kMeasured.group * 3 / 2};

// What stays free on top of the compiler's levels: the unwinder when the library throws from deep
// down, a signal handler.
constexpr std::size_t kReserve = std::size_t{64} << 10;

// The position just past the bracket expression whose content starts at `at`: its content is read
// in a loop, not by recursion, so it is one term; a ")" or "|" inside it is no structure.
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

// The most stack, beyond its base, that the compiler holds at once for `pattern`. Every character
// outside a bracket expression and a group's opening counts as a term of its own, so that "{2,5}"
// or an escape is counted high, never low; only "(", ")" and "|" change the level, as in the
// library.
std::size_t deepestLevel(std::string_view pattern) {
  std::vector<std::size_t> enclosing;  // the level before each open group
  std::size_t level = 0;
  std::size_t deepest = 0;
  for (std::size_t at = 0; at < pattern.size(); ++at) {
    const char c = pattern[at];
    if (c == '(') {
      enclosing.push_back(level);
      level += kCosts.group;
      // "(?:", "(?=" and "(?!" open a group too; after any other "(?" the library stops.
      if (at + 1 < pattern.size() && pattern[at + 1] == '?') {
        at += 2;
      }
    } else if (c == ')' && !enclosing.empty()) {
      // The closed group is one term of the alternative around it.
      level = enclosing.back() + kCosts.term;
      enclosing.pop_back();
    } else if (c == '|') {
      // The next alternative starts again where its group's levels end.
      level = enclosing.empty() ? 0 : enclosing.back() + kCosts.group;
    } else {
      if (c == '[') {
        at = bracketEnd(pattern, at + 1) - 1;
      } else if (c == '\\') {
        ++at;  // the escaped character is no structure
      }
      level += kCosts.term;
    }
    deepest = deepest > level ? deepest : level;
  }
  return deepest;
}

// Throws the library's own error for "too big to compile" when compiling `pattern` on this thread
// could exhaust its stack.
void refuseWhatWouldExhaustTheStack(std::string_view pattern) {
  const std::size_t needed = kCosts.base + deepestLevel(pattern) + kReserve;
  const char here = 0;
  if (needed > platform::freeStackBelow(&here)) {
    throw std::regex_error(std::regex_constants::error_space);
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
    refuseWhatWouldExhaustTheStack(text);
    // Compiled only to learn whether it compiles; never used for matching.
    const std::regex compiled(text, std::regex::ECMAScript);
  } catch (const std::exception& error) {
    errorText->setValue(CharString(error.what()));
    return -1;
  }
  return 0;
}

}  // namespace trel::quorlinsrv
