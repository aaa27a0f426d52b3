#include "lsp/LanguageServer.hpp"

#include <algorithm>
#include <iostream>
#include <new>
#include <set>
#include <stdexcept>

#include "common/Findings.hpp"
#include "common/Hints.hpp"
#include "common/ProjectFile.hpp"
#include "config/AttributeIndex.hpp"
#include "config/Vocabulary.hpp"
#include "lsp/Text.hpp"
#include "parser/ConfigLine.hpp"
#include "platform/Files.hpp"
#include "platform/MemoryFile.hpp"

namespace trel::quorlinsrv::lsp {

namespace {

// Protocol enumerations used here.
constexpr int kSeverityError = 1;
constexpr int kSyncIncremental = 2;
constexpr int kCompletionField = 5, kCompletionClass = 7, kCompletionReference = 18,
              kCompletionEnumMember = 20, kCompletionVariable = 6;
constexpr int kSymbolObject = 19, kSymbolProperty = 7;

constexpr const char* kSource = "quorlin-validate";
// Completion lists longer than this are cut; the client asks again as the user types on.
constexpr std::size_t kMaxCompletionItems = 500;

// Messages nest a few levels; deeper ones are refused before anything copies them by recursion.
constexpr int kMaxJsonDepth = 64;

// `body` parsed, discarded when it is no JSON; `tooDeep` tells a body nested deeper than
// kMaxJsonDepth, which is discarded as well (nlohmann's parser itself does not recurse).
Json parseMessage(const std::string& body, bool& tooDeep) {
  tooDeep = false;
  auto depthCheck = [&tooDeep](int depth, Json::parse_event_t, Json&) {
    tooDeep = tooDeep || depth > kMaxJsonDepth;
    return !tooDeep;
  };
  Json message = Json::parse(body, depthCheck, false);
  return tooDeep ? Json(Json::value_t::discarded) : message;
}

// The document version of `textDocument`, `fallback` when it has none; invalid params when it is
// no integer.
long versionOf(const Json& textDocument, long fallback) {
  if (!textDocument.contains("version") || textDocument["version"].is_null())
    return fallback;
  const Json& version = textDocument["version"];
  if (!version.is_number_integer())
    throw RpcError(kInvalidParams, "version is no integer");
  return version.get<long>();
}

// The byte offset in `text` of a protocol position: a line (past the last line: the end of
// `text`) and a UTF-16 column (past the line's end: the line's end).
std::size_t offsetOf(const std::string& text, const Json& position) {
  std::size_t line = unsignedField(position, "line");
  std::size_t start = 0;
  for (; line > 0 && start < text.size(); --line) {
    std::size_t end = text.find('\n', start);
    start = end == std::string::npos ? text.size() : end + 1;
  }
  if (line > 0)
    return text.size();
  std::size_t end = std::min(text.find('\n', start), text.size());
  if (end > start && text[end - 1] == '\r')
    --end;
  std::string_view view(text.data() + start, end - start);
  return start + byteOffset(view, unsignedField(position, "character"));
}

// The text of a change, moved out of the message that handle() owns and drops afterwards.
std::string takeText(const Json& change) {
  const Json& text = change.at("text");
  if (!text.is_string())
    throw RpcError(kInvalidParams, "text is no string");
  return std::move(const_cast<Json&>(text).get_ref<std::string&>());
}

// Applies one change of didChange to `text`: a range replaced, or without a range the whole text.
void applyChange(std::string& text, const Json& change) {
  if (!change.contains("range")) {
    text = takeText(change);
    return;
  }
  const Json& range = change["range"];
  std::size_t start = offsetOf(text, range.at("start"));
  std::size_t end = offsetOf(text, range.at("end"));
  if (end < start)
    throw RpcError(kInvalidParams, "range ends before it starts");
  text.replace(start, end - start, change.at("text").get_ref<const std::string&>());
}

// Gives back the memory of a document that shrank to less than half its buffer.
void releaseSlack(std::string& text) {
  if (text.capacity() > 2 * text.size() + 4096)
    text.shrink_to_fit();
}

std::string resolve(const std::string& base, const std::string& path) {
  return path.empty() || platform::isAbsolutePath(path) || base.empty() ? path : base + "/" + path;
}

using platform::directoryOf;

// What the text before the cursor is completing, read as the module reads lines.
struct CompletionContext {
  enum What { kNothing, kKey, kValue, kClass } what = kNothing;
  ConfigLine line;       // the text before the cursor: for kValue its key and value so far
  std::size_t from = 0;  // the byte where the text that a completion replaces begins
};

CompletionContext completionContext(std::string_view before) {
  CompletionContext context;
  const ConfigLine& line = context.line = grammar().read(before);
  if (!line.text.empty() && line.text.front() == '[') {
    // The header as the cursor's word would close it; the placeholder stands for the rest of
    // that word, so the word is there even before its first character is typed.
    std::string closed = std::string(before) + "x]";
    ConfigLine header = grammar().read(closed);
    if (header.kind == LineKind::kHeader && header.wordCount == 3 &&
        header.words[1] == kClassIntroducer) {
      context.what = CompletionContext::kClass;
      context.from = LineGrammar::offsetOf(closed, header.words[2]);
    }
  } else if (line.kind == LineKind::kBlank ||
             (line.kind == LineKind::kOther &&
              before.find(kKeyValueSeparator) == std::string_view::npos)) {
    context.what = CompletionContext::kKey;
    context.from = line.text.empty() ? before.size() : LineGrammar::offsetOf(before, line.text);
  } else if (line.kind == LineKind::kKeyValue) {
    context.what = CompletionContext::kValue;
    context.from = before.find(kKeyValueSeparator) + kKeyValueSeparator.size();
  }
  return context;
}

// Whether the client announced that it shows a diagnostic's related information.
bool clientShowsRelatedInformation(const Json& initializeParams) {
  static const Json::json_pointer kCapability(
      "/capabilities/textDocument/publishDiagnostics/relatedInformation");
  return initializeParams.contains(kCapability) && initializeParams.at(kCapability) == true;
}

// A diagnostic's message: the finding's, with its notes below it for a client that would not
// show them as related information.
std::string messageOf(const Finding& finding, bool notesApart) {
  std::string message = finding.message;
  if (!notesApart) {
    for (const Note& note : finding.notes)
      message += "\nnote: " + note.text;
  }
  return message;
}

}  // namespace

LanguageServer::LanguageServer(const ModuleSession& module, Send send,
                               std::chrono::milliseconds debounce)
    : module_(module), send_(std::move(send)), debounce_(debounce) {
  for (const auto& [attribute, function] : kAllowedWordsFunctions) {
    std::string error;
    std::vector<std::string> words;
    if (module_.allowedNames(function, words, error))
      allowedWords_[std::string(attributeRow(attribute).fileKey)] = std::move(words);
  }
}

const std::map<std::string, LanguageServer::Method>& LanguageServer::methods() {
  static const std::map<std::string, Method> table = {
      {"initialize", &LanguageServer::initialize},
      {"initialized", &LanguageServer::ignore},
      {"shutdown", &LanguageServer::shutdown},
      {"exit", &LanguageServer::exit},
      {"textDocument/didOpen", &LanguageServer::didOpen},
      {"textDocument/didChange", &LanguageServer::didChange},
      {"textDocument/didSave", &LanguageServer::didSave},
      {"textDocument/didClose", &LanguageServer::didClose},
      {"textDocument/completion", &LanguageServer::completion},
      {"textDocument/hover", &LanguageServer::hover},
      {"textDocument/documentSymbol", &LanguageServer::documentSymbol},
      {"textDocument/codeAction", &LanguageServer::codeAction},
      {"textDocument/definition", &LanguageServer::definition},
      {"textDocument/references", &LanguageServer::references},
      {"textDocument/prepareRename", &LanguageServer::prepareRename},
      {"textDocument/rename", &LanguageServer::rename},
      {"workspace/symbol", &LanguageServer::workspaceSymbol},
      {"workspace/didChangeConfiguration", &LanguageServer::didChangeConfiguration},
      {"workspace/didChangeWatchedFiles", &LanguageServer::didChangeWatchedFiles},
      {"$/cancelRequest", &LanguageServer::ignore},
      {"$/setTrace", &LanguageServer::ignore},
  };
  return table;
}

void LanguageServer::sendMessage(const Json& message) {
  send_(message.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void LanguageServer::sendError(const Json& id, int code, const std::string& message) {
  sendMessage({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void LanguageServer::notify(const std::string& method, Json params) {
  sendMessage({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

void LanguageServer::reportBadFrame(const std::string& error) {
  sendError(nullptr, kParseError, error);
}

void LanguageServer::handle(const std::string& body) {
  bool tooDeep = false;
  Json message = parseMessage(body, tooDeep);
  if (tooDeep) {
    return sendError(nullptr, kInvalidRequest,
                     "message nested more than " + std::to_string(kMaxJsonDepth) + " levels deep");
  }
  if (message.is_discarded())
    return sendError(nullptr, kParseError, "message body is not JSON");
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    // A response to a request of ours would land here too; this server sends none.
    if (message.is_object() && !message.contains("method") && message.contains("id"))
      return;
    return sendError(nullptr, kInvalidRequest, "not a JSON-RPC request or notification");
  }
  const std::string method = message["method"];
  bool isRequest = message.contains("id");
  Json id = isRequest ? message["id"] : Json();
  if (isRequest && !id.is_string() && !id.is_number_integer())
    return sendError(nullptr, kInvalidRequest, "request id is neither a number nor a string");
  auto entry = methods().find(method);
  try {
    if (!initialized_ && method != "initialize" && method != "exit") {
      if (isRequest)
        sendError(id, kServerNotInitialized, "initialize first");
      return;
    }
    if (shutdown_ && isRequest)
      return sendError(id, kInvalidRequest, "the server was shut down");
    if (entry == methods().end()) {
      if (isRequest)
        sendError(id, kMethodNotFound, "method not handled: " + method);
      return;
    }
    // Moved, not copied: a document's text is held once.
    Json params = message.contains("params") ? std::move(message["params"]) : Json::object();
    Json result = (this->*entry->second)(params);
    if (isRequest)
      sendMessage({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
  } catch (const RpcError& e) {
    if (isRequest)
      sendError(id, e.code, e.what());
  } catch (const Json::exception& e) {
    // Parameters of the wrong shape: their access throws.
    if (isRequest)
      sendError(id, kInvalidParams, e.what());
  } catch (const std::bad_alloc&) {
    throw;  // the process is in no state to go on
  } catch (const std::exception& e) {
    // A system failure (no memory file, say) ends this message only, not the session.
    if (isRequest)
      sendError(id, kInternalError, e.what());
    else
      std::cerr << "quorlin-validate --lsp: " << method << ": " << e.what() << '\n';
  }
}

Json LanguageServer::initialize(const Json& params) {
  if (initialized_)
    throw RpcError(kInvalidRequest, "initialize was already called");
  initialized_ = true;
  if (params.contains("processId") && params["processId"].is_number_integer())
    clientProcessId_ = params["processId"].get<long>();
  if (params.contains("rootUri") && params["rootUri"].is_string())
    rootPath_ = pathOfUri(params["rootUri"]);
  if (params.contains("initializationOptions"))
    readSettings(params["initializationOptions"]);
  relatedInformation_ = clientShowsRelatedInformation(params);
  Json triggers = Json::array({"=", ".", " "});
  return {
      {"capabilities",
       {{"textDocumentSync",
         {{"openClose", true}, {"change", kSyncIncremental}, {"save", {{"includeText", false}}}}},
        {"completionProvider", {{"triggerCharacters", triggers}}},
        {"hoverProvider", true},
        {"documentSymbolProvider", true},
        {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
        {"definitionProvider", true},
        {"referencesProvider", true},
        {"renameProvider", {{"prepareProvider", true}}},
        {"workspaceSymbolProvider", true}}},
      {"serverInfo", {{"name", kSource}, {"version", module_.version()}}}};
}

Json LanguageServer::shutdown(const Json&) {
  shutdown_ = true;
  return nullptr;
}

Json LanguageServer::exit(const Json&) {
  exited_ = true;
  return nullptr;
}

Json LanguageServer::ignore(const Json&) {
  return nullptr;
}

void LanguageServer::readSettings(const Json& settings) {
  // Both {"dpLists": [...]} and the configuration section {"quorlin": {"dpLists": [...]}}.
  const Json* section = &settings;
  if (settings.is_object() && settings.contains("quorlin"))
    section = &settings["quorlin"];
  if (!section->is_object() || !section->contains("dpLists"))
    return;
  settingsDpLists_.clear();
  for (const Json& path : (*section)["dpLists"]) {
    if (path.is_string() && !path.get<std::string>().empty())
      settingsDpLists_.push_back(resolve(rootPath_, path));
  }
}

LanguageServer::Document& LanguageServer::document(const Json& textDocument) {
  auto it = documents_.find(textDocument.at("uri").get<std::string>());
  if (it == documents_.end())
    throw RpcError(kInvalidParams, "document is not open");
  return it->second;
}

void LanguageServer::schedule(Document& document, Clock::duration delay) {
  document.dueAt = Clock::now() + delay;
}

Json LanguageServer::didOpen(const Json& params) {
  const Json& item = params.at("textDocument");
  std::string uri = item.at("uri");
  Document& doc = documents_[uri];
  doc.path = pathOfUri(uri);
  doc.text = takeText(item);
  doc.text.shrink_to_fit();
  doc.version = versionOf(item, 0);
  schedule(doc, Clock::duration::zero());
  return nullptr;
}

Json LanguageServer::didChange(const Json& params) {
  Document& doc = document(params.at("textDocument"));
  long version = versionOf(params.at("textDocument"), doc.version);
  // In order: each range is a position in the text the changes before it made.
  for (const Json& change : params.at("contentChanges"))
    applyChange(doc.text, change);
  releaseSlack(doc.text);
  doc.version = version;
  schedule(doc, debounce_);
  return nullptr;
}

Json LanguageServer::didSave(const Json& params) {
  // A saved DP list or project file changes what every config of its project is checked against.
  std::string uri = params.at("textDocument").at("uri");
  if (revalidateProjectsReading(pathOfUri(uri)) && documents_.count(uri) == 0)
    return nullptr;
  schedule(document(params.at("textDocument")), Clock::duration::zero());
  return nullptr;
}

Json LanguageServer::didClose(const Json& params) {
  std::string uri = params.at("textDocument").at("uri");
  if (documents_.erase(uri) > 0)
    notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", Json::array()}});
  return nullptr;
}

Json LanguageServer::didChangeConfiguration(const Json& params) {
  readSettings(params.value("settings", Json::object()));
  for (auto& [uri, doc] : documents_)
    schedule(doc, Clock::duration::zero());
  return nullptr;
}

Json LanguageServer::didChangeWatchedFiles(const Json& params) {
  // Each project compares its files' times before the next validation; only revalidate here.
  for (auto& [uri, doc] : documents_)
    schedule(doc, Clock::duration::zero());
  for (const Json& change : params.value("changes", Json::array()))
    if (change.is_object() && change.contains("uri") && change["uri"].is_string())
      revalidateProjectsReading(pathOfUri(change["uri"]));
  return nullptr;
}

std::optional<Clock::duration> LanguageServer::validateDue(Clock::time_point now) {
  std::optional<Clock::duration> next;
  for (auto& [uri, doc] : documents_) {
    if (!doc.dueAt)
      continue;
    if (*doc.dueAt <= now) {
      doc.dueAt.reset();
      validate(uri, doc, uri);
    } else if (!next || *doc.dueAt - now < *next) {
      next = *doc.dueAt - now;
    }
  }
  return next;
}

Project* LanguageServer::projectFor(const std::string& path, std::string& error) {
  std::string key, projectFile;
  if (settingsDpLists_.empty()) {
    std::string start = path.empty() ? rootPath_ : directoryOf(path);
    std::optional<std::string> found = start.empty() ? std::nullopt : findProjectFile(start);
    if (!found)
      return nullptr;
    key = projectFile = *found;
  } else {
    for (const std::string& list : settingsDpLists_)
      key += list + '\n';
  }
  std::unique_ptr<Project>& project = projects_[key];
  if (!project)
    project = std::make_unique<Project>(settingsDpLists_, projectFile);
  if (project->refresh()) {
    for (const auto& [attribute, function] : kAllowedWordsFunctions) {
      auto words = allowedWords_.find(std::string(attributeRow(attribute).fileKey));
      if (words != allowedWords_.end())
        project->hints().setAllowedWords(std::string(attributeRow(attribute).resultKey),
                                         words->second);
    }
  }
  error = project->error();
  return project.get();
}

void LanguageServer::validate(const std::string& uri, Document& doc, const std::string& name) try {
  // The notification is written as text, one diagnostic at a time: as one JSON value the
  // diagnostics of a 5 MB document with a finding on each of its 68,000 blocks took 30 MB more.
  std::string body = R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{)";
  body += R"("uri":)" + Json(uri).dump(-1, ' ', false, Json::error_handler_t::replace);
  body += R"(,"version":)" + std::to_string(doc.version) + R"(,"diagnostics":[)";
  const std::size_t firstItem = body.size();
  std::vector<std::string_view> lines = splitLines(doc.text);
  auto lineLength = [&](unsigned line) {  // 1-based; 0 and lines past the end have none
    return line > 0 && line <= lines.size() ? utf16Length(lines[line - 1]) : 0;
  };
  auto diagnostic = [&](const Json& where, const std::string& code, const std::string& message) {
    return Json{{"range", where},
                {"severity", kSeverityError},
                {"source", kSource},
                {"code", code},
                {"message", message}};
  };
  auto write = [&](const Json& item) {
    if (body.size() > firstItem)
      body += ',';
    body += item.dump(-1, ' ', false, Json::error_handler_t::replace);
  };
  std::string error;
  Project* project = projectFor(doc.path, error);
  if (!project) {
    // Outside a project a .cfg file is no config of ours (setup.cfg, say): nothing to report.
  } else if (!error.empty()) {
    write(diagnostic(range(0, 0, lineLength(1)), "dp-lists", error));
  } else {
    project->install();
    std::vector<Finding> findings;
    {
      FileOutcome outcome;  // gone before the diagnostics are written
      module_.validate(MemoryFile(doc.text).path(), true, outcome, error);
      if (!error.empty())
        write(diagnostic(range(0, 0, lineLength(1)), "module", error));
      findings = findingsOf(outcome);
    }
    annotateFindings(doc.text, project->hints(), findings);
    for (const Finding& finding : findings) {
      ShownPosition at = shownPosition(finding);
      unsigned first = std::max(at.line, 1u), last = std::max(at.endLine, first);
      auto column = [&](unsigned line, unsigned character) {
        return line <= lines.size() ? utf16Column(lines[line - 1], character) : 0;
      };
      // Without a column the finding covers its lines whole.
      Json where = {
          {"start", position(first - 1, at.column ? column(first, at.column) : 0)},
          {"end", position(last - 1, at.column ? column(last, at.endColumn) : lineLength(last))}};
      Json item = diagnostic(where, finding.key, messageOf(finding, relatedInformation_));
      Json suggestions = Json::array();
      for (const Note& note : finding.notes) {
        if (relatedInformation_)
          item["relatedInformation"].push_back(
              {{"location", {{"uri", uri}, {"range", where}}}, {"message", note.text}});
        if (!note.suggestion.empty())
          suggestions.push_back(note.suggestion);
      }
      if (!suggestions.empty())
        item["data"] = {{"suggestions", std::move(suggestions)}};
      write(item);
    }
  }
  body += "]}}";
  send_(body);
} catch (const std::bad_alloc&) {
  throw;
} catch (const std::exception& e) {
  std::cerr << "quorlin-validate --lsp: validating " << name << ": " << e.what() << '\n';
}

Json LanguageServer::completion(const Json& params) {
  Document& doc = document(params.at("textDocument"));
  std::size_t lineNo = unsignedField(params.at("position"), "line");
  std::vector<std::string_view> lines = splitLines(doc.text);
  if (lineNo >= lines.size())
    return Json::array();
  std::string_view line = lines[lineNo];
  std::size_t cursor = byteOffset(line, unsignedField(params["position"], "character"));
  std::string_view before = line.substr(0, cursor);
  Json items = Json::array();
  bool incomplete = false;
  CompletionContext context = completionContext(before);
  // Items replace what was typed after the separator, so names with dots complete as a whole.
  Json replaced = range(lineNo, utf16Length(line.substr(0, context.from)), utf16Length(before));
  auto add = [&](const std::string& label, int kind, const std::string& detail) {
    if (items.size() >= kMaxCompletionItems) {
      incomplete = true;
      return;
    }
    Json item = {{"label", label}, {"kind", kind}, {"textEdit", textEdit(replaced, label)}};
    if (!detail.empty())
      item["detail"] = detail;
    items.push_back(std::move(item));
  };
  if (context.what == CompletionContext::kClass) {
    std::set<std::string> classes;
    for (std::string_view other : lines)
      classes.emplace(grammar().read(other).className());
    classes.erase("");
    for (const std::string& name : classes)
      add(name, kCompletionClass, "class");
  } else if (context.what == CompletionContext::kKey) {
    for (const std::string& key : fileKeys())
      add(key, kCompletionField, "key");
    for (Json& item : items)
      item["textEdit"]["newText"] = item["label"].get<std::string>() + kKeyValueSeparator;
  } else if (context.what == CompletionContext::kValue) {
    std::string key(context.line.key);
    std::string error;
    Project* project = projectFor(doc.path, error);
    auto words = allowedWords_.find(key);
    if (words != allowedWords_.end()) {
      for (const std::string& word : words->second)
        add(word, kCompletionEnumMember, key);
    } else if (key == fileKey(kDpe) && project) {
      for (const LeafElement& leaf : project->leafElements()) {
        if (containsNoCase(leaf.name, context.line.value))
          add(leaf.name, kCompletionVariable, leaf.type);
      }
    } else if (key == fileKey(kAlias) && project) {
      for (const DpListAlias& alias : project->aliases()) {
        if (containsNoCase(alias.alias, context.line.value))
          add(alias.alias, kCompletionReference, alias.element);
      }
    }
  }
  return {{"isIncomplete", incomplete}, {"items", std::move(items)}};
}

Json LanguageServer::hover(const Json& params) {
  std::optional<NamedElement> named = namedElement(params);
  if (!named)
    return nullptr;
  std::string text;
  if (named->read.key == fileKey(kAlias))
    text = "alias `" + std::string(named->read.value) + "` → ";
  const LeafElement* leaf = named->project->findLeaf(named->element);
  text += "`" + named->element + "`" +
          (leaf ? ": " + leaf->type : ": not a leaf element of the DP lists");
  return {{"contents", {{"kind", "markdown"}, {"value", text}}},
          {"range", range(named->lineNo, 0, utf16Length(named->line))}};
}

Json LanguageServer::documentSymbol(const Json& params) {
  Document& doc = document(params.at("textDocument"));
  std::vector<std::string_view> lines = splitLines(doc.text);
  Json symbols = Json::array();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Json lineRange = range(i, 0, utf16Length(lines[i]));
    ConfigLine line = grammar().read(lines[i]);
    if (line.kind == LineKind::kHeader) {
      // A malformed header names no device for the module: it shows as written.
      std::string device(line.wellFormed() ? line.deviceName() : line.text);
      symbols.push_back({{"name", device.empty() ? "(empty)" : device},
                         {"kind", kSymbolObject},
                         {"range", lineRange},
                         {"selectionRange", lineRange},
                         {"children", Json::array()}});
      if (!line.className().empty())
        symbols.back()["detail"] = std::string(line.className());
    } else if (!symbols.empty()) {
      symbols.back()["range"]["end"] = lineRange["end"];
      if (line.key == fileKey(kProperty)) {
        std::string name(line.value);
        symbols.back()["children"].push_back({{"name", name.empty() ? "(empty)" : name},
                                              {"kind", kSymbolProperty},
                                              {"range", lineRange},
                                              {"selectionRange", lineRange}});
      }
    }
  }
  return symbols;
}

Json LanguageServer::codeAction(const Json& params) {
  std::string uri = params.at("textDocument").at("uri");
  Json actions = Json::array();
  auto open = documents_.find(uri);
  for (const Json& diagnostic : params.at("context").at("diagnostics")) {
    if (open != documents_.end()) {
      for (const Json& action : classActions(uri, open->second, diagnostic))
        actions.push_back(action);
    }
    if (!diagnostic.contains("data") || !diagnostic["data"].contains("suggestions"))
      continue;
    for (const Json& suggestion : diagnostic["data"]["suggestions"]) {
      Json edit = textEdit(diagnostic.at("range"), suggestion);
      actions.push_back(quickFix("Replace with '" + suggestion.get<std::string>() + "'", uri,
                                 diagnostic, std::move(edit)));
    }
  }
  return actions;
}

}  // namespace trel::quorlinsrv::lsp
