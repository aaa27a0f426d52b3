// The two functions the host's dynamic loader looks up, under plain C names.
#include "extension/QuorlinServerConfigValidator.hpp"

#define QUORLIN_EXPORT extern "C" __attribute__((visibility("default")))

// A new handler chained before `nextHdl`; the host owns and deletes it.
QUORLIN_EXPORT BaseExternHdl* newExternHdl(BaseExternHdl* nextHdl) {
  return new trel::quorlinsrv::QuorlinServerConfigValidator(nextHdl);
}

// The host version the module was built for.
QUORLIN_EXPORT const char* getVersionString() {
  return "316000";
}
