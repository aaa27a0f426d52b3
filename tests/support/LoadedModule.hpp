// The module as the fuzz inputs call it: loaded once per process through its exported factory,
// as the host loads it, with the example plant's data points in the host's configuration.
#pragma once

#include "common/ModuleSession.hpp"

namespace trel::quorlinsrv::fuzz {

// Ends the process with a message when the module or the example DP list cannot be loaded: an
// input that never reached the module must not count as one that passed.
const ModuleSession& loadedModule();

}  // namespace trel::quorlinsrv::fuzz
