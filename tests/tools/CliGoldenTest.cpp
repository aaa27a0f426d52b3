// quorlin-validate run as a process on golden cases, and its --output file.
//
// Every directory below cases/ is one case: args.txt holds the arguments, one a line, and
// expected.txt the exit status, standard output and standard error. In both, @SRC@ stands for
// the source tree, @BUILD@ for the build tree and @SCRATCH@ for a fresh directory. Rewriting the
// expected files from the current output is a deliberate act, to be reviewed with `git diff`:
//   QUORLIN_UPDATE_GOLDEN=1 ctest --test-dir BUILD -R CliGolden
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "tests/support/ChildProcess.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

namespace fs = std::filesystem;

const std::string kSource = QUORLIN_SOURCE_DIR;
const fs::path kCaseRoot = kSource + "/tests/tools/cases";

// `text` with every `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
    text.replace(at, from.size(), to), at += to.size();
  return text;
}

struct Places {
  std::string scratch;
  // Longest first: the build tree lies inside the source tree.
  std::vector<std::pair<std::string, std::string>> names() const {
    return {{scratch, "@SCRATCH@"}, {QUORLIN_BINARY_DIR, "@BUILD@"}, {kSource, "@SRC@"}};
  }
  std::string expand(std::string text) const {
    for (const auto& [path, name] : names())
      text = replaced(text, name, path);
    return text;
  }
  std::string abbreviate(std::string text) const {
    for (const auto& [path, name] : names())
      text = replaced(text, path, name);
    return text;
  }
};

class CliGolden : public testing::TestWithParam<std::string> {};

TEST_P(CliGolden, OutputMatchesExpectedFile) {
  const fs::path dir = kCaseRoot / GetParam();
  ScratchDir scratch;
  const Places places{scratch.path()};
  std::vector<std::string> args;
  std::istringstream lines(readBytes((dir / "args.txt").string()));
  for (std::string line; std::getline(lines, line);)
    args.push_back(places.expand(line));
  const ChildResult run = runProgram(QUORLIN_VALIDATE_PATH, args);
  const std::string actual =
      places.abbreviate(run.describe() + "\n--- stdout\n" + run.out + "--- stderr\n" + run.err);
  EXPECT_EQ(expectedText((dir / "expected.txt").string(), actual), actual);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliGolden, testing::ValuesIn(caseNames(kCaseRoot.string())),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

// The file named by --output is replaced whole or not at all, and no temporary file stays.
TEST(Output, IsWholeOrUntouched) {
  ScratchDir dir;
  const std::string target = dir.at("report.json");
  const std::string plant = kSource + "/examples/plant.dpl";
  const std::string invalid = kSource + "/examples/invalid.cfg";
  auto run = [&](const std::string& output, const std::string& dpList) {
    return runProgram(QUORLIN_VALIDATE_PATH,
                      {"--format", "json", "--output", output, "--dp-list", dpList, invalid});
  };
  ChildResult written = run(target, plant);
  EXPECT_TRUE(written.exitedWith(1) && written.out.empty()) << written.describe();
  EXPECT_EQ(readBytes(target).substr(0, 2), "{\n");
  EXPECT_EQ(readBytes(target).back(), '\n');
  writeBytes(target, "previous");
  EXPECT_TRUE(run(target, "/nonexistent.dpl").exitedWith(2));
  EXPECT_EQ(readBytes(target), "previous");
}

TEST(Output, LeavesNoTemporaryFileAfterAFailedWrite) {
  ScratchDir dir;
  // Renaming the written file over a directory that holds a file fails after the write.
  ASSERT_EQ(mkdir(dir.at("report").c_str(), 0755), 0);
  writeBytes(dir.at("report/kept"), "");
  ChildResult failed = runProgram(
      QUORLIN_VALIDATE_PATH, {"--output", dir.at("report"), "--dp-list",
                              kSource + "/examples/plant.dpl", kSource + "/examples/valid.cfg"});
  EXPECT_TRUE(failed.exitedWith(2)) << failed.describe();
  EXPECT_NE(failed.err.find("report: error: cannot write output"), std::string::npos) << failed.err;
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    left.push_back(entry.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"report"});
}

}  // namespace
}  // namespace trel::quorlinsrv::test
