// A language server for QuorlinServer config files: the module's findings as diagnostics of the
// editor's text, completion from the module's allowed words and the project's DP lists, hover,
// the outline and quick fixes. Transport-free: messages come in through handle() and go out
// through the function given to the constructor; runLanguageServer() wires them to stdin/stdout.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "common/ModuleSession.hpp"
#include "lsp/Project.hpp"
#include "parser/ConfigLine.hpp"

namespace trel::quorlinsrv::lsp {

using Clock = std::chrono::steady_clock;

class LanguageServer {
 public:
  using Send = std::function<void(const std::string& body)>;

  // How long a document must stay unchanged before it is validated again: long enough to take a
  // paste or a client's burst of changes as one, short enough that a 10,000-block document (about
  // 27 ms of validation) shows its diagnostics within 50 ms of the last keystroke.
  static constexpr std::chrono::milliseconds kDebounce{15};

  LanguageServer(const ModuleSession& module, Send send,
                 std::chrono::milliseconds debounce = kDebounce);

  // Handles one message body. A body that is no JSON-RPC message gets an error response.
  void handle(const std::string& body);
  // Answers a message whose framing was broken (there is no id to answer to).
  void reportBadFrame(const std::string& error);
  // Validates the changed documents whose quiet time is over at `now`; returns how long until the
  // next one is due, or nothing when none waits.
  std::optional<Clock::duration> validateDue(Clock::time_point now);

  bool exited() const { return exited_; }
  // 0 after shutdown then exit, 1 for an exit without shutdown.
  int exitCode() const { return shutdown_ ? 0 : 1; }
  // The process id the client gave in initialize, if any.
  std::optional<long> clientProcessId() const { return clientProcessId_; }

 private:
  struct Document {
    std::string path;  // local path of the file:// URI, "" for others
    std::string text;
    long version = 0;
    std::optional<Clock::time_point> dueAt;  // set while a validation waits
  };
  using Json = nlohmann::json;
  using Method = Json (LanguageServer::*)(const Json& params);
  static const std::map<std::string, Method>& methods();

  void sendMessage(const Json& message);
  void sendError(const Json& id, int code, const std::string& message);
  void notify(const std::string& method, Json params);

  Json initialize(const Json& params);
  Json shutdown(const Json& params);
  Json exit(const Json& params);
  Json didOpen(const Json& params);
  Json didChange(const Json& params);
  Json didSave(const Json& params);
  Json didClose(const Json& params);
  Json didChangeConfiguration(const Json& params);
  Json didChangeWatchedFiles(const Json& params);
  Json completion(const Json& params);
  Json hover(const Json& params);
  Json documentSymbol(const Json& params);
  Json codeAction(const Json& params);
  Json ignore(const Json& params);
  // The element that the `dpe=` or `alias=` line at the request's position names, with the
  // project that knows it; nothing on other lines, outside a project, or for an unknown alias.
  struct NamedElement {
    std::size_t lineNo = 0;
    std::string_view line;  // views into the document's text
    ConfigLine read;
    std::size_t cursor = 0;  // the position's byte in the line
    Project* project = nullptr;
    std::string element;  // the value of a `dpe=` line, the element of an alias
  };
  std::optional<NamedElement> namedElement(const Json& params);
  // Authoring (Authoring.cpp): from a config to its DP lists, and names across a file.
  Json definition(const Json& params);
  Json references(const Json& params);
  Json prepareRename(const Json& params);
  Json rename(const Json& params);
  // The actions that end the class finding `diagnostic` of the document `uri`; none for others.
  Json classActions(const std::string& uri, const Document& document, const Json& diagnostic);
  // The workspace (Workspace.cpp): every config that a project names.
  Json workspaceSymbol(const Json& params);
  // Validates and publishes every config of each project that reads `path` (its project file
  // or one of its DP lists); true when `path` is one of those.
  bool revalidateProjectsReading(const std::string& path);
  // The project files of the workspace: the root's and those of the documents met so far.
  std::vector<std::string> projectFiles() const;

  Document& document(const Json& textDocument);
  void schedule(Document& document, Clock::duration delay);
  // Validates `document` and publishes its diagnostics; a failure is told on standard error,
  // with `name` for the document, and ends only this validation.
  void validate(const std::string& uri, Document& document, const std::string& name);
  // The project whose DP lists apply to `path`, null when none is configured. Sets `error` to
  // what kept the project from being found or read.
  Project* projectFor(const std::string& path, std::string& error);
  void readSettings(const Json& settings);

  const ModuleSession& module_;
  Send send_;
  Clock::duration debounce_;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
  std::optional<long> clientProcessId_;
  std::string rootPath_;
  bool relatedInformation_ = false;           // the client shows a diagnostic's related information
  std::vector<std::string> settingsDpLists_;  // the editor's quorlin.dpLists, which win
  std::map<std::string, std::vector<std::string>> allowedWords_;  // by the key they follow
  std::map<std::string, Document> documents_;                     // by URI
  std::map<std::string, std::unique_ptr<Project>> projects_;      // by project file
};

// Serves the protocol on standard input and output until exit, the end of input or the end of
// the client's process; returns the exit code.
int runLanguageServer(const ModuleSession& module);

}  // namespace trel::quorlinsrv::lsp
