// Golden-file tests of the two validation functions, called through the built module the way the
// host calls it.
//
// Every directory below cases/ is one case:
//   config.txt                 the file validated (or filename.txt: the name to pass instead,
//                              taken relative to the case directory unless it is empty or
//                              begins with a NUL byte; NUL bytes are passed on as they are)
//   dp.dpl                     the data point configuration, a DP list export (without it:
//                              the example plant's)
//   expected-all.txt           outcome of QuorlinServerConfigParser_validateAll
//   expected-errors-only.txt   outcome of QuorlinServerConfigParser_validateErrorsOnly
// A case runs each function whose expected file exists. Rewriting the expected files from the
// current outcome is a deliberate act, to be reviewed with `git diff`:
//   QUORLIN_UPDATE_GOLDEN=1 ctest --test-dir BUILD -R Golden
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/DpListReader.hpp"
#include "host/CtrlExpr.hpp"
#include "host/CtrlThread.hpp"
#include "host/DpConfiguration.hpp"
#include "host/ErrHdl.hpp"
#include "host/ExternModule.hpp"
#include "host/Variables.hpp"
#include "tests/golden/OutcomeText.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

namespace fs = std::filesystem;

const std::string kCaseRoot = QUORLIN_SOURCE_DIR "/tests/golden/cases";

struct Mode {
  unsigned funcNum;
  const char* expectedFile;
};

const Mode kModes[] = {{0, "expected-all.txt"}, {1, "expected-errors-only.txt"}};

// The file name the case passes: its config.txt, or what filename.txt says.
std::string fileNameOf(const fs::path& dir) {
  if (fs::exists(dir / "config.txt")) {
    return (dir / "config.txt").string();
  }
  std::string name = readBytes((dir / "filename.txt").string());
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) {
    name.pop_back();
  }
  return name.empty() || name.front() == '\0' ? name : (dir / name).string();
}

// Calls function `funcNum` with a result mapping and an error text that hold leftovers, as a
// script's variables may, and describes what the call left.
std::string runCase(const ExternModule& module, unsigned funcNum, const std::string& fileName) {
  MappingVar result;
  result.setAt(new TextVar("left over"), new TextVar("from an earlier call"));
  TextVar errMsg("left over");
  ExprList args;
  args.appendValue(TextVar(fileName.data(), fileName.size()), "fileName");
  args.appendVariable(result, "result");
  args.appendVariable(errMsg, "errMsg");
  CtrlThread thread;
  std::vector<ErrClass> hostErrors;
  const ErrHdl::Sink previous =
      ErrHdl::setSink([&hostErrors](const ErrClass& error) { hostErrors.push_back(error); });
  const Variable* returned = module.call(funcNum, args, thread);
  ErrHdl::setSink(previous);
  return describeOutcome(returned, errMsg, result, hostErrors);
}

class GoldenValidation : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    std::string error;
    module_ = ExternModule::load(QUORLIN_MODULE_PATH, error);
    ASSERT_NE(module_, nullptr) << error;
  }
  void TearDown() override {
    module_.reset();
    DpConfiguration::instance().clear();
  }
  std::unique_ptr<ExternModule> module_;
};

TEST_P(GoldenValidation, OutcomeMatchesExpectedFile) {
  const fs::path dir = fs::path(kCaseRoot) / GetParam();
  std::string error;
  std::vector<DpList> lists(1);
  std::vector<DpListSummary> summaries;
  const fs::path own = dir / "dp.dpl";
  const fs::path dpList =
      fs::exists(own) ? own : fs::path(QUORLIN_SOURCE_DIR) / "examples/plant.dpl";
  ASSERT_TRUE(readDpListFile(dpList.string(), lists[0], error) &&
              loadDpLists(lists, DpConfiguration::instance(), summaries, error))
      << error;
  int modesRun = 0;
  for (const Mode& mode : kModes) {
    const fs::path expectedPath = dir / mode.expectedFile;
    if (!fs::exists(expectedPath)) {
      continue;
    }
    ++modesRun;
    SCOPED_TRACE(expectedPath.string());
    const std::string actual = runCase(*module_, mode.funcNum, fileNameOf(dir));
    EXPECT_EQ(expectedText(expectedPath.string(), actual), actual);
  }
  EXPECT_GT(modesRun, 0) << "no expected file in " << dir;
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenValidation, ::testing::ValuesIn(caseNames(kCaseRoot)),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
}  // namespace trel::quorlinsrv::test
