// The script function that tells whether a text is a valid regular expression.
#include <pthread.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <iterator>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "extension/QuorlinServerConfigValidator.hpp"

namespace trel::quorlinsrv {

namespace {

// The standard library compiles a pattern by recursive descent: one frame per term of an
// alternative, and a deeper set of frames per open group. That recursion cannot be stopped from
// outside, so a pattern whose compilation would run past the calling thread's stack is refused
// before compiling. The stack it needs is estimated from costs measured once for this library and
// this build, on a thread of our own.
struct CompileStackCosts {
  std::size_t base = 0;   // compiling a one-character pattern
  std::size_t term = 0;   // each further term of an alternative
  std::size_t group = 0;  // each further open group, the dearest kind (a lookahead)
};

// What the measurement thread compiles, and how deep its stack was written.
struct Probe {
  std::string pattern;
};

void* compileProbe(void* probe) {
  try {
    const std::regex compiled(static_cast<Probe*>(probe)->pattern, std::regex::ECMAScript);
  } catch (const std::exception&) {
  }
  return nullptr;
}

// The bytes of its stack a fresh thread writes while compiling `pattern`: its stack is painted
// first, and the deepest byte that changed tells. 0 when the thread cannot be started.
__attribute__((no_sanitize("address"))) std::size_t stackUsedToCompile(std::string pattern) {
  constexpr std::size_t kStackSize = std::size_t{8} << 20;
  constexpr unsigned char kPaint = 0xA5;
  void* memory = mmap(nullptr, kStackSize, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (memory == MAP_FAILED) {
    return 0;
  }
  auto* stack = static_cast<unsigned char*>(memory);
  std::memset(stack, kPaint, kStackSize);
  Probe probe{std::move(pattern)};
  pthread_attr_t attributes;
  pthread_t thread;
  bool ran = pthread_attr_init(&attributes) == 0;
  ran = ran && pthread_attr_setstack(&attributes, stack, kStackSize) == 0 &&
        pthread_create(&thread, &attributes, compileProbe, &probe) == 0 &&
        pthread_join(thread, nullptr) == 0;
  pthread_attr_destroy(&attributes);
  std::size_t untouched = 0;
  while (ran && untouched < kStackSize && stack[untouched] == kPaint) {
    ++untouched;
  }
  munmap(memory, kStackSize);
  return ran ? kStackSize - untouched : 0;
}

std::string lookaheads(std::size_t depth) {
  std::string pattern;
  for (std::size_t i = 0; i < depth; ++i) {
    pattern += "(?=";
  }
  return pattern + "a" + std::string(depth, ')');
}

CompileStackCosts measureCompileStackCosts() {
  // Two sizes of each shape: the difference is the cost of one more term or group, free of the
  // thread's fixed share (its TLS, the compiler's first frames).
  constexpr std::size_t kSmall = 200;
  constexpr std::size_t kLarge = 400;
  CompileStackCosts costs;
  costs.base = stackUsedToCompile("a");
  const std::size_t terms[] = {stackUsedToCompile(std::string(kSmall, 'a')),
                               stackUsedToCompile(std::string(kLarge, 'a'))};
  const std::size_t groups[] = {stackUsedToCompile(lookaheads(kSmall)),
                                stackUsedToCompile(lookaheads(kLarge))};
  if (costs.base == 0 || terms[1] <= terms[0] || groups[1] <= groups[0]) {
    // No thread could be started: assume four times what an optimised build measures.
    return {64 << 10, 4 * 96, 4 * 464};
  }
  costs.term = (terms[1] - terms[0] + kLarge - kSmall - 1) / (kLarge - kSmall);
  costs.group = (groups[1] - groups[0] + kLarge - kSmall - 1) / (kLarge - kSmall);
  return costs;
}

const CompileStackCosts& compileStackCosts() {
  static const CompileStackCosts costs = measureCompileStackCosts();
  return costs;
}

// The position just past the bracket expression that starts at `at` (after its "["): its
// content is read in a loop, not by recursion, so it counts as one term.
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

std::size_t digitsEnd(std::string_view pattern, std::size_t at) {
  while (at < pattern.size() &&
         ((pattern[at] >= '0' && pattern[at] <= '9') || pattern[at] == ',')) {
    ++at;
  }
  return at;
}

// The most stack the library's compiler holds at once for `pattern`, beyond its base: the terms
// still open in every enclosing alternative plus the frames of every open group.
std::size_t compileStackEstimate(std::string_view pattern, const CompileStackCosts& costs) {
  std::vector<std::size_t> enclosing;  // the depth in bytes before each open group
  std::size_t depth = 0;
  std::size_t deepest = 0;
  std::size_t at = 0;
  while (at < pattern.size()) {
    const char c = pattern[at++];
    if (c == '(') {
      enclosing.push_back(depth);
      depth += costs.group;
    } else if (c == ')') {
      // The closed group is one term of the alternative around it.
      if (!enclosing.empty()) {
        depth = enclosing.back() + costs.term;
        enclosing.pop_back();
      }
    } else if (c == '|') {
      // The next alternative starts again where its group's frames end.
      depth = enclosing.empty() ? 0 : enclosing.back() + costs.group;
    } else {
      if (c == '[') {
        at = bracketEnd(pattern, at);
      } else if (c == '{') {
        at = digitsEnd(pattern, at);
      } else if (c == '\\' && at < pattern.size()) {
        at = std::max(at + 1, digitsEnd(pattern, at));
      }
      depth += costs.term;
    }
    deepest = std::max(deepest, depth);
  }
  return deepest;
}

// The bytes of the calling thread's stack still free below this frame; 0 when unknown.
std::size_t freeStackBelowHere() {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) {
    return 0;
  }
  void* lowest = nullptr;
  std::size_t size = 0;
  std::size_t guard = 0;
  const bool known = pthread_attr_getstack(&attributes, &lowest, &size) == 0 &&
                     pthread_attr_getguardsize(&attributes, &guard) == 0;
  pthread_attr_destroy(&attributes);
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  const auto low = reinterpret_cast<std::uintptr_t>(lowest) + guard;
  return known && here > low ? here - low : 0;
}

// Throws the library's own error for "too big to compile" when compiling `pattern` on this thread
// could exhaust its stack. The margin covers what the estimate leaves out: frames of other shapes,
// the unwinder when the library throws from deep down, a signal handler.
void refuseWhatWouldExhaustTheStack(std::string_view pattern) {
  constexpr std::size_t kReserve = std::size_t{64} << 10;
  const CompileStackCosts& costs = compileStackCosts();
  const std::size_t needed = costs.base + compileStackEstimate(pattern, costs);
  if (needed + needed / 4 + kReserve > freeStackBelowHere()) {
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
