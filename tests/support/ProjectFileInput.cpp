// The project file input: the bytes as a .quorlin-validate.toml, read as the program reads it.
#include <algorithm>
#include <string>
#include <string_view>

#include "common/ProjectFile.hpp"
#include "tests/support/FuzzInputs.hpp"
#include "tests/support/RuleCheck.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::fuzz {

std::string runProjectFileInput(std::string_view bytes) {
  static const test::ScratchDir scratch;
  const std::string path = scratch.at(kProjectFileName);
  test::writeBytes(path, std::string(bytes));
  RuleCheck rules;
  try {
    ProjectFile project = readProjectFile(path);
    rules.require(!project.dpLists.empty(), "a project file was read without a DP list");
    for (const std::string& list : project.dpLists)
      rules.require(!list.empty() && list.back() != '/', "a DP list without a file name", list);
  } catch (const ProjectFileError& error) {
    // A line within the file (one past the last when it ends inside a value), or none.
    auto lines = static_cast<unsigned>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    rules.require(error.line <= lines, "an error names a line past the end", error.what());
    rules.require(std::string(error.what()).rfind(path, 0) == 0 && !error.message.empty(),
                  "an error that does not name the file or says nothing", error.what());
  }
  return rules.broken();
}

}  // namespace trel::quorlinsrv::fuzz
