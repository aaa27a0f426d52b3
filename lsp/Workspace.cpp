// The configs that a project names (its `configs`), open in the editor or not: validated again
// when what they are checked against changes, and their devices and classes as workspace symbols.
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "common/Formats.hpp"
#include "common/ProjectFile.hpp"
#include "lsp/Authoring.hpp"
#include "lsp/LanguageServer.hpp"
#include "platform/Files.hpp"

namespace trel::quorlinsrv::lsp {

namespace {

constexpr int kSymbolClass = 5, kSymbolObject = 19;
// Symbol lists longer than this are cut; the client asks again as the user types on.
constexpr std::size_t kMaxSymbols = 1000;

// `path` as the file system names it, so that two spellings of one file compare equal.
std::string canonical(const std::string& path) {
  std::error_code ignored;
  std::filesystem::path resolved =
      std::filesystem::weakly_canonical(std::filesystem::u8path(path), ignored);
  return resolved.empty() ? path : resolved.u8string();
}

bool readText(const std::string& path, std::string& text) {
  std::ifstream in;
  if (!platform::openRegularFile(in, path))
    return false;
  std::ostringstream read;
  read << in.rdbuf();
  text = read.str();
  return true;
}

// The configs of the project file `projectFile`; none when it cannot be read or a pattern matches
// nothing (which validating an open config reports).
std::vector<std::string> configsOf(const std::string& projectFile, ProjectFile& project) {
  try {
    project = readProjectFile(projectFile);
    return projectConfigs(project);
  } catch (const ProjectFileError&) {
    return {};
  }
}

}  // namespace

std::vector<std::string> LanguageServer::projectFiles() const {
  std::set<std::string> files;
  std::optional<std::string> root = rootPath_.empty() ? std::nullopt : findProjectFile(rootPath_);
  if (root)
    files.insert(canonical(*root));
  for (const auto& [key, project] : projects_) {
    if (key.find('\n') == std::string::npos)  // the key of the editor's own lists ends in one
      files.insert(canonical(key));
  }
  return {files.begin(), files.end()};
}

bool LanguageServer::revalidateProjectsReading(const std::string& path) {
  if (path.empty())
    return false;
  const std::string changed = canonical(path);
  bool reads = false;
  for (const std::string& projectFile : projectFiles()) {
    ProjectFile project;
    std::vector<std::string> configs = configsOf(projectFile, project);
    std::set<std::string> inputs = {projectFile};
    for (const std::string& list : settingsDpLists_.empty() ? project.dpLists : settingsDpLists_)
      inputs.insert(canonical(list));
    if (inputs.count(changed) == 0)
      continue;
    reads = true;
    for (const std::string& config : configs) {
      const std::string file = canonical(config);
      bool open = false;
      for (auto& [uri, doc] : documents_) {
        if (!doc.path.empty() && canonical(doc.path) == file) {
          schedule(doc, Clock::duration::zero());
          open = true;
        }
      }
      Document closed;
      closed.path = file;
      if (open || !readText(file, closed.text))
        continue;
      validate(pathToUri(file), closed, file);
    }
  }
  return reads;
}

Json LanguageServer::workspaceSymbol(const Json& params) {
  const Json& query = params.value("query", Json(""));
  std::string part = query.is_string() ? query.get<std::string>() : "";
  Json symbols = Json::array();
  std::set<std::string> seen;
  for (const std::string& projectFile : projectFiles()) {
    ProjectFile project;
    for (const std::string& config : configsOf(projectFile, project)) {
      const std::string file = canonical(config);
      if (!seen.insert(file).second)
        continue;
      std::string text;
      const Document* open = nullptr;
      for (const auto& [uri, doc] : documents_)
        open = !doc.path.empty() && canonical(doc.path) == file ? &doc : open;
      if (!open && !readText(file, text))
        continue;
      std::vector<std::string_view> lines = splitLines(open ? open->text : text);
      std::set<std::string_view> classes;  // each class once per file, where it first appears
      for (const HeaderName& name : headerNamesOf(lines)) {
        if (!containsNoCase(name.name, part) || (name.isClass && !classes.insert(name.name).second))
          continue;
        if (symbols.size() >= kMaxSymbols)
          return symbols;
        symbols.push_back(
            {{"name", std::string(name.name)},
             {"kind", name.isClass ? kSymbolClass : kSymbolObject},
             {"containerName", std::filesystem::u8path(file).filename().u8string()},
             {"location", {{"uri", pathToUri(file)}, {"range", rangeOf(lines, name)}}}});
      }
    }
  }
  return symbols;
}

}  // namespace trel::quorlinsrv::lsp
