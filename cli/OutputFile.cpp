#include "cli/OutputFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace trel::quorlinsrv {

namespace {

mode_t modeForNewFile() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// ".cfg" of "m/plant.cfg"; "" when the last path component has no dot after its first byte.
std::string extensionOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = path.rfind('.');
  return dot == std::string::npos || dot <= start ? std::string() : path.substr(dot);
}

bool writeAll(int fd, const char* data, std::size_t left, int& savedErrno) {
  while (left > 0) {
    ssize_t written = write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      savedErrno = errno;
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool DescriptorOutput::flushAll() {
  std::size_t size = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_, buffer_ + sizeof(buffer_));
  return errno_ == 0 && writeAll(fd_, buffer_, size, errno_);
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (!flushAll())
    return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

std::string refuseOutput(const std::string& path, const std::vector<std::string>& inputs,
                         const std::vector<std::string>& inputsByExtension) {
  struct stat target;
  bool exists = stat(path.c_str(), &target) == 0;
  for (const std::string& input : inputs) {
    struct stat info;
    if (input == path || (exists && stat(input.c_str(), &info) == 0 &&
                          info.st_dev == target.st_dev && info.st_ino == target.st_ino))
      return path + ": error: --output names an input (" + input + "); nothing was written";
  }
  std::string extension = extensionOf(path);
  for (const std::string& input : inputsByExtension) {
    if (!extension.empty() && extensionOf(input) == extension) {
      return path + ": error: --output ends in " + extension + " like the input " + input +
             " (a file name forgotten before a glob?); nothing was written";
    }
  }
  return "";
}

std::unique_ptr<OutputDestination> OutputDestination::open(const std::string& path,
                                                           std::string& error) {
  if (path.empty() || path == "-")
    return std::unique_ptr<OutputDestination>(new OutputDestination(STDOUT_FILENO, "", ""));
  std::size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) {
    error = path + ": error: output path names a directory";
    return nullptr;
  }
  std::string temp = dir + "." + base + ".tmp.XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = path + ": error: cannot create a temporary file beside it: " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<OutputDestination>(new OutputDestination(fd, path, temp));
}

OutputDestination::OutputDestination(int fd, std::string target, std::string temporary)
    : fd_(fd),
      target_(std::move(target)),
      temporary_(std::move(temporary)),
      buffer_(fd),
      stream_(&buffer_) {}

OutputDestination::~OutputDestination() {
  if (!temporary_.empty()) {
    close(fd_);
    unlink(temporary_.c_str());
  }
}

bool OutputDestination::finish(std::string& error) {
  bool ok = buffer_.flushAll();
  int savedErrno = buffer_.writeErrno();
  if (target_.empty()) {
    if (!ok)
      error = std::string("error writing standard output: ") + std::strerror(savedErrno);
    return ok;
  }
  struct stat existing;
  mode_t mode = stat(target_.c_str(), &existing) == 0 ? existing.st_mode & 07777 : modeForNewFile();
  if (ok && (fchmod(fd_, mode) != 0 || fsync(fd_) != 0)) {
    ok = false;
    savedErrno = errno;
  }
  if (close(fd_) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && rename(temporary_.c_str(), target_.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    unlink(temporary_.c_str());
    error = target_ + ": error: cannot write output: " + std::strerror(savedErrno);
  }
  temporary_.clear();
  return ok;
}

}  // namespace trel::quorlinsrv
