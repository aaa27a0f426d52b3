#include "common/MemoryFile.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace trel::quorlinsrv {

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
