// The language server on standard input and output.
#include <errno.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>

#include "lsp/Framing.hpp"
#include "lsp/LanguageServer.hpp"

namespace trel::quorlinsrv::lsp {

namespace {

// How often the client's process is looked for while nothing else happens.
constexpr std::chrono::milliseconds kClientCheckInterval(1000);

bool writeAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool processEnded(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

int runLanguageServer(const ModuleSession& module) {
  // A client that closes the pipe first must not kill the server with SIGPIPE mid-message.
  ::signal(SIGPIPE, SIG_IGN);
  bool outputBroken = false;
  LanguageServer server(module, [&](const std::string& body) {
    outputBroken = outputBroken || !writeAll(STDOUT_FILENO, frameMessage(body));
  });
  MessageReader reader;
  bool busy = false;
  char chunk[64 * 1024];
  while (!server.exited() && !outputBroken) {
    std::optional<Clock::duration> due = server.validateDue(Clock::now());
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::min<Clock::duration>(due.value_or(kClientCheckInterval), kClientCheckInterval));
    pollfd input{STDIN_FILENO, POLLIN, 0};
    int ready = ::poll(&input, 1, static_cast<int>(std::max<long>(wait.count(), 1)));
    if (ready < 0 && errno != EINTR)
      return 1;
    if (server.clientProcessId() && processEnded(*server.clientProcessId()))
      return 1;
    if (ready == 0 && busy) {
      // Idle after work: what the last document and its validation freed goes back to the system.
      ::malloc_trim(0);
      busy = false;
    }
    if (ready <= 0)
      continue;
    busy = true;
    ssize_t n = ::read(STDIN_FILENO, chunk, sizeof(chunk));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return server.exitCode();
    reader.feed(chunk, static_cast<std::size_t>(n));
    for (;;) {
      std::string body, error;  // fresh for each message, so a large one's memory goes with it
      MessageReader::Status status = reader.next(body, error);
      if (status == MessageReader::Status::kNeedMore)
        break;
      if (status == MessageReader::Status::kBadHeader)
        server.reportBadFrame(error);
      else
        server.handle(body);
      if (server.exited())
        break;
    }
  }
  return outputBroken ? 1 : server.exitCode();
}

}  // namespace trel::quorlinsrv::lsp
