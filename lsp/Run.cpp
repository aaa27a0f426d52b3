// The language server on standard input and output.
#include <algorithm>

#include "lsp/Framing.hpp"
#include "lsp/LanguageServer.hpp"
#include "platform/Process.hpp"

namespace trel::quorlinsrv::lsp {

namespace {

// How often the client's process is looked for while nothing else happens.
constexpr std::chrono::milliseconds kClientCheckInterval(1000);

}  // namespace

int runLanguageServer(const ModuleSession& module) {
  platform::StandardStreams streams;
  bool outputBroken = false;
  LanguageServer server(module, [&](const std::string& body) {
    outputBroken = outputBroken || !streams.write(frameMessage(body));
  });
  MessageReader reader;
  bool busy = false;
  char chunk[64 * 1024];
  while (!server.exited() && !outputBroken) {
    std::optional<Clock::duration> due = server.validateDue(Clock::now());
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::min<Clock::duration>(due.value_or(kClientCheckInterval), kClientCheckInterval));
    int ready = streams.waitForInput(wait);
    if (ready < 0)
      return 1;
    if (server.clientProcessId() && platform::processEnded(*server.clientProcessId()))
      return 1;
    if (ready == 0 && busy) {
      // Idle after work: what the last document and its validation freed goes back to the system.
      platform::releaseFreedMemory();
      busy = false;
    }
    if (ready <= 0)
      continue;
    busy = true;
    long n = streams.read(chunk, sizeof(chunk));
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
