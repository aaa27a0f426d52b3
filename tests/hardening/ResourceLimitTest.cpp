// Inputs that exhaust a resource: patterns too deep or too big for the regular-expression
// compiler's stack, and validation under an address-space limit too small for the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "fuzz/LoadedModule.hpp"
#include "tests/support/ChildProcess.hpp"
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

std::string libraryText(std::regex_constants::error_type code) {
  return std::regex_error(code).what();
}

struct PatternCase {
  const char* name;
  std::string pattern;
  std::string message;  // "" for a pattern that compiles
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

const std::string kTooBig = libraryText(std::regex_constants::error_space);
const std::string kBadBackref = libraryText(std::regex_constants::error_backref);

class PathologicalPattern : public ::testing::TestWithParam<PatternCase> {
 protected:
  static void SetUpTestSuite() { fuzz::loadedModule(); }
};

// Each in a child, so that a stack overflow fails the case instead of ending the test run.
TEST_P(PathologicalPattern, GivesTheResultOrTheLibrarysErrorWithoutCrashing) {
  const PatternCase& c = GetParam();
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
  EXPECT_EQ(child.out, (c.message.empty() ? "valid\n" : "invalid\n" + c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, PathologicalPattern,
    ::testing::Values(
        PatternCase{"groups_nested_100000", nested("(", 100000), kTooBig},
        PatternCase{"noncapturing_nested_100000", nested("(?:", 100000), kTooBig},
        PatternCase{"lookaheads_nested_100000", nested("(?=", 100000), kTooBig},
        PatternCase{"unbalanced_100000_open", repeated("(", 100000), kTooBig},
        PatternCase{"terms_200000", repeated("a", 200000), kTooBig},
        PatternCase{"groups_after_alternatives", repeated("a|", 50000) + nested("(", 3000),
                    kTooBig},
        PatternCase{"count_of_20_digits", "a{99999999999999999999}", kTooBig},
        PatternCase{"backreference_of_20_digits", "(a)\\99999999999999999999", kBadBackref},
        PatternCase{"groups_nested_1500", nested("(", 1500), ""},
        PatternCase{"terms_9000", repeated("a", 9000), ""},
        PatternCase{"alternatives_5000", manyAlternatives(), ""},
        PatternCase{"brackets_hide_parentheses", repeated("[)|]", 3000) + nested("(", 100), ""},
        PatternCase{"count_of_9_digits_is_the_librarys_to_refuse", "a{999999999}",
                    "Number of NFA states exceeds limit. Please use shorter regex string, or "
                    "use smaller brace expression, or make _GLIBCXX_REGEX_STATE_LIMIT larger."}),
    [](const ::testing::TestParamInfo<PatternCase>& info) { return std::string(info.param.name); });

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
// named nor its temporary file.
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
  for (const char* format : {"text", "json"}) {
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
