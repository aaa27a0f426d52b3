#include "common/ProjectFile.hpp"

#include <toml++/toml.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string_view>

#include "platform/Files.hpp"

namespace trel::quorlinsrv {

namespace {

constexpr const char* kDpListsKey = "dp-lists";
constexpr const char* kConfigsKey = "configs";

// toml++ descends by recursion into dotted keys, so their number, like the nesting of arrays and
// inline tables, is bounded before it sees the text. Real project files nest two or three levels.
constexpr unsigned kMaxNesting = 100;

// Skips the string that starts at `at` (a quote) and returns the index after it, counting the
// line breaks of a multi-line string in `line`; text.size() when the string is not closed.
std::size_t skipString(std::string_view text, std::size_t at, unsigned& line) {
  char quote = text[at];
  bool multiLine = text.compare(at, 3, std::string(3, quote)) == 0;
  std::string_view close = multiLine ? text.substr(at, 3) : text.substr(at, 1);
  for (std::size_t i = at + close.size(); i < text.size(); ++i) {
    if (text[i] == '\\' && quote == '"' && i + 1 < text.size() && text[++i] != '\n')
      continue;  // an escaped character, never the closing quote
    if (text[i] == '\n') {
      if (!multiLine)
        return i;
      ++line;
    } else if (text.compare(i, close.size(), close) == 0) {
      return i + close.size();
    }
  }
  return text.size();
}

// The first line where brackets and the dots of a dotted key nest deeper than kMaxNesting; 0
// when none does. A dot counts while the run of key characters, quoted parts and dots it is in
// goes on, so the dots of floats and of quoted text do not add up.
unsigned lineNestedTooDeep(std::string_view text) {
  unsigned line = 1;
  unsigned brackets = 0;
  unsigned dots = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"' || c == '\'') {
      i = skipString(text, i, line) - 1;
      continue;
    }
    if (c == '#') {
      while (i + 1 < text.size() && text[i + 1] != '\n')
        ++i;
    } else if (c == '\n') {
      ++line;
    } else if (c == '[' || c == '{') {
      ++brackets;
    } else if ((c == ']' || c == '}') && brackets > 0) {
      --brackets;
    } else if (c == '.') {
      ++dots;
    }
    if (c != '.' && c != ' ' && c != '\t' && !std::isalnum(static_cast<unsigned char>(c)) &&
        c != '_' && c != '-')
      dots = 0;
    if (brackets + dots > kMaxNesting)
      return line;
  }
  return 0;
}

std::string describeError(const std::string& file, unsigned line, const std::string& message) {
  return file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": error: " + message;
}

unsigned lineOf(const toml::source_region& source) {
  return static_cast<unsigned>(source.begin.line);
}

// The file names or patterns of the array `value` of `key`, relative ones made relative to `base`.
std::vector<std::string> namesOf(const std::string& path, const char* key, const toml::node& value,
                                 const std::string& base) {
  const toml::array* items = value.as_array();
  if (!items)
    throw ProjectFileError(path, lineOf(value.source()),
                           std::string(key) + " must be an array of file names");
  std::vector<std::string> names;
  for (const toml::node& item : *items) {
    const auto* name = item.as_string();
    if (!name || name->get().empty() ||
        std::strchr(platform::kPathSeparators, name->get().back()) != nullptr)
      throw ProjectFileError(path, lineOf(item.source()),
                             std::string(key) + " holds a value that is no file name");
    const std::string& file = name->get();
    bool absolute = file.front() == '/' || std::filesystem::u8path(file).is_absolute();
    names.push_back(absolute ? file : base + file);
  }
  return names;
}

}  // namespace

ProjectFileError::ProjectFileError(std::string file, unsigned line, std::string message)
    : std::runtime_error(describeError(file, line, message)),
      file(std::move(file)),
      line(line),
      message(std::move(message)) {}

std::optional<std::string> findProjectFile(const std::string& startDir) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path dir = fs::canonical(fs::u8path(startDir.empty() ? "." : startDir), error);
  if (error)
    return std::nullopt;
  for (;;) {
    fs::path candidate = dir / kProjectFileName;
    if (fs::is_regular_file(candidate, error))
      return candidate.u8string();
    if (!dir.has_relative_path())  // the root: "/", or a drive's "C:\"
      return std::nullopt;
    dir = dir.parent_path();
  }
}

ProjectFile readProjectFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.is_open() || in.bad())
    throw ProjectFileError(path, 0, std::string("cannot read it: ") + std::strerror(errno));
  if (unsigned line = lineNestedTooDeep(text)) {
    throw ProjectFileError(path, line,
                           "nested more than " + std::to_string(kMaxNesting) +
                               " levels deep (tables, arrays, dotted keys)");
  }
  toml::table table;
  try {
    table = toml::parse(text, path);
  } catch (const toml::parse_error& error) {
    throw ProjectFileError(path, lineOf(error.source()), std::string(error.description()));
  }
  ProjectFile project;
  project.path = path;
  std::size_t slash = path.find_last_of(platform::kPathSeparators);
  std::string base = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  for (const auto& [key, value] : table) {
    if (key.str() == kDpListsKey)
      project.dpLists = namesOf(path, kDpListsKey, value, base);
    else if (key.str() == kConfigsKey)
      project.configs = namesOf(path, kConfigsKey, value, base);
    else
      throw ProjectFileError(path, lineOf(key.source()),
                             "unknown key '" + std::string(key.str()) + "' (the file holds " +
                                 kDpListsKey + " and " + kConfigsKey + ")");
  }
  if (project.dpLists.empty())
    throw ProjectFileError(
        path, 0,
        std::string("no DP list: name them as ") + kDpListsKey + " = [\"plant.dpl\", ...]");
  return project;
}

std::vector<std::string> projectConfigs(const ProjectFile& project) {
  std::set<std::string> files;
  for (const std::string& pattern : project.configs) {
    std::vector<std::string> matches = platform::matchingFiles(pattern);
    files.insert(matches.begin(), matches.end());
    if (matches.empty())
      throw ProjectFileError(
          project.path, 0,
          std::string(kConfigsKey) + " pattern '" + pattern + "' matches no config file");
  }
  return {files.begin(), files.end()};
}

}  // namespace trel::quorlinsrv
