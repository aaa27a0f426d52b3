#include "tools/OutputFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace trel::quorlinsrv {

namespace {

mode_t modeForNewFile() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool writeAll(int fd, const std::string& content) {
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    ssize_t written = write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& content, std::string& error) {
  std::size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) {
    error = path + ": error: output path names a directory";
    return false;
  }
  std::string temp = dir + "." + base + ".tmp.XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) {
    error = path + ": error: cannot create a temporary file beside it: " + std::strerror(errno);
    return false;
  }
  struct stat existing;
  mode_t mode = stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : modeForNewFile();
  bool ok = writeAll(fd, content) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  int savedErrno = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && rename(name.data(), path.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    unlink(name.data());
    error = path + ": error: cannot write output: " + std::strerror(savedErrno);
  }
  return ok;
}

}  // namespace trel::quorlinsrv
