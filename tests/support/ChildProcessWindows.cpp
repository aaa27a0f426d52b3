// The Windows side of ChildProcess.hpp: programs only (Windows cannot fork), with the deadline;
// the memory limits and the rights of root are Linux's.
#include <windows.h>

#include <stdexcept>

#include "tests/support/ChildProcess.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {

namespace {

// `arg` as the C runtime's command-line parser reads it back: quoted when it holds a space or a
// quote, with the backslashes before a quote doubled.
std::string quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
    return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  return out.append(2 * backslashes, '\\') + "\"";
}

HANDLE inheritable(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts `program` with `args` and the standard handles given, in `dir` ("" for here).
bool start(const std::string& program, const std::vector<std::string>& args, HANDLE in, HANDLE out,
           HANDLE err, const std::string& dir, PROCESS_INFORMATION& process) {
  std::string commandLine = quoted(program);
  for (const std::string& arg : args)
    commandLine += " " + quoted(arg);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  return CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &startup, &process);
}

}  // namespace

std::string ChildResult::describe() const {
  switch (end) {
    case End::kExited:
      return "exit " + std::to_string(code);
    case End::kTimedOut:
      return "timed out";
    default:
      return "not started";
  }
}

ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const ChildLimits& limits) {
  const ScratchDir files;
  ChildResult result;
  HANDLE in = inheritable(limits.inputFile.empty() ? "NUL" : limits.inputFile, false);
  HANDLE out = inheritable(files.at("out"), true);
  HANDLE err = inheritable(files.at("err"), true);
  PROCESS_INFORMATION process{};
  bool started = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE &&
                 err != INVALID_HANDLE_VALUE &&
                 start(program, args, in, out, err, limits.workingDirectory, process);
  for (HANDLE handle : {in, out, err}) {
    if (handle != INVALID_HANDLE_VALUE)
      CloseHandle(handle);
  }
  if (!started)
    return result;
  DWORD waited =
      WaitForSingleObject(process.hProcess, static_cast<DWORD>(limits.timeoutSeconds) * 1000);
  DWORD code = 0;
  if (waited == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code)) {
    result.end = ChildResult::End::kExited;
    result.code = static_cast<int>(code);
  } else {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    result.end = ChildResult::End::kTimedOut;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.out = readBytes(files.at("out"));
  result.err = readBytes(files.at("err"));
  return result;
}

PipedProgram::PipedProgram(const std::string& program, const std::vector<std::string>& args) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE childIn = nullptr, childOut = nullptr, to = nullptr, from = nullptr;
  if (!CreatePipe(&childIn, &to, &inherit, 0) || !CreatePipe(&from, &childOut, &inherit, 0))
    throw std::runtime_error("CreatePipe");
  SetHandleInformation(to, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(from, HANDLE_FLAG_INHERIT, 0);
  PROCESS_INFORMATION process{};
  bool started =
      start(program, args, childIn, childOut, GetStdHandle(STD_ERROR_HANDLE), "", process);
  CloseHandle(childIn);
  CloseHandle(childOut);
  to_ = reinterpret_cast<std::intptr_t>(to);
  from_ = reinterpret_cast<std::intptr_t>(from);
  if (!started)
    throw std::runtime_error("CreateProcess " + program);
  CloseHandle(process.hThread);
  pid_ = reinterpret_cast<std::intptr_t>(process.hProcess);
}

PipedProgram::~PipedProgram() {
  CloseHandle(reinterpret_cast<HANDLE>(to_));
  CloseHandle(reinterpret_cast<HANDLE>(from_));
  if (pid_ != -1) {
    auto process = reinterpret_cast<HANDLE>(pid_);
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, INFINITE);
    }
    CloseHandle(process);
  }
}

bool PipedProgram::write(const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(reinterpret_cast<HANDLE>(to_), bytes.data(), static_cast<DWORD>(bytes.size()),
                   &written, nullptr) &&
         written == bytes.size();
}

long PipedProgram::read(char* buffer, std::size_t size, std::chrono::milliseconds timeout) {
  // An anonymous pipe cannot be waited for: it is looked into until something arrives.
  auto pipe = reinterpret_cast<HANDLE>(from_);
  auto deadline = std::chrono::steady_clock::now() + timeout;
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available == 0) {
    if (std::chrono::steady_clock::now() > deadline)
      return 0;
    Sleep(5);
  }
  DWORD got = 0;
  if (available == 0 || !ReadFile(pipe, buffer, static_cast<DWORD>(size), &got, nullptr))
    return 0;
  return static_cast<long>(got);
}

int PipedProgram::wait() {
  if (pid_ == -1)
    return -1;
  auto process = reinterpret_cast<HANDLE>(pid_);
  DWORD code = 0;
  bool ended =
      WaitForSingleObject(process, 5000) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
  CloseHandle(process);
  pid_ = -1;
  return ended ? static_cast<int>(code) : -1;
}

long currentProcessId() {
  return static_cast<long>(GetCurrentProcessId());
}

bool runningAsRoot() {
  return false;
}

}  // namespace trel::quorlinsrv::test
