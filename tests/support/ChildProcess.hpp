// Running code or a program in a child process, so that a test survives a crash or a hang of what
// it runs and can run it with limits: a deadline, an address-space limit, without root's rights.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace trel::quorlinsrv::test {

struct ChildLimits {
  int timeoutSeconds = 120;  // killed with SIGKILL after this long
  // Killed with SIGKILL once its resident memory exceeds this: a runaway child must not take the
  // machine's memory from everyone else. Unlike an address-space limit it works under sanitizers.
  std::uint64_t residentBytes = std::uint64_t{4} << 30;
  std::uint64_t addressSpaceBytes = 0;  // RLIMIT_AS of the child; 0 leaves it as it is
  bool withoutRoot = false;             // run as user and group nobody when started as root
  std::string inputFile;                // standard input from this file instead of the null device
  std::string workingDirectory;         // started there instead of here
};

struct ChildResult {
  enum class End { kExited, kSignalled, kTimedOut, kTooMuchMemory, kNotStarted };
  End end = End::kNotStarted;
  int code = -1;  // exit status, or the signal's number
  std::string out;
  std::string err;

  bool exitedWith(int status) const { return end == End::kExited && code == status; }
  // "exit 1", "signal 11", "timed out", ...: for messages.
  std::string describe() const;
};

#ifndef _WIN32
// Runs `body` in a forked child; what it returns is the child's standard output, and it exits 0.
// The caller should be single-threaded while this runs.
ChildResult runInChild(const std::function<std::string()>& body, const ChildLimits& limits = {});
#endif

// Runs `program` with `args`. On Windows only the deadline of `limits` holds.
ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const ChildLimits& limits = {});

// A program running with its standard input and output on pipes to this process.
class PipedProgram {
 public:
  PipedProgram(const std::string& program, const std::vector<std::string>& args);
  // Kills the program when it still runs.
  ~PipedProgram();
  PipedProgram(const PipedProgram&) = delete;
  PipedProgram& operator=(const PipedProgram&) = delete;

  bool write(const std::string& bytes);
  // Up to `size` bytes of its output; 0 at its end or after `timeout` without any.
  long read(char* buffer, std::size_t size, std::chrono::milliseconds timeout);
  // Its exit status once it ended (waiting up to five seconds), else -1.
  int wait();

 private:
  long pid_ = -1;
  std::intptr_t to_ = -1, from_ = -1;  // descriptors, or handles on Windows
};

// The identifier of this process, as a language client names itself to the server.
long currentProcessId();

// True when this process runs as root, whose rights the permission tests must give up.
bool runningAsRoot();

}  // namespace trel::quorlinsrv::test
