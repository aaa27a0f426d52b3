#include "tests/support/LoadedModule.hpp"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/DpListReader.hpp"
#include "host/DpConfiguration.hpp"

namespace trel::quorlinsrv::fuzz {

namespace {

[[noreturn]] void giveUp(const std::string& why) {
  std::fprintf(stderr, "fuzz setup failed: %s\n", why.c_str());
  std::abort();
}

std::unique_ptr<ModuleSession> loadModuleAndPlant() {
  std::string error;
  std::vector<DpList> lists(1);
  if (!readDpListFile(QUORLIN_SOURCE_DIR "/examples/plant.dpl", lists[0], error)) {
    giveUp(error);
  }
  std::vector<DpListSummary> summaries;
  DpConfiguration::instance().clear();
  if (!loadDpLists(lists, DpConfiguration::instance(), summaries, error)) {
    giveUp(error);
  }
  std::unique_ptr<ModuleSession> module = ModuleSession::open(QUORLIN_MODULE_PATH, error);
  if (!module) {
    giveUp(error);
  }
  return module;
}

}  // namespace

const ModuleSession& loadedModule() {
  static const std::unique_ptr<ModuleSession> module = loadModuleAndPlant();
  return *module;
}

}  // namespace trel::quorlinsrv::fuzz
