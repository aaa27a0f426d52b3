// A module that loads like the real one but misbehaves, so that tests can see what the program
// makes of it: function 0 refuses its call through the host's error handler, function 1 returns a
// result mapping without lists, function 2 returns a count that its list does not hold; the
// others are missing.
#include "extension/ScriptFunctions.hpp"
#include "host/BaseExternHdl.hpp"
#include "host/Variables.hpp"

namespace {

using namespace trel::quorlinsrv;

const FunctionListRec kFunctions[] = {
    {INTEGER_VAR, kValidateAll, "(string fileName, mapping &result, string &errMsg)", 0},
    {INTEGER_VAR, kValidateErrorsOnly, "(string fileName, mapping &result, string &errMsg)", 0},
    {INTEGER_VAR, kAllowedDirections, "(dyn_string &allowedNames)", 0},
};

class MisbehavingHdl : public BaseExternHdl {
 public:
  explicit MisbehavingHdl(BaseExternHdl* next) : BaseExternHdl(next, 3, kFunctions) {}

  const Variable* execute(ExecuteCallRec& call) override {
    static IntegerVar result;
    result.setValue(call.funcNum == 1 ? 0 : call.funcNum == 0 ? -1 : 5);
    if (call.funcNum == 0) {
      ErrClass error(PRIO_WARNING, ERR_CONTROL, 75, call.thread->getScriptText(), call.funcName,
                     "Not enough arguments for call: result argument is missing");
      ErrHdl::error(error);
      call.thread->appendLastError(&error);
    }
    return &result;
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) BaseExternHdl* newExternHdl(BaseExternHdl* next) {
  return new MisbehavingHdl(next);
}

extern "C" __attribute__((visibility("default"))) const char* getVersionString() {
  return "misbehaving";
}
