// The install tree and the Debian package: the program runs from wherever they are put, with the
// module and the stand-in host of the tree itself.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/ChildProcess.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

const std::string kExamples = std::string(QUORLIN_SOURCE_DIR) + "/examples/";

// Runs the installed program on the examples; the dynamic loader tells which libraries it took.
void expectRunsFrom(const std::string& root) {
  setenv("LD_DEBUG", "libs", 1);
  ChildResult result =
      runProgram(root + "/bin/quorlin-validate",
                 {"-v", "--dp-list", kExamples + "plant.dpl", kExamples + "valid.cfg"});
  unsetenv("LD_DEBUG");
  EXPECT_TRUE(result.exitedWith(0)) << result.err;
  EXPECT_NE(result.err.find("module: " + root + "/bin/../lib"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("calling init: " + root + "/bin/../lib/libstandin_host.so.0"),
            std::string::npos)
      << result.err;
}

TEST(InstallTree, RunsFromAnyPrefix) {
  ScratchDir scratch;
  const std::string& dir = scratch.path();
  ChildResult install = runProgram(
      QUORLIN_CMAKE,
      {"--install", QUORLIN_BINARY_DIR, "--prefix", dir + "/first", "--component", "runtime"},
      {120});
  ASSERT_TRUE(install.exitedWith(0)) << install.err;
  ASSERT_EQ(std::rename((dir + "/first").c_str(), (dir + "/moved").c_str()), 0);
  expectRunsFrom(dir + "/moved");
}

TEST(DebianPackage, ProgramRunsFromTheUnpackedPackage) {
  ScratchDir scratch;
  const std::string& dir = scratch.path();
  ChildResult pack = runProgram(
      QUORLIN_CPACK,
      {"-G", "DEB", "-B", dir, "--config", std::string(QUORLIN_BINARY_DIR) + "/CPackConfig.cmake"},
      {300});
  ASSERT_TRUE(pack.exitedWith(0)) << pack.out << pack.err;
  ChildResult unpack =
      runProgram("/bin/sh", {"-c", "dpkg-deb -x " + dir + "/*.deb " + dir + "/root"});
  ASSERT_TRUE(unpack.exitedWith(0)) << unpack.err;
  expectRunsFrom(dir + "/root/usr");
  ChildResult depends = runProgram("/bin/sh", {"-c", "dpkg-deb -f " + dir + "/*.deb Depends"});
  EXPECT_NE(depends.out.find("libc6"), std::string::npos) << depends.out;
}

}  // namespace
}  // namespace trel::quorlinsrv::test
