#include "common/ProjectFile.hpp"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <toml++/toml.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace trel::quorlinsrv {

namespace {

constexpr const char* kDpListsKey = "dp-lists";

std::string describeError(const std::string& file, unsigned line, const std::string& message) {
  return file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": error: " + message;
}

unsigned lineOf(const toml::source_region& source) {
  return static_cast<unsigned>(source.begin.line);
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
    if (key.str() != kDpListsKey) {
      throw ProjectFileError(
          path, lineOf(key.source()),
          "unknown key '" + std::string(key.str()) + "' (the file holds " + kDpListsKey + ")");
    }
    const toml::array* lists = value.as_array();
    if (!lists) {
      throw ProjectFileError(path, lineOf(value.source()),
                             std::string(kDpListsKey) + " must be an array of file names");
    }
    for (const toml::node& item : *lists) {
      const auto* name = item.as_string();
      if (!name || name->get().empty()) {
        throw ProjectFileError(path, lineOf(item.source()),
                               std::string(kDpListsKey) + " holds a value that is no file name");
      }
      const std::string& file = name->get();
      project.dpLists.push_back(file.front() == '/' ? file : base + file);
    }
  }
  if (project.dpLists.empty())
    throw ProjectFileError(
        path, 0,
        std::string("no DP list: name them as ") + kDpListsKey + " = [\"plant.dpl\", ...]");
  return project;
}

}  // namespace trel::quorlinsrv
