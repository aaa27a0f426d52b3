// Inputs that exhaust a resource: patterns too deep or too big for the regular-expression
// compiler's stack, and validation under an address-space limit too small for the file.
#include <gtest/gtest.h>

#include <pthread.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <string>

#include "tests/support/ChildProcess.hpp"
#include "tests/support/FuzzInputs.hpp"
#include "tests/support/LoadedModule.hpp"
#include "tests/support/SanitizerBuild.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

std::string repeated(const std::string& text, std::size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) {
    out += text;
  }
  return out;
}

std::string nested(const std::string& open, std::size_t depth, const std::string& inner = "a") {
  return repeated(open, depth) + inner + repeated(")", depth);
}

struct PatternCase {
  const char* name;
  std::string pattern;
  bool exhaustsAnyStack = false;  // far too deep for any thread: the module must refuse it
};

void PrintTo(const PatternCase& c, std::ostream* out) {
  *out << c.name;
}

std::string manyAlternatives() {
  std::string pattern = "name0";
  for (int i = 1; i < 5000; ++i) {
    pattern += "|name" + std::to_string(i);
  }
  return pattern;
}

class PathologicalPattern : public ::testing::TestWithParam<PatternCase> {
 protected:
  static void SetUpTestSuite() { fuzz::loadedModule(); }
};

// The module answers as the library does; in a child, so that a stack overflow fails the case
// instead of ending the test run.
TEST_P(PathologicalPattern, GivesTheLibrarysAnswerWithoutCrashing) {
  const PatternCase& c = GetParam();
  const std::string expected = c.exhaustsAnyStack
                                   ? std::regex_error(std::regex_constants::error_space).what()
                                   : fuzz::libraryRegExpAnswer(c.pattern);
  const ChildResult child = runInChild([&] {
    bool valid = false;
    std::string message;
    std::string error;
    if (!fuzz::loadedModule().checkRegExp(c.pattern, valid, message, error)) {
      return "refused: " + error;
    }
    return std::string(valid ? "valid" : "invalid") + "\n" + message;
  });
  ASSERT_TRUE(child.exitedWith(0)) << child.describe() << "\n" << child.err;
  EXPECT_EQ(child.out, (expected.empty() ? "valid\n" : "invalid\n" + expected));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, PathologicalPattern,
    ::testing::Values(
        PatternCase{"terms_10001", repeated("a", 10001)},
        PatternCase{"groups_nested_2001", nested("(", 2001)},
        PatternCase{"unbalanced_2001_open", repeated("(", 2001)},
        PatternCase{"lookaheads_nested_2000", nested("(?=", 2000)},
        PatternCase{"count_with_leading_zeros", "a{0000000002}"},
        PatternCase{"range_with_leading_zeros", "a{2,0000000003}"},
        PatternCase{"octal_escape_with_leading_zeros", "\\00000000001"},
        PatternCase{"backreference_with_leading_zeros", "(a)\\0000000001"},
        PatternCase{"count_of_10_digits", "a{1234567890}"},
        PatternCase{"backreference_of_11_digits", "\\99999999999"},
        PatternCase{"groups_after_alternatives", repeated("a|", 50000) + nested("(", 3000)},
        PatternCase{"alternatives_5000", manyAlternatives()},
        PatternCase{"brackets_hide_parentheses", repeated("[)|]", 3000) + nested("(", 100)},
        PatternCase{"groups_nested_1000000", nested("(", 1000000), true},
        PatternCase{"lookaheads_nested_1000000", nested("(?=", 1000000), true},
        PatternCase{"unbalanced_1000000_open", repeated("(", 1000000), true},
        PatternCase{"terms_20000000", repeated("a", 20000000), true}),
    [](const ::testing::TestParamInfo<PatternCase>& info) { return std::string(info.param.name); });

// Runs `body` on a thread of its own with a stack of `bytes`.
void runOnStack(std::size_t bytes, std::function<void()> body) {
  pthread_attr_t attributes;
  pthread_t thread;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, bytes), 0);
  const auto run = [](void* arg) -> void* {
    (*static_cast<std::function<void()>*>(arg))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, &body), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

