#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/Files.hpp"
#include "platform/MemoryFile.hpp"

namespace trel::quorlinsrv {

namespace {

// A file of its own in the system's temporary folder, kept in memory by the system while open
// (Windows has no anonymous file that another open by name reaches).
int createTemporaryFile(std::string& path) {
  char folder[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof(folder), folder);
  if (length == 0 || length > MAX_PATH)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "finding the temporary folder");
  static std::atomic<unsigned> count{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = std::string(folder, length) + "quorlin-config-" + std::to_string(GetCurrentProcessId()) +
           "-" + std::to_string(count++) + ".tmp";
    int fd = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_SHORT_LIVED,
                   _S_IREAD | _S_IWRITE);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

}  // namespace

MemoryFile::MemoryFile() {
  fd_ = createTemporaryFile(path_);
  if (fd_ < 0)
    throw std::system_error(errno, std::generic_category(), "creating a temporary file");
}

MemoryFile::~MemoryFile() {
  if (mapped_ != nullptr)
    UnmapViewOfFile(mapped_);
  _close(fd_);
  DeleteFileA(path_.c_str());
}

void MemoryFile::append(std::string_view text) {
  while (!text.empty()) {
    unsigned piece = static_cast<unsigned>(std::min<std::size_t>(text.size(), 1u << 30));
    int written = _write(fd_, text.data(), piece);
    if (written < 0)
      throw std::system_error(errno, std::generic_category(), "writing a temporary file");
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

int MemoryFile::appendStandardInput() {
  _setmode(0, _O_BINARY);  // every byte as it is, carriage returns included
  return appendFrom(0);
}

int MemoryFile::appendFrom(int fd) {
  char piece[1 << 16];
  for (;;) {
    int got = _read(fd, piece, sizeof(piece));
    if (got > 0)
      append(std::string_view(piece, static_cast<std::size_t>(got)));
    else if (got == 0)
      return 0;
    else
      return errno;
  }
}

int MemoryFile::appendFile(const std::string& path) {
  std::error_code error;
  auto status = std::filesystem::status(std::filesystem::u8path(path), error);
  if (!std::filesystem::exists(status))
    return ENOENT;
  std::ifstream in;
  if (!platform::openRegularFile(in, path))
    return std::filesystem::is_regular_file(status) ? EACCES : EINVAL;
  char piece[1 << 16];
  while (in.read(piece, sizeof(piece)) || in.gcount() > 0)
    append(std::string_view(piece, static_cast<std::size_t>(in.gcount())));
  return in.bad() ? EIO : 0;
}

std::string_view MemoryFile::bytes() {
  auto file = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
  LARGE_INTEGER size{};
  if (mapped_ == nullptr && GetFileSizeEx(file, &size) && size.QuadPart > 0) {
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping != nullptr) {
      mapped_ = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
      mappedSize_ = mapped_ != nullptr ? static_cast<std::size_t>(size.QuadPart) : 0;
      CloseHandle(mapping);  // the view keeps the mapping
    }
  }
  return mapped_ ? std::string_view(static_cast<const char*>(mapped_), mappedSize_) : "";
}

}  // namespace trel::quorlinsrv
