#include "platform/OutputFile.hpp"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>

namespace trel::quorlinsrv {

namespace {

mode_t modeForNewFile() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// The one temporary file name that exists on disk while a run writes its output, for the
// signal handlers to remove. Only written while `pendingArmed` is 0.
char pendingName[PATH_MAX];
volatile std::sig_atomic_t pendingArmed = 0;

bool armPendingName(const std::string& name) {
  pendingArmed = 0;
  if (name.size() >= sizeof(pendingName)) {
    errno = ENAMETOOLONG;
    return false;
  }
  std::memcpy(pendingName, name.c_str(), name.size() + 1);
  pendingArmed = 1;
  return true;
}

void disarmPendingName() {
  pendingArmed = 0;
}

// Only async-signal-safe calls: the temporary file goes, then the signal does what it would have.
extern "C" void removePendingAndRaise(int signal) {
  if (pendingArmed)
    unlink(pendingName);
  raise(signal);  // SA_RESETHAND restored the default action
}

void installSignalCleanup() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old;
    // A signal ignored by whoever started the run (nohup, a background job) stays ignored.
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
      continue;
    struct sigaction action {};
    action.sa_handler = removePendingAndRaise;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(signal, &action, nullptr);
  }
}

// "m/" of "m/report.txt", "" of "report.txt".
std::string directoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Where a chain of symbolic links at `path` ends (`path` itself when it is no link; for a
// dangling link, the name the file will get); nullopt for a chain too long to be no loop.
std::optional<std::string> followLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    char next[PATH_MAX];
    ssize_t size = readlink(path.c_str(), next, sizeof(next));
    if (size < 0 || static_cast<std::size_t>(size) == sizeof(next))
      return path;
    path = (next[0] == '/' ? std::string() : directoryOf(path)) + std::string(next, size);
  }
  return std::nullopt;
}

// A character device or FIFO opened for writing where it is; -1 with `error` set for anything
// else that is no regular file or directory (a block device, a socket).
int openInPlace(const std::string& path, const struct stat& info, std::string& error) {
  if (!S_ISCHR(info.st_mode) && !S_ISFIFO(info.st_mode)) {
    error = path + ": error: --output names a block device or socket; nothing was written";
    return -1;
  }
  int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  struct stat opened;
  if (fd >= 0 && fstat(fd, &opened) == 0 && (S_ISCHR(opened.st_mode) || S_ISFIFO(opened.st_mode)))
    return fd;
  if (fd < 0) {
    error = path + ": error: cannot write output: " + std::strerror(errno);
    return -1;
  }
  // Replaced by a regular file between the two looks: never written over in place.
  close(fd);
  error = path + ": error: --output changed while it was opened; nothing was written";
  return -1;
}

// Links the unnamed file `fd` as a free ".NAME.tmp.PID.N" beside `target` and arms that name;
// false with errno set when it cannot.
bool nameBeside(int fd, const std::string& target) {
  std::string dir = directoryOf(target);
  std::string stem = dir + "." + target.substr(dir.size()) + ".tmp." + std::to_string(getpid());
  std::string byProc = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (!armPendingName(stem + "." + std::to_string(attempt)))
      return false;
    // Through /proc, or, where it is not mounted, by descriptor (which needs privileges).
    if (linkat(AT_FDCWD, byProc.c_str(), AT_FDCWD, pendingName, AT_SYMLINK_FOLLOW) == 0 ||
        (errno != EEXIST && linkat(fd, "", AT_FDCWD, pendingName, AT_EMPTY_PATH) == 0))
      return true;
    disarmPendingName();
    if (errno != EEXIST)
      return false;
  }
  return false;
}

}  // namespace

long DescriptorOutput::writeSome(int fd, const char* data, std::size_t size) {
  for (;;) {
    ssize_t written = write(fd, data, size);
    if (written >= 0 || errno != EINTR)
      return written;
  }
}

std::unique_ptr<OutputDestination> OutputDestination::open(const std::string& path,
                                                           std::string& error) {
  if (path.empty() || path == "-") {
    return std::unique_ptr<OutputDestination>(
        new OutputDestination(STDOUT_FILENO, "", Kind::kStandardOutput));
  }
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    int fd = openInPlace(path, info, error);
    return fd < 0 ? nullptr
                  : std::unique_ptr<OutputDestination>(
                        new OutputDestination(fd, path, Kind::kInPlace));
  }
  std::optional<std::string> target = followLinks(path);
  if (!target) {
    error = path + ": error: cannot write output: " + std::strerror(ELOOP);
    return nullptr;
  }
  std::string dir = directoryOf(*target);
  if (dir.size() == target->size()) {
    error = path + ": error: output path names a directory";
    return nullptr;
  }
  installSignalCleanup();
  // An unnamed file leaves nothing behind whatever ends the run; a file system without them
  // gets a named one, which the destructor and the signal handlers remove.
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0) {
    return std::unique_ptr<OutputDestination>(
        new OutputDestination(fd, *target, Kind::kUnnamedTemporary));
  }
  std::string temp = dir + "." + target->substr(dir.size()) + ".tmp.XXXXXX";
  if (!armPendingName(temp) || (fd = mkstemp(pendingName)) < 0) {
    int savedErrno = errno;
    disarmPendingName();
    error =
        path + ": error: cannot create a temporary file beside it: " + std::strerror(savedErrno);
    return nullptr;
  }
  return std::unique_ptr<OutputDestination>(
      new OutputDestination(fd, *target, Kind::kNamedTemporary));
}

std::string OutputDestination::closeFile(std::string reason) {
  bool replace = kind_ != Kind::kInPlace;
  if (reason.empty() && replace) {
    struct stat existing;
    mode_t mode =
        stat(target_.c_str(), &existing) == 0 ? existing.st_mode & 07777 : modeForNewFile();
    if (fchmod(fd_, mode) != 0 || fsync(fd_) != 0)
      reason = std::strerror(errno);
  }
  if (reason.empty() && kind_ == Kind::kUnnamedTemporary && !nameBeside(fd_, target_))
    reason = std::strerror(errno);
  if (close(fd_) != 0 && reason.empty())
    reason = std::strerror(errno);
  if (reason.empty() && replace && rename(pendingName, target_.c_str()) != 0)
    reason = std::strerror(errno);
  if (replace && pendingArmed) {
    if (!reason.empty())
      unlink(pendingName);
    disarmPendingName();
  }
  return reason;
}

}  // namespace trel::quorlinsrv
