// quorlin-validate on the cases of cli_cases/: each case directory holds `cmd`, the program's
// arguments as a shell would take them (redirections and globs included), and `expected`: standard
// output, then standard error, the exit code and every file the run created, changed or removed.
// A `cmd` that starts with "$ " is a whole shell command instead, which finds the program on PATH
// as quorlin-validate: for cases that make a device or FIFO first, or send the program a signal.
// The cases run on a copy of cli_cases/ in a temporary directory, each in its own subdirectory.
// In `cmd` and `expected`, @SRC@ and @BUILD@ stand for the source and the build tree; in
// `expected`, @WORK@ for the temporary directory. Rewriting the expected files from what the
// program does is a deliberate act, to be reviewed with `git diff`:
//   QUORLIN_UPDATE_GOLDEN=1 ctest --preset default -R CliCases
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <utility>

#include "tests/support/ChildProcess.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(QUORLIN_SOURCE_DIR) / "tests/tools/cli_cases";

std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), root).string()] = readBytes(entry.path().string());
  }
  return files;
}

// What a run did, in the layout of an `expected` file.
std::string describeRun(const ChildResult& result, const std::map<std::string, std::string>& before,
                        const std::map<std::string, std::string>& after) {
  std::string text = result.out + "--- stderr\n" + result.err + "--- exit " +
                     std::to_string(result.exitedWith(result.code) ? result.code : -1) + "\n";
  for (const auto& [name, content] : after) {
    auto old = before.find(name);
    if (old == before.end())
      text += "--- new " + name + "\n" + content;
    else if (old->second != content)
      text += "--- changed " + name + "\n" + content;
  }
  for (const auto& [name, content] : before) {
    if (after.count(name) == 0)
      text += "--- removed " + name + "\n";
  }
  return text;
}

class CliCases : public testing::TestWithParam<std::string> {};

TEST_P(CliCases, MatchExpected) {
  static const ScratchDir scratch;
  static const std::string work = [] {
    fs::copy(kCases, scratch.path(), fs::copy_options::recursive);
    return scratch.path();
  }();
  const fs::path caseDir = fs::path(work) / GetParam();
  std::string cmd = readBytes((caseDir / "cmd").string());
  cmd = cmd.substr(0, cmd.find('\n'));
  for (const auto& [name, path] : {std::pair<std::string, std::string>{"@SRC@", QUORLIN_SOURCE_DIR},
                                   {"@BUILD@", QUORLIN_BINARY_DIR}}) {
    for (std::size_t at = cmd.find(name); at != std::string::npos; at = cmd.find(name, at))
      cmd.replace(at, name.size(), path);
  }
  auto before = snapshot(work);
  std::string shell = cmd.compare(0, 2, "$ ") == 0
                          ? "cd \"$0\" && PATH=\"${1%/*}:$PATH\" && " + cmd.substr(2)
                          : "cd \"$0\" && exec \"$1\" " + cmd;
  ChildResult result =
      runProgram("/bin/sh", {"-c", shell, caseDir.string(), QUORLIN_VALIDATE_PATH});
  auto after = snapshot(work);
  // Paths that differ from one machine or run to the next.
  std::string actual = describeRun(result, before, after);
  for (const auto& [path, name] : {std::pair<std::string, std::string>{work, "@WORK@"},
                                   {QUORLIN_BINARY_DIR, "@BUILD@"},
                                   {QUORLIN_SOURCE_DIR, "@SRC@"}}) {
    for (std::size_t at = actual.find(path); at != std::string::npos; at = actual.find(path, at))
      actual.replace(at, path.size(), name);
  }
  for (const auto& [name, content] : after) {
    if (before.count(name) == 0)
      fs::remove(fs::path(work) / name);
  }
  const fs::path expected = kCases / GetParam() / "expected";
  EXPECT_EQ(actual, expectedText(expected.string(), actual)) << "cmd: " << cmd;
}

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases)) {
    if (fs::exists(entry.path() / "cmd"))
      names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, CliCases, testing::ValuesIn(caseNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace trel::quorlinsrv::test
