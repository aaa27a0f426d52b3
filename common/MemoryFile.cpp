#include "common/MemoryFile.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace trel::quorlinsrv {

int readAllBytes(int fd, std::string& bytes) {
  bytes.clear();
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  char chunk[1 << 16];
  for (;;) {
    ssize_t got = read(fd, chunk, sizeof(chunk));
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return errno;
    if (got == 0)
      return 0;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
}

int readFileBytes(const std::string& path, std::string& bytes) {
  // Without blocking: a FIFO swapped in under the name must not stall the read.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return errno;
  struct stat info;
  int error = fstat(fd, &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : EINVAL;
  if (error == 0)
    error = readAllBytes(fd, bytes);
  close(fd);
  return error;
}

MemoryFile::MemoryFile(std::string_view text) : fd_(memfd_create("quorlin-config", MFD_CLOEXEC)) {
  if (fd_ < 0)
    throw std::system_error(errno, std::generic_category(), "memfd_create");
  while (!text.empty()) {
    ssize_t written = write(fd_, text.data(), text.size());
    if (written < 0 && errno == EINTR)
      continue;
    if (written < 0) {
      int saved = errno;
      close(fd_);
      throw std::system_error(saved, std::generic_category(), "writing a memory file");
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
  close(fd_);
}

}  // namespace trel::quorlinsrv
