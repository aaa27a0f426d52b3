#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>

#include "platform/Files.hpp"
#include "platform/OutputFile.hpp"

namespace trel::quorlinsrv {

namespace {

namespace fs = std::filesystem;

// The one temporary file that exists while a run writes its output, for the console's Ctrl+C and
// close events to remove: Windows runs that handler on a thread of its own.
std::mutex pendingLock;
std::string pendingName;

BOOL WINAPI removePending(DWORD) {
  std::lock_guard<std::mutex> lock(pendingLock);
  if (!pendingName.empty())
    DeleteFileA(pendingName.c_str());
  return FALSE;  // then the default handler ends the process
}

void setPending(const std::string& name) {
  std::lock_guard<std::mutex> lock(pendingLock);
  pendingName = name;
}

std::string systemMessage(DWORD code) {
  std::string text = std::system_category().message(static_cast<int>(code));
  while (!text.empty() &&
         (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == '.'))
    text.pop_back();
  return text;
}

// "m\" of "m\report.txt", "" of "report.txt".
std::string directoryOf(const std::string& path) {
  std::size_t slash = path.find_last_of(platform::kPathSeparators);
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Where a chain of symbolic links at `path` ends; nullopt for a chain too long to be no loop.
std::optional<std::string> followLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code error;
    fs::path link = fs::u8path(path);
    if (!fs::is_symlink(link, error))
      return path;
    fs::path next = fs::read_symlink(link, error);
    if (error)
      return path;
    path = next.is_absolute() ? next.u8string() : directoryOf(path) + next.u8string();
  }
  return std::nullopt;
}

// A device (NUL, CON, COM1) or a named pipe opened for writing where it is, which Windows names
// without a file behind it; -1 for anything else.
int openDeviceOrPipe(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return -1;
  DWORD type = GetFileType(handle);
  if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE)
    return _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_WRONLY | _O_BINARY);
  CloseHandle(handle);
  return -1;
}

}  // namespace

long DescriptorOutput::writeSome(int fd, const char* data, std::size_t size) {
  return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}

std::unique_ptr<OutputDestination> OutputDestination::open(const std::string& path,
                                                           std::string& error) {
  if (path.empty() || path == "-") {
    _setmode(1, _O_BINARY);  // the report's bytes as they are: line feeds, not CR LF
    return std::unique_ptr<OutputDestination>(new OutputDestination(1, "", Kind::kStandardOutput));
  }
  int inPlace = openDeviceOrPipe(path);
  if (inPlace >= 0)
    return std::unique_ptr<OutputDestination>(new OutputDestination(inPlace, path, Kind::kInPlace));
  std::error_code statusError;
  fs::file_status status = fs::status(fs::u8path(path), statusError);
  std::optional<std::string> target = followLinks(path);
  if (!target) {
    error = path + ": error: cannot write output: " + systemMessage(ERROR_CANT_RESOLVE_FILENAME);
    return nullptr;
  }
  std::string dir = directoryOf(*target);
  if (dir.size() == target->size()) {
    error = path + ": error: output path names a directory";
    return nullptr;
  }
  if (fs::is_directory(status)) {  // where Linux's rename fails
    error = path + ": error: cannot write output: " + std::strerror(EISDIR);
    return nullptr;
  }
  static const bool handlerSet = SetConsoleCtrlHandler(removePending, TRUE);
  (void)handlerSet;
  std::string stem =
      dir + "." + target->substr(dir.size()) + ".tmp." + std::to_string(GetCurrentProcessId());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = stem + "." + std::to_string(attempt);
    setPending(name);
    int fd = _open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0) {
      return std::unique_ptr<OutputDestination>(
          new OutputDestination(fd, *target, Kind::kNamedTemporary));
    }
    setPending("");
    if (errno != EEXIST)
      break;
  }
  error = path + ": error: cannot create a temporary file beside it: " + std::strerror(errno);
  return nullptr;
}

std::string OutputDestination::closeFile(std::string reason) {
  bool replace = kind_ == Kind::kNamedTemporary;
  if (reason.empty() && replace && _commit(fd_) != 0)
    reason = std::strerror(errno);
  if (_close(fd_) != 0 && reason.empty())
    reason = std::strerror(errno);
  std::string temporary;
  {
    std::lock_guard<std::mutex> lock(pendingLock);
    temporary = pendingName;
  }
  if (reason.empty() && replace &&
      !MoveFileExA(temporary.c_str(), target_.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    reason = systemMessage(GetLastError());
  if (replace) {
    if (!reason.empty())
      DeleteFileA(temporary.c_str());
    setPending("");
  }
  return reason;
}

}  // namespace trel::quorlinsrv
