// The language server's input: the bytes as what an editor writes to `quorlin-validate --lsp`,
// framed messages or not, handled by a server on the loaded module. Bodies may abbreviate long
// repeats (see expandRepeats), which frames could not announce in a few bytes.
#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/Framing.hpp"
#include "lsp/LanguageServer.hpp"
#include "tests/support/FuzzInputs.hpp"
#include "tests/support/LoadedModule.hpp"
#include "tests/support/RuleCheck.hpp"

namespace trel::quorlinsrv::fuzz {

namespace {

using lsp::MessageReader;

// The bodies and framing errors read from `bytes` fed in pieces of `piece` bytes.
std::vector<std::string> readAll(std::string_view bytes, std::size_t piece) {
  MessageReader reader;
  std::vector<std::string> read;
  std::string body, error;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    reader.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    for (MessageReader::Status status;
         (status = reader.next(body, error)) != MessageReader::Status::kNeedMore;)
      read.push_back(status == MessageReader::Status::kMessage ? "body " + body : "bad " + error);
  }
  return read;
}

// Expanded bodies stop growing at this size, which keeps an input within milliseconds.
constexpr std::size_t kMaxExpandedBytes = 256u << 10;

// `body` with its repeats expanded: ESC, a byte c and a byte b stand for b repeated 2^(c % 18)
// times, so that a short input reaches messages nested 100,000 levels deep.
std::string expandRepeats(const std::string& body) {
  std::string expanded;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\x1b' && i + 2 < body.size() && expanded.size() < kMaxExpandedBytes) {
      expanded.append(std::size_t(1) << (static_cast<unsigned char>(body[i + 1]) % 18),
                      body[i + 2]);
      i += 2;
    } else {
      expanded += body[i];
    }
  }
  return expanded;
}

}  // namespace

std::string runLspMessagesInput(std::string_view bytes) {
  const ModuleSession& module = loadedModule();
  RuleCheck rules;
  // How the stream is cut into reads must not change what is read (the first byte picks a cut).
  std::vector<std::string> whole = readAll(bytes, bytes.size() + 1);
  std::size_t piece = bytes.empty() ? 1 : static_cast<unsigned char>(bytes[0]) % 7 + 1;
  rules.require(whole == readAll(bytes, piece), "reading in pieces reads something else");

  std::vector<std::string> sent;
  lsp::LanguageServer server(
      module, [&](const std::string& body) { sent.push_back(body); }, std::chrono::milliseconds(0));
  for (const std::string& item : whole) {
    if (server.exited())
      break;
    if (item.compare(0, 5, "body ") == 0)
      server.handle(expandRepeats(item.substr(5)));
    else
      server.reportBadFrame(item.substr(4));
    server.validateDue(lsp::Clock::now() + std::chrono::hours(1));
  }
  for (const std::string& body : sent) {
    nlohmann::json message = nlohmann::json::parse(body, nullptr, false);
    rules.require(message.is_object() && message.value("jsonrpc", "") == "2.0",
                  "the server sent no JSON-RPC message", body);
  }
  return rules.broken();
}

}  // namespace trel::quorlinsrv::fuzz
