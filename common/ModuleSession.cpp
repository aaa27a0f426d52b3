#include "common/ModuleSession.hpp"

#include "host/CtrlThread.hpp"
#include "host/Variables.hpp"

namespace trel::quorlinsrv {

std::unique_ptr<ModuleSession> ModuleSession::open(const std::string& path, std::string& error) {
  std::unique_ptr<ExternModule> module = ExternModule::load(path, error);
  if (!module)
    return nullptr;
  return std::unique_ptr<ModuleSession>(new ModuleSession(path, std::move(module)));
}

std::string ModuleSession::version() const {
  const char* text = module_->getVersionString();
  return text ? text : "";
}

bool ModuleSession::call(ScriptFunction function, ExprList& args, int& result,
                         std::string& error) const {
  const unsigned number = module_->handler().getFuncNum(CharString(function));
  if (number == BaseExternHdl::kNoFunction) {
    error = std::string("the module has no function ") + function;
    return false;
  }
  CtrlThread thread(CharString("quorlin-validate"));
  auto* value = dynamic_cast<const IntegerVar*>(module_->call(number, args, thread));
  if (!thread.getLastErrors().empty()) {
    error = std::string("the module refused the call of ") + function + " (host error above)";
    return false;
  }
  if (!value) {
    error = std::string(function) + " of the module returned no integer";
    return false;
  }
  result = value->getValue();
  return true;
}

bool ModuleSession::validate(const std::string& file, bool errorsOnly, FileOutcome& outcome,
                             std::string& error, const std::string* name) const {
  TextVar fileName{CharString(file)};
  MappingVar result;
  TextVar errMsg;
  ExprList args;
  args.appendValue(fileName, CharString("fileName"));
  args.appendVariable(result, CharString("result"));
  args.appendVariable(errMsg, CharString("errMsg"));
  outcome = FileOutcome();
  outcome.file = name ? *name : file;
  outcome.errorsOnly = errorsOnly;
  if (!call(errorsOnly ? kValidateErrorsOnly : kValidateAll, args, outcome.result, error))
    return false;
  outcome.errMsg = errMsg.getValue().str();
  if (!readResultMapping(result, outcome, error)) {
    error = outcome.file + ": " + error;
    return false;
  }
  return true;
}

bool ModuleSession::allowedNames(ScriptFunction function, std::vector<std::string>& names,
                                 std::string& error) const {
  DynVar list(TEXT_VAR);
  ExprList args;
  args.appendVariable(list, CharString("allowedNames"));
  int count = 0;
  if (!call(function, args, count, error))
    return false;
  if (count < 0 || static_cast<unsigned>(count) != list.getNumberOfItems()) {
    error = std::string(function) + " returned " + std::to_string(count) + " for a list of " +
            std::to_string(list.getNumberOfItems()) + " words";
    return false;
  }
  names.clear();
  for (unsigned i = 0; i < list.getNumberOfItems(); ++i) {
    auto* word = dynamic_cast<const TextVar*>(list.getAt(i));
    names.push_back(word ? word->getValue().str() : std::string());
  }
  return true;
}

bool ModuleSession::checkRegExp(const std::string& pattern, bool& valid, std::string& message,
                                std::string& error) const {
  TextVar regExp{CharString(pattern)};
  TextVar errMsg;
  ExprList args;
  args.appendValue(regExp, CharString("sRegExp"));
  args.appendVariable(errMsg, CharString("sErrMsg"));
  int result = 0;
  if (!call(kValidateRegExp, args, result, error))
    return false;
  valid = result == 0;
  message = errMsg.getValue().str();
  return true;
}

}  // namespace trel::quorlinsrv
