// The project file .quorlin-validate.toml: what a project validates its config files against, so
// that `--dp-list` need not be given on every call. Example:
//   dp-lists = ["plant/plant.dpl", "plant/extra.dpl"]
//   configs = ["plant/*.cfg"]
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace trel::quorlinsrv {

inline constexpr const char* kProjectFileName = ".quorlin-validate.toml";

// The project file in `startDir` or the nearest directory above it, up to the root.
std::optional<std::string> findProjectFile(const std::string& startDir);

struct ProjectFile {
  std::string path;
  std::vector<std::string> dpLists;  // resolved relative to the project file's directory
  std::vector<std::string> configs;  // glob patterns, resolved the same way; may be empty
};

// A project file that is not TOML or does not hold what the program reads from it. what() is
// "FILE:LINE: error: MESSAGE" (without ":LINE" when the problem has no line).
class ProjectFileError : public std::runtime_error {
 public:
  ProjectFileError(std::string file, unsigned line, std::string message);
  std::string file;
  unsigned line;  // 0 when the problem is the file as a whole
  std::string message;
};

// Reads the project file at `path`; throws ProjectFileError for an unreadable or malformed file.
ProjectFile readProjectFile(const std::string& path);

// The config files that the project's `configs` patterns match now, sorted, each once; only
// regular files. Throws ProjectFileError when a pattern matches none (a misspelt pattern).
std::vector<std::string> projectConfigs(const ProjectFile& project);

}  // namespace trel::quorlinsrv
