// The install tree and the Debian package: the program runs from wherever they are put, with the
// module and the stand-in host of the tree itself. README and completion follow its --help.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "tests/support/ChildProcess.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

const std::string kSource = std::string(QUORLIN_SOURCE_DIR) + "/";
const std::string kExamples = kSource + "examples/";

// Runs the installed program on the examples; the dynamic loader tells which libraries it took.
void expectInstalledAt(const std::string& root) {
  for (const char* file :
       {"share/man/man1/quorlin-validate.1.gz",
        "share/bash-completion/completions/quorlin-validate",
        "share/doc/quorlin-validate/copyright", "share/doc/quorlin-validate/changelog.gz"})
    EXPECT_EQ(access((root + "/" + file).c_str(), R_OK), 0) << file;
  setenv("LD_DEBUG", "libs", 1);
  ChildResult result =
      runProgram(root + "/bin/quorlin-validate",
                 {"-v", "--dp-list", kExamples + "plant.dpl", kExamples + "valid.cfg"});
  unsetenv("LD_DEBUG");
  EXPECT_TRUE(result.exitedWith(0)) << result.err;
  const std::string libs = root + "/bin/../" QUORLIN_PRIVATE_LIBDIR "/";
  EXPECT_NE(result.err.find("module: " + libs + "QuorlinServerConfigValidator.so"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("calling init: " + libs + "libstandin_host.so.0"), std::string::npos)
      << result.err;
}

TEST(InstallTree, RunsFromAnyPrefix) {
  const ScratchDir scratch;
  const std::string& dir = scratch.path();
  ChildResult install = runProgram(
      QUORLIN_CMAKE,
      {"--install", QUORLIN_BINARY_DIR, "--prefix", dir + "/first", "--component", "runtime"}, {});
  ASSERT_TRUE(install.exitedWith(0)) << install.err;
  ASSERT_EQ(std::rename((dir + "/first").c_str(), (dir + "/moved").c_str()), 0);
  expectInstalledAt(dir + "/moved");
}

TEST(DebianPackage, ProgramRunsFromTheUnpackedPackage) {
  const ScratchDir scratch;
  const std::string& dir = scratch.path();
  ChildLimits slow;
  slow.timeoutSeconds = 300;
  ChildResult pack = runProgram(
      QUORLIN_CPACK,
      {"-G", "DEB", "-B", dir, "--config", std::string(QUORLIN_BINARY_DIR) + "/CPackConfig.cmake"},
      slow);
  ASSERT_TRUE(pack.exitedWith(0)) << pack.out << pack.err;
  ChildResult unpack =
      runProgram("/bin/sh", {"-c", "dpkg-deb -x " + dir + "/*.deb " + dir + "/root"});
  ASSERT_TRUE(unpack.exitedWith(0)) << unpack.err;
  expectInstalledAt(dir + "/root/usr");
  ChildResult depends = runProgram("/bin/sh", {"-c", "dpkg-deb -f " + dir + "/*.deb Depends"});
  EXPECT_NE(depends.out.find("libc6"), std::string::npos) << depends.out;
}

// Every option of --help has its row in README's table ("| `--format ...` |", "| `-q`, ...").
TEST(Readme, OptionsTableNamesEveryOptionOfHelp) {
  std::istringstream help(runProgram(QUORLIN_VALIDATE_PATH, {"--help"}).out);
  std::string readme = readBytes(kSource + "README.md");
  int options = 0;
  for (std::string line; std::getline(help, line);) {
    std::size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos || line[start] != '-')
      continue;
    std::istringstream names(line.substr(start, line.find(' ', start) - start));
    for (std::string name; std::getline(names, name, ','); ++options)
      EXPECT_TRUE(readme.find("\n| `" + name) != std::string::npos ||
                  readme.find(", `" + name + "`") != std::string::npos)
          << name;
  }
  EXPECT_GE(options, 12);
}

// The bash completion as bash runs it: the words before TAB, and what it offers.
TEST(BashCompletion, OffersOptionsTheirValuesAndFiles) {
  const ScratchDir scratch;
  const std::string& dir = scratch.path();
  writeBytes(dir + "/plant.dpl", "");
  writeBytes(dir + "/valid.cfg", "");
  mkdir((dir + "/sub").c_str(), 0700);
  const std::pair<const char*, const char*> cases[] = {
      {"--c", "--color --check-regexp"},          {"--ver", "--verbose --version"},
      {"--format ''", "text json sarif github"},  {"--format = s", "sarif"},
      {"--list d", "directions data-types"},      {"-q --color ''", "auto always never"},
      {"--dp-list ''", "plant.dpl sub"},          {"--dp-list plant.dpl ''", "sub valid.cfg"},
      {"--output ''", "plant.dpl sub valid.cfg"}, {"--check-regexp ''", ""},
      {"--stdin-filename ''", "sub valid.cfg"},
  };
  for (const auto& [words, offered] : cases) {
    ChildResult result = runProgram(
        "/bin/bash", {"-c", "cd " + dir + " && source " + kSource +
                                "packaging/quorlin-validate.bash && COMP_WORDS=(" +
                                QUORLIN_VALIDATE_PATH + " " + words +
                                ") COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && _quorlin_validate && "
                                "echo ${COMPREPLY[*]}"});
    EXPECT_EQ(result.out, std::string(offered) + "\n") << words << result.err;
  }
}

}  // namespace
}  // namespace trel::quorlinsrv::test
