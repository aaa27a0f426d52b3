#include "extension/QuorlinServerConfigValidator.hpp"

#include <array>
#include <cstddef>
#include <iterator>
#include <utility>

#include "extension/ScriptFunctions.hpp"

namespace trel::quorlinsrv {

namespace {

using Validator = QuorlinServerConfigValidator;

// The module's script functions. A row's position is the number the host passes with a call;
// the host's function list and the dispatch are both made from this table.
struct ScriptFunctionRow {
  const char* name;
  const char* paramText;
  int (*run)(Validator& handler, ExecuteCallRec& call);
};

constexpr ScriptFunctionRow kScriptFunctions[] = {
    {kValidateAll, "(string fileName, mapping &result, string &errMsg)",
     [](Validator& h, ExecuteCallRec& call) { return h.validateConfigFile(call, false); }},
    {kValidateErrorsOnly, "(string fileName, mapping &result, string &errMsg)",
     [](Validator& h, ExecuteCallRec& call) { return h.validateConfigFile(call, true); }},
    {kAllowedDirections, "(dyn_string &allowedNames)",
     [](Validator& h, ExecuteCallRec& call) { return h.listAllowedNames(call, kDirections); }},
    {kAllowedDataTypes, "(dyn_string &allowedNames)",
     [](Validator& h, ExecuteCallRec& call) { return h.listAllowedNames(call, kDataTypes); }},
    {kAllowedTimeTypes, "(dyn_string &allowedNames)",
     [](Validator& h, ExecuteCallRec& call) { return h.listAllowedNames(call, kTimeTypes); }},
    {kValidateRegExp, "(string sRegExp, string &sErrMsg)",
     [](Validator& h, ExecuteCallRec& call) { return h.checkRegExp(call); }},
};

constexpr std::size_t kFunctionCount = std::size(kScriptFunctions);

// Every script function returns an int; the last field is zero in every record.
template <std::size_t... Index>
constexpr std::array<FunctionListRec, sizeof...(Index)> makeFunctionList(
    std::index_sequence<Index...>) {
  return {{{INTEGER_VAR, kScriptFunctions[Index].name, kScriptFunctions[Index].paramText, 0}...}};
}

constexpr std::array<FunctionListRec, kFunctionCount> kFunctionList =
    makeFunctionList(std::make_index_sequence<kFunctionCount>());

// The one result object of the module, created by the first call (the language makes concurrent
// first calls wait for it) and destroyed when the module is unloaded.
IntegerVar& sharedResult() {
  static IntegerVar result(0);
  return result;
}

// Every call overwrites the shared result without a lock, so calls on several threads race here
// by design; kept out of line so that a race detector can be told about exactly this store.
[[gnu::noinline]] void storeSharedResult(IntegerVar& result, int value) {
  result.setValue(value);
}

}  // namespace

QuorlinServerConfigValidator::QuorlinServerConfigValidator(BaseExternHdl* nextHdl)
    : BaseExternHdl(nextHdl, static_cast<unsigned>(kFunctionCount), kFunctionList.data()) {}

QuorlinServerConfigValidator::~QuorlinServerConfigValidator() = default;

const Variable* QuorlinServerConfigValidator::execute(ExecuteCallRec& call) {
  IntegerVar& result = sharedResult();
  const unsigned number = call.funcNum;
  storeSharedResult(result,
                    number < kFunctionCount ? kScriptFunctions[number].run(*this, call) : -1);
  return &result;
}

}  // namespace trel::quorlinsrv
