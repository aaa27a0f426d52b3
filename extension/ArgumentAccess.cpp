// Fetching and checking the arguments of a script call, and the reports of call errors.
#include <sstream>

#include "extension/QuorlinServerConfigValidator.hpp"

namespace trel::quorlinsrv {

namespace {

constexpr unsigned kCodeMissingArgument = 75;
constexpr unsigned kCodeWrongType = 76;
constexpr unsigned kCodeNotLvalue = 78;
constexpr unsigned kCodeInvalidDescription = 76;

// Messages take the argument name as given; a null name must not end the process.
const char* printable(const char* name) {
  return name ? name : "";
}

void assignValue(const CtrlExpr& expr, CtrlThread* thread, Variable& valueHolder) {
  if (const Variable* value = expr.evaluate(thread)) {
    valueHolder.assign(*value);  // the host's converting assignment; no type test on purpose
  }
}

}  // namespace

bool QuorlinServerConfigValidator::fetchArguments(ExecuteCallRec& call,
                                                  const ArgumentDescription* args, unsigned count) {
  for (unsigned i = 0; i < count; ++i) {
    const ArgumentDescription& arg = args[i];
    const bool first = i == 0;
    CtrlExpr* expr = nullptr;
    if (arg.target != nullptr && arg.valueHolder != nullptr) {  // in/out
      Variable* variable = fetchTarget(call, arg.name, arg.type, first, expr);
      if (variable == nullptr) {
        return false;
      }
      *arg.target = variable;
      assignValue(*expr, call.thread, *arg.valueHolder);
    } else if (arg.valueHolder != nullptr) {  // by value
      expr = nextArgument(call, arg.name, first);
      if (expr == nullptr) {
        return false;
      }
      assignValue(*expr, call.thread, *arg.valueHolder);
    } else if (arg.target != nullptr) {  // output
      *arg.target = fetchTarget(call, arg.name, arg.type, first, expr);
      if (*arg.target == nullptr) {
        return false;
      }
    } else {
      reportError(call, PRIO_SEVERE, ERR_IMPL, kCodeInvalidDescription,
                  "Invalid argument description in CTRL DLL implementation");
      return false;
    }
  }
  return true;
}

CtrlExpr* QuorlinServerConfigValidator::nextArgument(ExecuteCallRec& call, const char* name,
                                                     bool first) {
  CtrlExpr* candidate = nullptr;
  if (call.args != nullptr) {
    if (first) {
      candidate = call.args->getFirst();
    } else if (const CtrlExpr* cursor = call.args->getCursor()) {
      candidate = cursor->getNext();
    }
    call.args->setCursor(candidate);
  }
  if (candidate == nullptr) {
    std::ostringstream message;
    message << "Not enough arguments for call: " << printable(name) << " argument is missing";
    reportCallError(call, kCodeMissingArgument, message.str());
  }
  return candidate;
}

Variable* QuorlinServerConfigValidator::fetchTarget(ExecuteCallRec& call, const char* name,
                                                    VariableType type, bool first,
                                                    CtrlExpr*& expr) {
  expr = nextArgument(call, name, first);
  if (expr == nullptr) {
    return nullptr;
  }
  Variable* variable = expr->getTarget(call.thread);
  if (variable == nullptr) {
    std::ostringstream message;
    message << "Argument " << printable(name) << " is not lvalue";
    reportCallError(call, kCodeNotLvalue, message.str());
    return nullptr;
  }
  if (variable->isA() != type) {
    reportCallError(call, kCodeWrongType, expr->getTypeMismatchText().str());
    return nullptr;
  }
  return variable;
}

void QuorlinServerConfigValidator::reportCallError(ExecuteCallRec& call, unsigned code,
                                                   const std::string& message) {
  reportError(call, PRIO_WARNING, ERR_CONTROL, code, message);
}

void QuorlinServerConfigValidator::reportError(ExecuteCallRec& call, ErrPrio priority, ErrType type,
                                               unsigned code, const std::string& message) {
  // A call without a thread still reaches the error handler, just without the script's text.
  const CharString scriptText = call.thread ? call.thread->getScriptText() : CharString();
  const ErrClass error(priority, type, code, scriptText, call.funcName, CharString(message));
  ErrHdl::error(error);
  if (call.thread != nullptr) {
    call.thread->appendLastError(&error);
  }
}

}  // namespace trel::quorlinsrv
