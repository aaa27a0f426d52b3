#include "tests/support/ChildProcess.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kSetupFailed = 125;

// In the child: report a failed set-up on standard error and leave without running anything.
[[noreturn]] void setupFailed(const char* what) {
  const std::string message =
      std::string("child set-up failed: ") + what + ": " + std::strerror(errno) + "\n";
  if (write(STDERR_FILENO, message.data(), message.size()) < 0) {
    // nothing left to report to
  }
  _exit(kSetupFailed);
}

// In the child: standard streams to the files, then the limits.
void prepareChild(const ScratchDir& files, const ChildLimits& limits) {
  const int in = open(limits.inputFile.empty() ? "/dev/null" : limits.inputFile.c_str(), O_RDONLY);
  const int out = open(files.at("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  const int err = open(files.at("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (in < 0 || out < 0 || err < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0 ||
      dup2(err, STDERR_FILENO) < 0) {
    setupFailed("standard streams");
  }
  if (!limits.workingDirectory.empty() && chdir(limits.workingDirectory.c_str()) != 0) {
    setupFailed("working directory");
  }
  if (limits.withoutRoot && geteuid() == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
      setupFailed("giving up root");
    }
  }
  if (limits.addressSpaceBytes != 0) {
    const rlimit limit{limits.addressSpaceBytes, limits.addressSpaceBytes};
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
      setupFailed("address-space limit");
    }
  }
}

// The resident memory of process `pid` in bytes, 0 when unknown.
std::uint64_t residentBytesOf(pid_t pid) {
  std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
  std::uint64_t size = 0;
  std::uint64_t resident = 0;
  statm >> size >> resident;
  return resident * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

ChildResult waitFor(pid_t pid, const ScratchDir& files, const ChildLimits& limits) {
  ChildResult result;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(limits.timeoutSeconds);
  int status = 0;
  pid_t done = 0;
  while ((done = waitpid(pid, &status, WNOHANG)) == 0) {
    const bool late = std::chrono::steady_clock::now() > deadline;
    const bool big = limits.residentBytes != 0 && residentBytesOf(pid) > limits.residentBytes;
    if (late || big) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.end = late ? ChildResult::End::kTimedOut : ChildResult::End::kTooMuchMemory;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (done == pid) {
    if (WIFEXITED(status)) {
      result.end = ChildResult::End::kExited;
      result.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
      result.end = ChildResult::End::kSignalled;
      result.code = WTERMSIG(status);
    }
  }
  result.out = readBytes(files.at("out"));
  result.err = readBytes(files.at("err"));
  return result;
}

}  // namespace

std::string ChildResult::describe() const {
  switch (end) {
    case End::kExited:
      return "exit " + std::to_string(code);
    case End::kSignalled:
      return "signal " + std::to_string(code);
    case End::kTimedOut:
      return "timed out";
    case End::kTooMuchMemory:
      return "killed for using too much memory";
    case End::kNotStarted:
      break;
  }
  return "not started";
}

namespace {

// Forks a child that sets its streams and limits up and then runs `inChild`, which must not
// return; waits for it.
ChildResult forkAndWait(const ChildLimits& limits, const std::function<void()>& inChild) {
  const ScratchDir files;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    return ChildResult();
  }
  if (pid == 0) {
    prepareChild(files, limits);
    inChild();
    _exit(kSetupFailed);
  }
  return waitFor(pid, files, limits);
}

}  // namespace

ChildResult runInChild(const std::function<std::string()>& body, const ChildLimits& limits) {
  return forkAndWait(limits, [&] {
    const std::string out = body();
    std::fflush(nullptr);
    std::size_t written = 0;
    while (written < out.size()) {
      const ssize_t n = write(STDOUT_FILENO, out.data() + written, out.size() - written);
      if (n < 0 && errno != EINTR) {
        _exit(kSetupFailed);
      }
      written += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    _exit(0);  // no destructors of the test program's statics in the child
  });
}

ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const ChildLimits& limits) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  return forkAndWait(limits, [&] {
    execv(program.c_str(), argv.data());
    setupFailed("exec");
  });
}

bool runningAsRoot() {
  return geteuid() == 0;
}

}  // namespace trel::quorlinsrv::test

namespace trel::quorlinsrv::test {

PipedProgram::PipedProgram(const std::string& program, const std::vector<std::string>& args) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0)
    throw std::runtime_error("pipe");
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  to_ = in[1];
  from_ = out[0];
}

PipedProgram::~PipedProgram() {
  close(static_cast<int>(to_));
  close(static_cast<int>(from_));
  if (pid_ > 0 && waitpid(static_cast<pid_t>(pid_), nullptr, WNOHANG) == 0) {
    kill(static_cast<pid_t>(pid_), SIGKILL);
    waitpid(static_cast<pid_t>(pid_), nullptr, 0);
  }
}

bool PipedProgram::write(const std::string& bytes) {
  return ::write(static_cast<int>(to_), bytes.data(), bytes.size()) ==
         static_cast<ssize_t>(bytes.size());
}

long PipedProgram::read(char* buffer, std::size_t size, std::chrono::milliseconds timeout) {
  pollfd p{static_cast<int>(from_), POLLIN, 0};
  ssize_t n = poll(&p, 1, static_cast<int>(timeout.count())) == 1
                  ? ::read(static_cast<int>(from_), buffer, size)
                  : 0;
  return n < 0 ? 0 : static_cast<long>(n);
}

int PipedProgram::wait() {
  int status = 0;
  const auto pid = static_cast<pid_t>(pid_);
  for (int i = 0; i < 500 && waitpid(pid, &status, WNOHANG) == 0; ++i)
    usleep(10000);
  pid_t done = waitpid(pid, &status, WNOHANG);
  pid_ = -1;
  return done == 0 || !WIFEXITED(status) ? -1 : WEXITSTATUS(status);
}

long currentProcessId() {
  return static_cast<long>(getpid());
}

}  // namespace trel::quorlinsrv::test
