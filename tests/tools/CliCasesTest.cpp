// quorlin-validate on the cases of cli_cases/: each case directory holds `cmd`, the program's
// arguments as a shell would take them (redirections and globs included), and `expected`: standard
// output, then standard error, the exit code and every file the run created, changed or removed.
// A `cmd` that starts with "$ " is a whole shell command instead, which finds the program on PATH
// as quorlin-validate: for cases that make a device or FIFO first, or send the program a signal.
// The cases run on a copy of cli_cases/ in a temporary directory, each in its own subdirectory.
// On Windows the arguments are split as the shell would (quotes, globs, "< FILE"), and whole
// shell commands are skipped.
// In `cmd` and `expected`, @SRC@ and @BUILD@ stand for the source and the build tree; in
// `expected`, @WORK@ for the temporary directory. Rewriting the expected files from what the
// program does is a deliberate act, to be reviewed with `git diff`:
//   QUORLIN_UPDATE_GOLDEN=1 ctest --preset default -R CliCases
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <utility>

#include "platform/Files.hpp"
#include "tests/support/ChildProcess.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(QUORLIN_SOURCE_DIR) / "tests/tools/cli_cases";

// The libraries that cases load, as `cmd` names them and where this build made them.
const std::pair<std::string, std::string> kLibraries[] = {
    {"@BUILD@/tests/tools/misbehaving_module.so", QUORLIN_MISBEHAVING_MODULE},
    {"@BUILD@/host/libstandin_host.so", QUORLIN_HOST_LIBRARY}};

std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), root).generic_string()] = readBytes(entry.path().string());
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

#ifdef _WIN32
// The words of `cmd` as a POSIX shell splits them, globs matched in `dir`; "< FILE" sets `input`.
std::vector<std::string> shellWords(const std::string& cmd, const fs::path& dir,
                                    std::string& input) {
  std::vector<std::string> words;
  bool redirect = false;
  for (std::size_t at = 0; at < cmd.size();) {
    if (cmd[at] == ' ') {
      ++at;
      continue;
    }
    std::string word;
    bool quoted = false, glob = false;
    for (; at < cmd.size() && cmd[at] != ' '; ++at) {
      if (cmd[at] == '\'' || cmd[at] == '"') {
        std::size_t end = cmd.find(cmd[at], at + 1);
        word += cmd.substr(at + 1, end - at - 1);
        quoted = true;
        at = end;
      } else {
        glob = glob || cmd[at] == '*';
        word += cmd[at];
      }
    }
    if (!quoted && word == "<") {
      redirect = true;
    } else if (redirect) {
      input = (dir / word).string();
      redirect = false;
    } else if (glob) {
      std::string root = dir.string() + "/";
      for (std::string match : platform::matchingFiles(root + word))
        words.push_back(match.substr(root.size()));
    } else {
      words.push_back(word);
    }
  }
  return words;
}
#endif

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
  for (const auto& [name, path] : kLibraries) {
    for (std::size_t at = cmd.find(name); at != std::string::npos; at = cmd.find(name, at))
      cmd.replace(at, name.size(), path);
  }
  for (const auto& [name, path] : {std::pair<std::string, std::string>{"@SRC@", QUORLIN_SOURCE_DIR},
                                   {"@BUILD@", QUORLIN_BINARY_DIR}}) {
    for (std::size_t at = cmd.find(name); at != std::string::npos; at = cmd.find(name, at))
      cmd.replace(at, name.size(), path);
  }
  auto before = snapshot(work);
#ifdef _WIN32
  if (cmd.compare(0, 2, "$ ") == 0 || cmd.find("/dev/") != std::string::npos)
    GTEST_SKIP() << "a POSIX shell command or device: " << cmd;
  ChildLimits how;
  how.workingDirectory = caseDir.string();
  std::vector<std::string> args = shellWords(cmd, caseDir, how.inputFile);
  ChildResult result = runProgram(QUORLIN_VALIDATE_PATH, args, how);
#else
  std::string shell = cmd.compare(0, 2, "$ ") == 0
                          ? "cd \"$0\" && PATH=\"${1%/*}:$PATH\" && " + cmd.substr(2)
                          : "cd \"$0\" && exec \"$1\" " + cmd;
  ChildResult result =
      runProgram("/bin/sh", {"-c", shell, caseDir.string(), QUORLIN_VALIDATE_PATH});
#endif
  auto after = snapshot(work);
  // Paths that differ from one machine or run to the next.
  std::string actual = describeRun(result, before, after);
  // Each as given, as Windows shows it, and with a drive's colon escaped as the GitHub format does.
  std::vector<std::pair<std::string, std::string>> machinePaths;
  auto add = [&](const std::string& path, const std::string& name) {
    machinePaths.emplace_back(fs::path(path).make_preferred().string(), name);
    machinePaths.emplace_back(path, name);
    if (path.size() > 1 && path[1] == ':')
      machinePaths.emplace_back(path.substr(0, 1) + "%3A" + path.substr(2), name);
  };
  for (const auto& [name, path] : kLibraries)
    add(path, name);
  add(work, "@WORK@");
  add(QUORLIN_BINARY_DIR, "@BUILD@");
  add(QUORLIN_SOURCE_DIR, "@SRC@");
  for (const auto& [path, name] : machinePaths) {
    for (std::size_t at = actual.find(path); at != std::string::npos; at = actual.find(path, at))
      actual.replace(at, path.size(), name);
  }
  for (const auto& [name, content] : after) {
    if (before.count(name) == 0)
      fs::remove(fs::path(work) / name);
  }
  // Where the system's own words differ (a loader's message), Windows has an expected file of its
  // own.
  fs::path expected = kCases / GetParam() / "expected";
#ifdef _WIN32
  if (fs::exists(kCases / GetParam() / "expected.windows"))
    expected += ".windows";
#endif
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
