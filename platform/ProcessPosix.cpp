#include <errno.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/Process.hpp"

namespace trel::quorlinsrv::platform {

std::string programDirectory() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0)
    return ".";
  std::string exe(path, static_cast<std::size_t>(length));
  return exe.substr(0, exe.rfind('/'));
}

void prepareConsole() {}

bool standardOutputShowsColour() {
  return isatty(STDOUT_FILENO) != 0;
}

bool processEnded(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

StandardStreams::StandardStreams() {
  // A client that closes the pipe first must not kill the server with SIGPIPE mid-message.
  ::signal(SIGPIPE, SIG_IGN);
}

StandardStreams::~StandardStreams() = default;

int StandardStreams::waitForInput(std::chrono::milliseconds wait) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  int ready = ::poll(&input, 1, static_cast<int>(std::max<long>(wait.count(), 1)));
  if (ready < 0 && errno == EINTR)
    return 0;
  return ready < 0 ? -1 : ready > 0 ? 1 : 0;
}

long StandardStreams::read(char* buffer, std::size_t size) {
  for (;;) {
    ssize_t n = ::read(STDIN_FILENO, buffer, size);
    if (n >= 0 || errno != EINTR)
      return n;
  }
}

bool StandardStreams::write(const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void releaseFreedMemory() {
  ::malloc_trim(0);
}

}  // namespace trel::quorlinsrv::platform
