// One editing session with `quorlin-validate --lsp` over pipes, written down as a transcript of
// what the server answered and compared with session.expected.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "lsp/LanguageServer.hpp"
#include "tests/support/ChildProcess.hpp"
#include "tests/support/ScratchDir.hpp"

namespace {

using Json = nlohmann::json;
using trel::quorlinsrv::test::currentProcessId;
using trel::quorlinsrv::test::PipedProgram;
using trel::quorlinsrv::test::ScratchDir;
const std::string kSource = QUORLIN_SOURCE_DIR;

// The file URI of the absolute `path`: file:///C:/x for C:/x.
std::string fileUri(const std::string& path) {
  return "file://" + std::string(path.front() == '/' ? "" : "/") + path;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The server as a child process with its standard input and output on pipes.
class Server {
 public:
  Server() : program_(QUORLIN_VALIDATE_PATH, {"--lsp"}) {}
  void sendRaw(const std::string& bytes) { ASSERT_TRUE(program_.write(bytes)); }
  void send(const Json& message) {
    std::string body = message.dump();
    sendRaw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  }
  // The next message; null after ten seconds without one or at the end of output.
  Json receive() {
    for (;;) {
      std::size_t end = buffer_.find("\r\n\r\n");
      if (end != std::string::npos) {
        std::size_t length = std::stoul(buffer_.substr(buffer_.find(':') + 1));
        if (buffer_.size() >= end + 4 + length) {
          Json message = Json::parse(buffer_.substr(end + 4, length));
          buffer_.erase(0, end + 4 + length);
          return message;
        }
      }
      char chunk[65536];
      long n = program_.read(chunk, sizeof(chunk), std::chrono::seconds(10));
      if (n <= 0)
        return nullptr;
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  // The next message that is not a notification of another method than `method`.
  Json receive(const std::string& method) {
    Json message = receive();
    while (message.is_object() && message.value("method", method) != method)
      message = receive();
    return message;
  }
  int wait() { return program_.wait(); }

 private:
  PipedProgram program_;
  std::string buffer_;
};

Json request(int id, const std::string& method, Json params) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

Json notification(const std::string& method, Json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

std::string where(const Json& range) {
  auto at = [](const Json& p) {
    return std::to_string(p["line"].get<int>() + 1) + ":" +
           std::to_string(p["character"].get<int>() + 1);
  };
  return at(range["start"]) + "-" + at(range["end"]);
}

// One line per diagnostic: range (1-based), code, message, then its related information.
std::string diagnosticsText(const Json& publish) {
  std::string text =
      "diagnostics of version " + publish["params"].value("version", Json()).dump() + "\n";
  for (const Json& d : publish["params"]["diagnostics"]) {
    text += "  " + where(d["range"]) + " " + d["code"].get<std::string>() + " [" +
            d["source"].get<std::string>() + ", severity " + d["severity"].dump() + "] " +
            d["message"].get<std::string>() + "\n";
    for (const Json& related : d.value("relatedInformation", Json::array()))
      text += "    " + where(related["location"]["range"]) + " " +
              related["message"].get<std::string>() + "\n";
  }
  return text;
}

// The items' labels with their details, then the range of the text that the first one replaces.
std::string labelsText(const Json& response) {
  std::string text;
  const Json& items = response["result"]["items"];
  for (const Json& item : items)
    text += " " + item["label"].get<std::string>() + "(" + item.value("detail", "") + ")";
  if (!items.empty()) {
    const Json& range = items[0]["textEdit"]["range"];
    for (const char* end : {"start", "end"})
      text += std::string(" ") + end + " " + range[end]["line"].dump() + ":" +
              range[end]["character"].dump();
  }
  return text + "\n";
}

// Compares `transcript` with the file `name` of tests/lsp (rewritten with QUORLIN_UPDATE_GOLDEN).
void expectTranscript(const std::string& name, const std::string& transcript) {
  std::string expectedPath = kSource + "/tests/lsp/" + name;
#ifdef _WIN32
  // Where a path shows with Windows' separators, Windows has a transcript of its own.
  if (std::filesystem::exists(expectedPath + ".windows"))
    expectedPath += ".windows";
#endif
  if (std::getenv("QUORLIN_UPDATE_GOLDEN"))
    std::ofstream(expectedPath, std::ios::binary) << transcript;
  EXPECT_EQ(readFile(expectedPath), transcript);
}

TEST(LanguageServerSession, AnswersAsTheTranscriptSays) {
  const std::string uri = fileUri(kSource) + "/examples/invalid.cfg";
  std::string text = readFile(kSource + "/examples/invalid.cfg");
  Server server;
  std::string transcript;
  server.send(
      request(1, "initialize",
              {{"processId", currentProcessId()},
               {"rootUri", fileUri(kSource)},
               {"capabilities",
                {{"textDocument", {{"publishDiagnostics", {{"relatedInformation", true}}}}}}},
               {"initializationOptions", {{"dpLists", {"examples/plant.dpl"}}}}}));
  transcript += "initialize: " + server.receive()["result"]["serverInfo"].dump() + "\n";
  server.send(notification("initialized", Json::object()));
  server.send(
      notification("textDocument/didOpen",
                   {{"textDocument",
                     {{"uri", uri}, {"languageId", "quorlin"}, {"version", 1}, {"text", text}}}}));
  Json first = server.receive("textDocument/publishDiagnostics");
  transcript += diagnosticsText(first);
  Json fixable = Json::array();
  for (const Json& d : first["params"]["diagnostics"])
    if (d.contains("data"))
      fixable.push_back(d);
  server.send(request(5, "textDocument/codeAction",
                      {{"textDocument", {{"uri", uri}}},
                       {"range", fixable.at(0)["range"]},
                       {"context", {{"diagnostics", fixable}}}}));
  Json actions = server.receive();
  for (const Json& action : actions["result"])
    transcript += "quick fix: " + action["title"].get<std::string>() + " at " +
                  where(action["edit"]["changes"][uri][0]["range"]) + "\n";
  server.send(
      request(6, "textDocument/hover",
              {{"textDocument", {{"uri", uri}}}, {"position", {{"line", 2}, {"character", 8}}}}));
  transcript += "hover on dpe=PS1.voltage: " +
                server.receive()["result"]["contents"]["value"].get<std::string>() + "\n";
  // Line 5 is "direction=in/out", line 3 "dpe=PS1.voltage".
  server.send(
      request(2, "textDocument/completion",
              {{"textDocument", {{"uri", uri}}}, {"position", {{"line", 4}, {"character", 10}}}}));
  transcript += "completion after direction=:" + labelsText(server.receive());
  server.send(
      request(3, "textDocument/completion",
              {{"textDocument", {{"uri", uri}}}, {"position", {{"line", 2}, {"character", 7}}}}));
  transcript += "completion after dpe=PS1:" + labelsText(server.receive());
  server.sendRaw("Content-Length: 5\r\n\r\n{oops");
  transcript += "malformed body: " + server.receive()["error"].dump() + "\n";
  text.erase(text.find("time=seconds\n"), 13);
  // Two blanks make the header malformed for the module, and so for the outline and completion.
  text.replace(text.find("[Pump1]"), 7, "[Pump1  _instance_of_ Pump]");
  server.send(notification(
      "textDocument/didChange",
      {{"textDocument", {{"uri", uri}, {"version", 2}}}, {"contentChanges", {{{"text", text}}}}}));
  transcript += diagnosticsText(server.receive("textDocument/publishDiagnostics"));
  server.send(request(7, "textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}}));
  transcript += "outline:";
  Json outline = server.receive();
  for (const Json& device : outline["result"]) {
    transcript += " " + device["name"].get<std::string>() + "(" + device.value("detail", "") + ")";
    for (const Json& property : device["children"])
      transcript += " ." + property["name"].get<std::string>();
  }
  // Line 12 is "[PS2 _instance_of_ PowerSupply]".
  server.send(
      request(8, "textDocument/completion",
              {{"textDocument", {{"uri", uri}}}, {"position", {{"line", 11}, {"character", 19}}}}));
  transcript += "\ncompletion after [PS2 _instance_of_:" + labelsText(server.receive());
  server.send(notification("workspace/didChangeConfiguration",
                           {{"settings", {{"quorlin", {{"dpLists", Json::array()}}}}}}));
  transcript +=
      "without DP lists: " + diagnosticsText(server.receive("textDocument/publishDiagnostics"));
  server.send(request(4, "shutdown", nullptr));
  transcript += "shutdown: " + server.receive().dump() + "\n";
  server.send(notification("exit", nullptr));
  transcript += "exit code " + std::to_string(server.wait()) + "\n";

  expectTranscript("session.expected", transcript);
}

// Input that crashed the server or was misread: each answered, and the session goes on.
TEST(LanguageServerSession, OutlastsHostileInput) {
  const std::string uri = fileUri(kSource) + "/examples/edited.cfg";
  const ScratchDir scratch;
  const std::string& dir = scratch.path();
  std::string dottedKeys = "[a";
  for (int i = 0; i < 100000; ++i)
    dottedKeys += ".a";
  std::ofstream(dir + "/.quorlin-validate.toml") << "\n" << dottedKeys << "]\n";
  std::ofstream(dir + "/big.dpl").close();
  // The scratch directory, as given and as Windows shows it, is DIR in the transcript.
  auto hideDir = [&](std::string text) {
    for (const std::string& form : {dir, std::filesystem::path(dir).make_preferred().string()}) {
      for (std::size_t at = text.find(form); at != std::string::npos; at = text.find(form, at))
        text.replace(at, form.size(), "DIR");
    }
    return text;
  };
  Server server;
  std::string transcript;
  server.send(request(1, "initialize",
                      {{"rootUri", fileUri(kSource)},
                       {"initializationOptions", {{"dpLists", {"examples/plant.dpl"}}}}}));
  transcript += "sync kind " +
                server.receive()["result"]["capabilities"]["textDocumentSync"]["change"].dump() +
                "\n";
  server.send(notification("initialized", Json::object()));
  // Line 0 holds a character of two UTF-16 units and ends in CR LF.
  server.send(notification("textDocument/didOpen",
                           {{"textDocument",
                             {{"uri", uri},
                              {"version", 1},
                              {"text", "dpe=PS1.\xF0\x9D\x84\x9Evoltage\r\ndpe=PS1.voltage\n"}}}}));
  auto at = [](int line, int character) { return Json{{"line", line}, {"character", character}}; };
  auto edit = [](const Json& start, const Json& end, const std::string& text) {
    return Json{{"range", {{"start", start}, {"end", end}}}, {"text", text}};
  };
  auto hover = [&](const std::string& line) {
    std::string body = R"({"jsonrpc":"2.0","id":2,"method":"textDocument/hover","params":{)"
                       R"("textDocument":{"uri":")" +
                       uri + R"("},"position":{"line":)" + line + R"(,"character":5}}})";
    server.sendRaw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    Json answer = server.receive("responses only");
    return " " + (answer.contains("result") ? answer["result"]["contents"]["value"].dump()
                                            : answer["error"].dump());
  };
  // Applied in order, each in the text the one before left; past a line's end is its end.
  Json changes =
      Json::array({edit(at(1, 8), at(1, 15), "current"), edit(at(0, 8), at(0, 10), ""),
                   edit(at(0, 15), at(0, 99), ""), edit(at(9, 0), at(9, 0), "dpe=PS1.limits.max")});
  server.send(notification(
      "textDocument/didChange",
      {{"textDocument", {{"uri", uri}, {"version", 2}}}, {"contentChanges", changes}}));
  transcript += "after ranges:" + hover("0") + hover("1") + hover("2") + "\n";
  server.send(notification("textDocument/didChange",
                           {{"textDocument", {{"uri", uri}, {"version", 3}}},
                            {"contentChanges", {{{"text", "dpe=PS1.limits.min"}}}}}));
  transcript += "after the whole text:" + hover("0") + "\n";
  transcript += "lines that are no non-negative integer:";
  for (const char* line : {"1e300", "18446744073709551616", "-1", "1.5", "\"0\"", "null"})
    transcript += hover(line);
  std::string deep = R"({"jsonrpc":"2.0","id":3,"method":"initialize","params":)" +
                     std::string(1000000, '[') + std::string(1000000, ']') + "}";
  server.sendRaw("Content-Length: " + std::to_string(deep.size()) + "\r\n\r\n" + deep);
  transcript +=
      "\nparams a million levels deep: " + server.receive("responses only")["error"].dump() + "\n";
  // Without the editor's lists the project file counts: one beside the document.
  server.send(notification("workspace/didChangeConfiguration",
                           {{"settings", {{"quorlin", {{"dpLists", Json::array()}}}}}}));
  const std::string besideProject = fileUri(dir + "/a.cfg");
  server.send(
      notification("textDocument/didOpen",
                   {{"textDocument", {{"uri", besideProject}, {"version", 1}, {"text", "\n"}}}}));
  Json published = server.receive("textDocument/publishDiagnostics");
  while (published.is_object() && published["params"]["uri"] != besideProject)
    published = server.receive("textDocument/publishDiagnostics");
  std::string deepProject = diagnosticsText(published);
  transcript += "project file with 100,000 dotted keys: " + hideDir(deepProject);
  // A list too large to read on the message loop: a 1 GiB sparse file.
  std::filesystem::resize_file(std::filesystem::path(dir) / "big.dpl", 1u << 30);
  server.send(notification("workspace/didChangeConfiguration",
                           {{"settings", {{"quorlin", {{"dpLists", {dir + "/big.dpl"}}}}}}}));
  published = server.receive("textDocument/publishDiagnostics");
  while (published.is_object() && published["params"]["uri"] != besideProject)
    published = server.receive("textDocument/publishDiagnostics");
  std::string large = diagnosticsText(published);
  transcript += "DP list of 1 GiB: " + hideDir(large);
  server.send(request(4, "shutdown", nullptr));
  transcript += "shutdown: " + server.receive("responses only").dump() + "\n";
  expectTranscript("hostile.expected", transcript);
}

// A client that announces no capabilities, a config in a project's subfolder with text beyond
// ASCII, a burst of changes, and a .cfg file of no project.
TEST(LanguageServerSession, PlainClientAsTheTranscriptSays) {
  const ScratchDir scratch;
  const std::string& dir = scratch.path();
  std::ofstream(dir + "/.quorlin-validate.toml")
      << "dp-lists = [\"" << kSource << "/examples/plant.dpl\"]\n";
  std::filesystem::create_directory(dir + "/plant");
  const std::string uri = fileUri(dir + "/plant/a.cfg");
  // U+00F6 is one UTF-16 unit in two bytes, U+1F600 two units in four bytes.
  std::string text =
      "[PS1 _instance_of_ PowerSupply]\ndpe=PS1.voltage\nproperty=Voltage\n"
      "direction=in/out\nvalue=fl\xF0\x9F\x98\x80\xC3\xB6t\n";
  Server server;
  std::string transcript;
  server.send(
      request(1, "initialize", {{"processId", currentProcessId()}, {"rootUri", fileUri(dir)}}));
  server.receive();
  server.send(notification("initialized", Json::object()));
  server.send(
      notification("textDocument/didOpen",
                   {{"textDocument",
                     {{"uri", uri}, {"languageId", "quorlin"}, {"version", 1}, {"text", text}}}}));
  transcript += diagnosticsText(server.receive("textDocument/publishDiagnostics"));
  // Three changes in one write: only the last is validated.
  std::string burst;
  for (int version = 2; version <= 4; ++version) {
    std::string changed = text + "time=s" + std::to_string(version) + "\n";
    std::string body = notification("textDocument/didChange",
                                    {{"textDocument", {{"uri", uri}, {"version", version}}},
                                     {"contentChanges", {{{"text", changed}}}}})
                           .dump();
    burst += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  }
  server.sendRaw(burst);
  transcript += diagnosticsText(server.receive("textDocument/publishDiagnostics"));
  server.send(notification("textDocument/didOpen", {{"textDocument",
                                                     {{"uri", "file:///nonexistent/setup.cfg"},
                                                      {"languageId", "cfg"},
                                                      {"version", 1},
                                                      {"text", "[metadata]\nname = x\n"}}}}));
  Json outside = server.receive("textDocument/publishDiagnostics");
  transcript += outside["params"]["uri"].get<std::string>() + ": " + diagnosticsText(outside);
  server.send(request(2, "shutdown", nullptr));
  transcript += "shutdown: " + server.receive().dump() + "\n";
  server.send(notification("exit", nullptr));
  transcript += "exit code " + std::to_string(server.wait()) + "\n";
  expectTranscript("plain_client.expected", transcript);
}

// `text` with the edits of a workspace edit applied; positions are bytes in this ASCII text.
std::string applyEdits(std::string text, std::vector<Json> edits) {
  auto offset = [&](const Json& p) {
    std::size_t at = 0;
    for (int line = p["line"]; line > 0; --line)
      at = text.find('\n', at) + 1;
    return at + p["character"].get<std::size_t>();
  };
  std::sort(edits.begin(), edits.end(), [&](const Json& a, const Json& b) {
    return offset(a["range"]["start"]) > offset(b["range"]["start"]);
  });
  for (const Json& edit : edits) {
    std::size_t start = offset(edit["range"]["start"]);
    text.replace(start, offset(edit["range"]["end"]) - start, edit["newText"].get<std::string>());
  }
  return text;
}

// A project of two configs: the way from a config to its DP list, the class findings' code
// actions applied and validated again, names renamed and referenced, the project's configs as
// symbols and validated again, open or not, when their DP list is saved or changes.
TEST(LanguageServerSession, AuthoringAsTheTranscriptSays) {
  const ScratchDir scratch;
  const std::string& dir = scratch.path();
  std::string dpList = readFile(kSource + "/examples/plant.dpl");
  std::ofstream(dir + "/plant.dpl") << dpList;
  std::ofstream(dir + "/.quorlin-validate.toml")
      << "dp-lists = [\"plant.dpl\"]\nconfigs = [\"*.cfg\"]\n";
  std::string text = readFile(kSource + "/tests/lsp/authoring/a.cfg");
  std::ofstream(dir + "/a.cfg") << text;
  std::ofstream(dir + "/b.cfg") << readFile(kSource + "/tests/lsp/authoring/b.cfg");
  const std::string uri = fileUri(dir + "/a.cfg"), listUri = fileUri(dir + "/plant.dpl");
  // The scratch directory is DIR, and its URI file://DIR (Windows' has a third slash).
  auto shown = [&](std::string message) {
    for (const auto& [form, hidden] : {std::pair{fileUri(dir), "file://DIR"}, {dir, "DIR"}}) {
      for (std::size_t at; (at = message.find(form)) != std::string::npos;)
        message.replace(at, form.size(), hidden);
    }
    return message;
  };
  Server server;
  std::string transcript;
  server.send(
      request(1, "initialize",
              {{"processId", currentProcessId()},
               {"rootUri", fileUri(dir)},
               {"capabilities",
                {{"textDocument", {{"publishDiagnostics", {{"relatedInformation", true}}}}}}}}));
  transcript += "capabilities: " + server.receive()["result"]["capabilities"].dump() + "\n";
  server.send(notification("initialized", Json::object()));
  server.send(notification("textDocument/didOpen",
                           {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}}));
  Json published = server.receive("textDocument/publishDiagnostics");
  transcript += diagnosticsText(published);
  int id = 10;
  auto at = [&](int line, int character) {
    return Json{{"textDocument", {{"uri", uri}}},
                {"position", {{"line", line}, {"character", character}}}};
  };
  std::vector<std::string> listLines;
  for (std::istringstream in(dpList); std::getline(in, listLines.emplace_back());) {
  }
  // Lines 3, 7 and 52: "dpe=PS1.voltage", "dpe=PS1.limits.max", "alias=ps1_voltage".
  for (auto [line, character] : {std::pair{2, 5}, {2, 9}, {6, 13}, {51, 8}, {3, 2}}) {
    server.send(request(++id, "textDocument/definition", at(line, character)));
    Json found = server.receive("responses only")["result"];
    transcript +=
        "definition at " + std::to_string(line + 1) + ":" + std::to_string(character + 1) + ": ";
    if (found.is_null()) {
      transcript += "none\n";
      continue;
    }
    int listLine = found["range"]["start"]["line"];
    transcript += shown(found["uri"]) + ":" + std::to_string(listLine + 1) + " '" +
                  listLines.at(listLine) + "'\n";
  }
  // Line 29 is "[Pump2 _instance_of_ Pump]", line 13 "[PS2 _instance_of_ PowerSupply]".
  for (auto [line, character] : {std::pair{28, 22}, {28, 0}, {29, 3}}) {
    server.send(request(++id, "textDocument/prepareRename", at(line, character)));
    transcript += "prepareRename at " + std::to_string(line + 1) + ":" +
                  std::to_string(character + 1) + ": " +
                  server.receive("responses only")["result"].dump() + "\n";
  }
  for (const char* name : {"Pumps", "Two words"}) {
    Json params = at(28, 22);
    params["newName"] = name;
    server.send(request(++id, "textDocument/rename", params));
    Json answer = server.receive("responses only");
    transcript += std::string("rename Pump to '") + name + "':";
    for (const Json& edit : answer["result"]["changes"][uri])
      transcript += " " + where(edit["range"]) + " " + edit["newText"].get<std::string>();
    transcript += answer.contains("error") ? " " + answer["error"].dump() + "\n" : "\n";
  }
  server.send(request(++id, "textDocument/references", at(12, 2)));
  transcript += "references of PS2:";
  Json locations = server.receive("responses only")["result"];
  for (const Json& location : locations)
    transcript += " " + where(location["range"]);
  server.send(request(++id, "workspace/symbol", {{"query", "p"}}));
  transcript += "\nworkspace symbols with p:";
  Json symbols = server.receive("responses only")["result"];
  for (const Json& symbol : symbols)
    transcript += " " + symbol["name"].get<std::string>() + "(" + symbol["kind"].dump() + ", " +
                  symbol["containerName"].get<std::string>() + " " +
                  where(symbol["location"]["range"]) + ")";
  transcript += "\n";
  std::vector<Json> edits;
  for (const Json& diagnostic : published["params"]["diagnostics"]) {
    server.send(request(++id, "textDocument/codeAction",
                        {{"textDocument", {{"uri", uri}}},
                         {"range", diagnostic["range"]},
                         {"context", {{"diagnostics", {diagnostic}}}}}));
    Json actions = server.receive("responses only")["result"];
    for (const Json& action : actions) {
      transcript += "code action: " + action["title"].get<std::string>() + "\n";
      for (const Json& edit : action["edit"]["changes"][uri]) {
        transcript += "  at " + where(edit["range"]) + ": " + edit["newText"].dump() + "\n";
        edits.push_back(edit);
      }
    }
  }
  server.send(notification("textDocument/didChange",
                           {{"textDocument", {{"uri", uri}, {"version", 2}}},
                            {"contentChanges", {{{"text", applyEdits(text, edits)}}}}}));
  transcript +=
      "every action applied: " + diagnosticsText(server.receive("textDocument/publishDiagnostics"));
  // b.cfg is not open: it is validated when its DP list is saved, and again when it changes.
  auto diagnosticsOfB = [&] {
    Json publish = server.receive("textDocument/publishDiagnostics");
    while (publish.is_object() && publish["params"]["uri"] != fileUri(dir + "/b.cfg"))
      publish = server.receive("textDocument/publishDiagnostics");
    return diagnosticsText(publish);
  };
  server.send(notification("textDocument/didSave", {{"textDocument", {{"uri", listUri}}}}));
  transcript += "b.cfg after its DP list was saved: " + diagnosticsOfB();
  dpList.insert(dpList.find("SP1\t"), "PS3\tPowerSupply\t110\n");
  std::ofstream(dir + "/plant.dpl") << dpList;
  server.send(notification("workspace/didChangeWatchedFiles",
                           {{"changes", {{{"uri", listUri}, {"type", 2}}}}}));
  transcript += "b.cfg after PS3 came into its DP list: " + diagnosticsOfB();
  server.send(request(2, "shutdown", nullptr));
  transcript += "shutdown: " + server.receive("responses only").dump() + "\n";
  expectTranscript("authoring.expected", transcript);
}

using trel::quorlinsrv::ModuleSession;
using trel::quorlinsrv::lsp::Clock;
using trel::quorlinsrv::lsp::LanguageServer;

// The module for a server in this process; null, with the reason on the test's output, when it
// does not load.
std::unique_ptr<ModuleSession> openModule() {
  std::string error;
  std::unique_ptr<ModuleSession> module = ModuleSession::open(QUORLIN_MODULE_PATH, error);
  if (!module)
    ADD_FAILURE() << error;
  return module;
}

// The server in this process with the clock in the test's hands: changes that come faster than
// the quiet time are validated once, when it is over, as the last version.
TEST(LanguageServerSession, BurstOfChangesIsValidatedOnce) {
  std::unique_ptr<ModuleSession> module = openModule();
  ASSERT_TRUE(module);
  std::vector<long> published;  // the versions of the diagnostics sent
  const std::chrono::milliseconds quiet(40);
  LanguageServer server(
      *module,
      [&](const std::string& body) {
        Json message = Json::parse(body);
        if (message.value("method", "") == "textDocument/publishDiagnostics")
          published.push_back(message["params"].value("version", -1L));
      },
      quiet);
  const std::string uri = fileUri(kSource) + "/examples/valid.cfg";
  server.handle(request(1, "initialize", {{"rootUri", fileUri(kSource)}}).dump());
  server.handle(notification("textDocument/didOpen",
                             {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", "[A]\n"}}}})
                    .dump());
  server.validateDue(Clock::now());
  Clock::time_point burst = Clock::now();
  for (int version = 2; version <= 4; ++version)
    server.handle(notification("textDocument/didChange",
                               {{"textDocument", {{"uri", uri}, {"version", version}}},
                                {"contentChanges",
                                 {{{"text", "[A]\nproperty=" + std::to_string(version) + "\n"}}}}})
                      .dump());
  server.validateDue(burst + quiet / 2);
  EXPECT_EQ(published, std::vector<long>{1}) << "validated before the quiet time was over";
  server.validateDue(burst + quiet * 3);
  server.validateDue(burst + quiet * 6);
  EXPECT_EQ(published, (std::vector<long>{1, 4}));
}

// Documents of two projects validated in turn: each against its own project's DP lists, however
// often the server switches between them.
TEST(LanguageServerSession, EachDocumentUsesItsOwnProjectsLists) {
  std::unique_ptr<ModuleSession> module = openModule();
  ASSERT_TRUE(module);
  const ScratchDir scratch;
  const std::string& dir = scratch.path();
  std::map<std::string, std::string> published;  // the last diagnostics by URI
  LanguageServer server(*module, [&](const std::string& body) {
    Json message = Json::parse(body);
    if (message.value("method", "") == "textDocument/publishDiagnostics")
      published[message["params"]["uri"]] = diagnosticsText(message);
  });
  server.handle(request(1, "initialize", Json::object()).dump());
  const std::string text = "[PS1]\ndpe=PS1.voltage\nproperty=Voltage\n";
  // The plant's list has PS1; the other project's list has its type but not the data point.
  auto project = [&](const std::string& name, const std::string& dpList) {
    std::filesystem::create_directory(dir + "/" + name);
    std::ofstream(dir + "/" + name + "/.quorlin-validate.toml")
        << "dp-lists = [\"" << dpList << "\"]\n";
    return fileUri(dir) + "/" + name + "/a.cfg";
  };
  const std::string plant = project("plant", kSource + "/examples/plant.dpl");
  std::ofstream(dir + "/other.dpl") << "# DpType\nTypeName\nPowerSupply.PowerSupply\t1#1\n"
                                       "\tvoltage\t22#2\n";
  const std::string other = project("other", dir + "/other.dpl");
  std::vector<std::string> plantSeen, otherSeen;
  for (int version = 1; version <= 3; ++version) {
    for (const std::string& uri : {plant, other}) {
      Json item = {{"uri", uri}, {"version", version}, {"text", text}};
      server.handle(version == 1
                        ? notification("textDocument/didOpen", {{"textDocument", item}}).dump()
                        : notification("textDocument/didSave", {{"textDocument", item}}).dump());
      server.validateDue(Clock::now() + std::chrono::seconds(1));
    }
    plantSeen.push_back(published[plant]);
    otherSeen.push_back(published[other]);
  }
  EXPECT_EQ(plantSeen[0].find("Unknown DPE"), std::string::npos) << plantSeen[0];
  EXPECT_NE(otherSeen[0].find("Unknown DPE PS1.voltage"), std::string::npos) << otherSeen[0];
  EXPECT_EQ(plantSeen, std::vector<std::string>(3, plantSeen[0]));
  EXPECT_EQ(otherSeen, std::vector<std::string>(3, otherSeen[0]));
}

}  // namespace
