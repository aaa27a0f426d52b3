// Runs a program as a child process and collects what it wrote, for tests of command-line tools.
#pragma once

#include <string>
#include <vector>

namespace trel::quorlinsrv::test {

struct RunResult {
  int exitCode = -1;  // -1 when the program did not exit by itself in time
  std::string out;
  std::string err;
};

// Runs `program` with `args`, standard input from /dev/null, in the current directory; a program
// still running after `timeoutSeconds` is killed.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     int timeoutSeconds = 30);

// A fresh directory below the system's temporary directory.
std::string makeTempDir();

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

}  // namespace trel::quorlinsrv::test
