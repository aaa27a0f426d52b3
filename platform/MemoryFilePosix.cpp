#include "platform/MemoryFile.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace trel::quorlinsrv {

MemoryFile::MemoryFile() : fd_(memfd_create("quorlin-config", MFD_CLOEXEC)) {
  if (fd_ < 0)
    throw std::system_error(errno, std::generic_category(), "memfd_create");
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
  if (mapped_ != nullptr)
    munmap(mapped_, mappedSize_);
  close(fd_);
}

void MemoryFile::append(std::string_view text) {
  while (!text.empty()) {
    ssize_t written = write(fd_, text.data(), text.size());
    if (written < 0 && errno == EINTR)
      continue;
    if (written < 0)
      throw std::system_error(errno, std::generic_category(), "writing a memory file");
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

int MemoryFile::appendStandardInput() {
  return appendFrom(STDIN_FILENO);
}

int MemoryFile::appendFrom(int fd) {
  char piece[1 << 16];
  for (;;) {
    ssize_t got = read(fd, piece, sizeof(piece));
    if (got > 0)
      append(std::string_view(piece, static_cast<std::size_t>(got)));
    else if (got == 0)
      return 0;
    else if (errno != EINTR)
      return errno;
  }
}

int MemoryFile::appendFile(const std::string& path) {
  // Without blocking: a FIFO swapped in under the name must not stall the read.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return errno;
  struct stat info;
  int error = fstat(fd, &info) != 0 ? errno : S_ISREG(info.st_mode) ? appendFrom(fd) : EINVAL;
  close(fd);
  return error;
}

std::string_view MemoryFile::bytes() {
  struct stat info;
  if (mapped_ == nullptr && fstat(fd_, &info) == 0 && info.st_size > 0) {
    void* at = mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_SHARED, fd_, 0);
    if (at != MAP_FAILED) {
      mapped_ = at;
      mappedSize_ = static_cast<std::size_t>(info.st_size);
    }
  }
  return mapped_ ? std::string_view(static_cast<const char*>(mapped_), mappedSize_) : "";
}

}  // namespace trel::quorlinsrv
