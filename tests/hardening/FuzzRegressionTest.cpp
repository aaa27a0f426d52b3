// Replays every seed of the fuzz targets and every crash input that fuzzing found and that is kept
// in fuzz_regressions/<target>/, through the same input functions the fuzz targets call: none may
// crash, and every rule the function checks must hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/FuzzInputs.hpp"
#include "tests/support/LoadedModule.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

namespace fs = std::filesystem;

const std::string kSource = QUORLIN_SOURCE_DIR;

struct Target {
  const char* name;
  std::string (*run)(std::string_view);
  std::vector<std::string> seedFiles;  // besides fuzz/seeds/<name> and the kept crash inputs
};

std::vector<std::string> goldenConfigs() {
  std::vector<std::string> files = {kSource + "/examples/valid.cfg",
                                    kSource + "/examples/invalid.cfg"};
  for (const auto& entry : fs::directory_iterator(kSource + "/tests/golden/cases")) {
    if (fs::exists(entry.path() / "config.txt")) {
      files.push_back((entry.path() / "config.txt").string());
    }
  }
  return files;
}

// Every input of `target`: its extra seeds, then the files of its two directories.
std::vector<std::string> inputsOf(const Target& target) {
  std::vector<std::string> files = target.seedFiles;
  for (const std::string& dir : {kSource + "/fuzz/seeds/" + target.name,
                                 kSource + "/tests/hardening/fuzz_regressions/" + target.name}) {
    if (!fs::is_directory(dir)) {
      continue;
    }
    for (const auto& entry : fs::directory_iterator(dir)) {
      files.push_back(entry.path().string());
    }
  }
  return files;
}

class FuzzInputs : public ::testing::TestWithParam<Target> {
 protected:
  static void SetUpTestSuite() { fuzz::loadedModule(); }
};

TEST_P(FuzzInputs, ReplayWithoutCrashOrBrokenRule) {
  const Target& target = GetParam();
  const std::vector<std::string> files = inputsOf(target);
  ASSERT_FALSE(files.empty());
  // Each case runs in a process of its own under CTest, so a crash fails just this case.
  for (const std::string& file : files) {
    EXPECT_EQ(target.run(readBytes(file)), "") << file;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FuzzInputs,
    ::testing::Values(Target{"config_file", fuzz::runConfigFileInput, goldenConfigs()},
                      Target{"dp_list", fuzz::runDpListInput, {kSource + "/examples/plant.dpl"}},
                      Target{"regexp", fuzz::runRegExpInput, {}},
                      Target{"lsp_messages", fuzz::runLspMessagesInput, {}},
                      Target{"project_file", fuzz::runProjectFileInput, {}}),
    [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trel::quorlinsrv::test