// On a small stack, the deepest pattern of each shape that the module accepts is compiled there,
// so that a cost per level set too low overflows the stack (in a child, failing the case), and
// one level more is refused as too big. The bisection makes the thread's stack the smallest that
// the deepest accepted pattern is accepted on.
TEST(RegExpStack, DeepestAcceptedPatternCompilesOnTheSmallestStack) {
  fuzz::loadedModule();
  struct Shape {
    const char* name;
    std::string (*make)(std::size_t depth);
  };
  const Shape shapes[] = {
      {"terms", [](std::size_t depth) { return repeated("a", depth + 1); }},
      {"groups", [](std::size_t depth) { return nested("(", depth); }},
      {"lookaheads", [](std::size_t depth) { return nested("(?=", depth); }},
      {"terms_in_groups", [](std::size_t depth) { return nested("a(", depth); }},
  };
  const std::string tooBig = std::regex_error(std::regex_constants::error_space).what();
  const ChildResult child = runInChild([&] {
    std::string out;
    runOnStack(std::size_t{256} << 10, [&] {
      for (const Shape& shape : shapes) {
        std::size_t accepted = 0;
        std::size_t refused = std::size_t{1} << 16;
        std::string message;
        while (refused - accepted > 1) {
          const std::size_t depth = (accepted + refused) / 2;
          bool valid = false;
          std::string error;
          if (!fuzz::loadedModule().checkRegExp(shape.make(depth), valid, message, error)) {
            out += std::string(shape.name) + ": refused call: " + error + "\n";
            return;
          }
          (valid ? accepted : refused) = depth;
          if (!valid && message != tooBig) {
            out += std::string(shape.name) + ": " + message + "\n";
          }
        }
        out += std::string(shape.name) + (accepted >= 20 ? " deep" : " shallow") + "\n";
      }
    });
    return out;
  });
  ASSERT_TRUE(child.exitedWith(0)) << child.describe() << "\n" << child.err;
  EXPECT_EQ(child.out, "terms deep\ngroups deep\nlookaheads deep\nterms_in_groups deep\n");
}

const std::string kValidator = QUORLIN_VALIDATE_PATH;
const std::string kPlant = QUORLIN_SOURCE_DIR "/examples/plant.dpl";

std::set<std::string> namesIn(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Under an address-space limit that leaves room for an ordinary file, a file whose full result
// takes twice that makes the validator say so and exit 2, leaving no output file: neither the one
// named nor its temporary file. JSON asks for the full result; the text format asks only for the
// blocks with findings, and this file has none.
TEST(AddressSpaceLimit, ValidatorSaysOutOfMemoryAndWritesNothing) {
  if (kSanitizerBuild) {
    GTEST_SKIP() << "a sanitizer reserves terabytes of address space: RLIMIT_AS cannot work";
  }
  ScratchDir dir;
  std::string bytes = "[Stand]\n";
  for (int i = 0; i < 50000; ++i) {
    bytes += "dpe=PS1.voltage\nproperty=P" + std::to_string(i) + "\ndirection=in\nvalue=float\n";
  }
  const std::string config = dir.at("big.cfg");
  writeBytes(config, bytes);
  ChildLimits limits;
  limits.addressSpaceBytes = std::uint64_t{128} << 20;

  const ChildResult ordinary = runProgram(
      kValidator, {"--dp-list", kPlant, QUORLIN_SOURCE_DIR "/examples/valid.cfg"}, limits);
  EXPECT_TRUE(ordinary.exitedWith(0)) << ordinary.describe() << "\n" << ordinary.err;

  const std::set<std::string> before = namesIn(dir.path());
  for (const char* format : {"json"}) {
    SCOPED_TRACE(format);
    const ChildResult cli = runProgram(
        kValidator,
        {"--dp-list", kPlant, "--format", format, "--output", dir.at("report.out"), config},
        limits);
    EXPECT_TRUE(cli.exitedWith(2)) << cli.describe() << "\n" << cli.err;
    EXPECT_EQ(cli.err, "quorlin-validate: out of memory\n");
    EXPECT_EQ(cli.out, "");
    EXPECT_EQ(namesIn(dir.path()), before);
  }
}

}  // namespace
}  // namespace trel::quorlinsrv::test
