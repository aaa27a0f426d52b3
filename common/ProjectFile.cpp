#include "common/ProjectFile.hpp"

#include <glob.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <toml++/toml.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

namespace trel::quorlinsrv {

namespace {

constexpr const char* kDpListsKey = "dp-lists";
constexpr const char* kConfigsKey = "configs";

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
    if (!name || name->get().empty())
      throw ProjectFileError(path, lineOf(item.source()),
                             std::string(key) + " holds a value that is no file name");
    const std::string& file = name->get();
    names.push_back(file.front() == '/' ? file : base + file);
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
  char resolved[PATH_MAX];
  if (!realpath(startDir.empty() ? "." : startDir.c_str(), resolved))
    return std::nullopt;
  std::string dir = resolved;
  for (;;) {
    std::string candidate = (dir == "/" ? "" : dir) + "/" + kProjectFileName;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode))
      return candidate;
    if (dir == "/")
      return std::nullopt;
    std::size_t slash = dir.rfind('/');
    dir = slash == 0 ? "/" : dir.substr(0, slash);
  }
}

ProjectFile readProjectFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.is_open() || in.bad())
    throw ProjectFileError(path, 0, std::string("cannot read it: ") + std::strerror(errno));
  toml::table table;
  try {
    table = toml::parse(text, path);
  } catch (const toml::parse_error& error) {
    throw ProjectFileError(path, lineOf(error.source()), std::string(error.description()));
  }
  ProjectFile project;
  project.path = path;
  std::size_t slash = path.rfind('/');
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

}  // namespace trel::quorlinsrv

namespace trel::quorlinsrv {

std::vector<std::string> projectConfigs(const ProjectFile& project) {
  std::set<std::string> files;
  for (const std::string& pattern : project.configs) {
    glob_t matches{};
    int status = glob(pattern.c_str(), GLOB_ERR, nullptr, &matches);
    bool matched = false;
    for (std::size_t i = 0; status == 0 && i < matches.gl_pathc; ++i) {
      struct stat info;
      if (stat(matches.gl_pathv[i], &info) == 0 && S_ISREG(info.st_mode)) {
        files.insert(matches.gl_pathv[i]);
        matched = true;
      }
    }
    globfree(&matches);
    if (!matched)
      throw ProjectFileError(
          project.path, 0,
          std::string(kConfigsKey) + " pattern '" + pattern + "' matches no config file");
  }
  return {files.begin(), files.end()};
}

}  // namespace trel::quorlinsrv
