// The module's handler: the script functions it offers, their dispatch, argument access and the
// reports of call errors to the host.
#pragma once

#include <string>

#include "host/BaseExternHdl.hpp"
#include "host/CtrlExpr.hpp"
#include "host/ErrHdl.hpp"
#include "host/Variables.hpp"

namespace trel::quorlinsrv {

// How a script function declares one argument it expects. The two pointers give its kind:
// valueHolder only: by value; target only: output; both: in/out; neither: invalid.
struct ArgumentDescription {
  const char* name;       // the argument's name, used only in messages
  VariableType type;      // the exact type an output argument's variable must have
  Variable* valueHolder;  // receives the argument's current value by converting assignment
  Variable** target;      // receives the variable that the argument expression names
};

// The vocabulary whose words an allowed-name function delivers.
enum AllowedNameList { kDirections = 0, kDataTypes = 1, kTimeTypes = 2 };

class QuorlinServerConfigValidator : public BaseExternHdl {
 public:
  // A handler chained before `nextHdl`, offering the module's six script functions.
  explicit QuorlinServerConfigValidator(BaseExternHdl* nextHdl);
  ~QuorlinServerConfigValidator() override;

  using BaseExternHdl::execute;
  // Runs the function the call's number selects (none for numbers above 5: -1, no report),
  // stores its integer in the module's one shared result and returns that result.
  const Variable* execute(ExecuteCallRec& call) override;

  // Delivers the call's arguments as `args[0..count)` describe them, the i-th description taking
  // the i-th argument. False after the first failure, which has been reported to the host.
  virtual bool fetchArguments(ExecuteCallRec& call, const ArgumentDescription* args,
                              unsigned count);
  // The first argument expression (`first`) or the one after the list's cursor, which is moved
  // to it. Null, after reporting the missing argument `name`, when there is none.
  virtual CtrlExpr* nextArgument(ExecuteCallRec& call, const char* name, bool first);

  // The script functions. Each returns the integer the script sees; -1 after rejected arguments.
  // Validates the config file named by the first argument into the result mapping and error text.
  int validateConfigFile(ExecuteCallRec& call, bool errorsOnly);
  // Replaces the dyn_string argument by the words of `list`; returns their number.
  int listAllowedNames(ExecuteCallRec& call, AllowedNameList list);
  // 0 when the pattern compiles (or is empty), else -1 with the library's reason in sErrMsg.
  int checkRegExp(ExecuteCallRec& call);

 protected:
  // The variable that the next argument names, when it is one of exactly `type`; `expr` then
  // holds the argument expression. Null after a reported failure.
  Variable* fetchTarget(ExecuteCallRec& call, const char* name, VariableType type, bool first,
                        CtrlExpr*& expr);
  // Reports a failure of the call itself (priority warning, type control) with `code`.
  void reportCallError(ExecuteCallRec& call, unsigned code, const std::string& message);
  // Sends one error about `call` to the host's error handler and the calling thread's last errors.
  void reportError(ExecuteCallRec& call, ErrPrio priority, ErrType type, unsigned code,
                   const std::string& message);
};

}  // namespace trel::quorlinsrv
