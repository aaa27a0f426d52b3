// The module as the host sees it: loaded by the dynamic loader, called by function number.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/ExternModule.hpp"
#include "host/Variables.hpp"
#include "tests/extension/ReportedErrors.hpp"

namespace trel::quorlinsrv::test {
namespace {

constexpr const char* kScriptText = "module test, script calls.ctl, line 12";

// The variables of the calling script, each holding something a call must not lose.
struct ScriptVariables {
  MappingVar result;
  TextVar errMsg{"earlier message"};
  DynVar names{TEXT_VAR};
  TextVar text{"some text"};
  IntegerVar number{7};
  DynVar numbers{INTEGER_VAR};

  ScriptVariables() {
    result.setAt(new TextVar("key"), new TextVar("value"));
    for (const char* word : {"a", "b", "c", "d", "e"}) {
      names.append(new TextVar(word));
    }
    numbers.append(new IntegerVar(1));
  }

  // The values of all variables as one text, to tell whether a call changed any of them.
  std::string snapshot() const {
    std::ostringstream all;
    for (const Variable* v :
         std::vector<const Variable*>{&result, &errMsg, &names, &text, &number, &numbers}) {
      all << v->isA() << ':' << v->formatValue() << '|';
    }
    return all.str();
  }
};

class ModuleCall : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { module_ = ExternModule::load(QUORLIN_MODULE_PATH, loadError_); }
  static void TearDownTestSuite() { module_.reset(); }

  void SetUp() override { ASSERT_NE(module_, nullptr) << loadError_; }

  // Calls function `number`; the integer the script sees.
  int call(unsigned number, ExprList& args) {
    lastResult_ = module_->call(number, args, thread_);
    const auto* result = dynamic_cast<const IntegerVar*>(lastResult_);
    EXPECT_NE(result, nullptr) << "every call returns an int";
    return result != nullptr ? result->getValue() : INT_MIN;
  }

  static std::string nameOf(unsigned number) {
    return module_->handler().getFunctionList()[number].name;
  }

  static std::unique_ptr<ExternModule> module_;
  static std::string loadError_;
  CtrlThread thread_{CharString(kScriptText)};
  ErrorSink sink_;
  const Variable* lastResult_ = nullptr;
};

std::unique_ptr<ExternModule> ModuleCall::module_;
std::string ModuleCall::loadError_;

TEST_F(ModuleCall, VersionIsThePlatformVersion) {
  EXPECT_STREQ(module_->getVersionString(), "316000");
}

TEST_F(ModuleCall, FunctionTableListsTheSixFunctionsInOrder) {
  const struct {
    const char* name;
    const char* paramText;
  } expected[] = {
      {"QuorlinServerConfigParser_validateAll",
       "(string fileName, mapping &result, string &errMsg)"},
      {"QuorlinServerConfigParser_validateErrorsOnly",
       "(string fileName, mapping &result, string &errMsg)"},
      {"QuorlinServerConfigParser_allowedDirections", "(dyn_string &allowedNames)"},
      {"QuorlinServerConfigParser_allowedDataTypes", "(dyn_string &allowedNames)"},
      {"QuorlinServerConfigParser_allowedTimeTypes", "(dyn_string &allowedNames)"},
      {"QuorlinServerConfigParser_validateRegExp", "(string sRegExp, string &sErrMsg)"},
  };
  BaseExternHdl& handler = module_->handler();
  ASSERT_EQ(handler.getFunctionCount(), 6u);
  const FunctionListRec* list = handler.getFunctionList();
  for (unsigned i = 0; i < 6; ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_STREQ(list[i].name, expected[i].name);
    EXPECT_STREQ(list[i].paramText, expected[i].paramText);
    EXPECT_EQ(list[i].returnType, INTEGER_VAR);
    EXPECT_EQ(list[i].flags, 0u);
    EXPECT_EQ(handler.getFuncNum(expected[i].name), i);
  }
}

TEST_F(ModuleCall, AllowedNamesReplaceTheListByTheWordsInCodeOrder) {
  const struct {
    unsigned number;
    std::vector<std::string> words;
  } cases[] = {
      {2, {"in/out", "out", "in"}},
      {3, {"boolean", "byte", "short", "long", "longlong", "float", "double", "string"}},
      {4, {"none", "double", "longlong", "longlongnano"}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(nameOf(row.number));
    ScriptVariables vars;
    ExprList args;
    args.appendVariable(vars.names, "dsNames");
    EXPECT_EQ(call(row.number, args), static_cast<int>(row.words.size()));
    ASSERT_EQ(vars.names.getNumberOfItems(), row.words.size());
    for (std::size_t i = 0; i < row.words.size(); ++i) {
      const auto* word = dynamic_cast<const TextVar*>(vars.names.getAt(i));
      ASSERT_NE(word, nullptr) << "element " << i;
      EXPECT_EQ(word->getValue().str(), row.words[i]);
    }
    expectNoReport(sink_, thread_);
  }
}

// A call the module must reject, the report it must send and the argument the report is about.
struct RejectedCall {
  std::vector<unsigned> functions;
  const char* what;
  void (*build)(ExprList& args, ScriptVariables& vars);
  unsigned code;
  const char* message;  // null: the host's own text of the argument expression `failing`
  std::size_t failing;
};

const RejectedCall kRejectedCalls[] = {
    {{0, 1},
     "no arguments",
     [](ExprList&, ScriptVariables&) {},
     75,
     "Not enough arguments for call: fileName argument is missing",
     0},
    {{0, 1},
     "file name only",
     [](ExprList& args, ScriptVariables&) { args.appendValue(TextVar("devices.cfg")); },
     75,
     "Not enough arguments for call: result argument is missing",
     0},
    {{0, 1},
     "no errMsg",
     [](ExprList& args, ScriptVariables& vars) {
       args.appendValue(TextVar("devices.cfg"));
       args.appendVariable(vars.result, "mResult");
     },
     75,
     "Not enough arguments for call: errMsg argument is missing",
     0},
    {{0, 1},
     "literal for errMsg",
     [](ExprList& args, ScriptVariables& vars) {
       args.appendValue(TextVar("devices.cfg"));
       args.appendVariable(vars.result, "mResult");
       args.appendValue(TextVar("no variable"));
     },
     78,
     "Argument errMsg is not lvalue",
     2},
    {{0, 1},
     "literal for result",
     [](ExprList& args, ScriptVariables& vars) {
       args.appendValue(TextVar("devices.cfg"));
       args.appendValue(MappingVar());
       args.appendVariable(vars.errMsg, "sErr");
     },
     78,
     "Argument result is not lvalue",
     1},
    {{0, 1},
     "string variable for result",
     [](ExprList& args, ScriptVariables& vars) {
       args.appendValue(TextVar("devices.cfg"));
       args.appendVariable(vars.text, "sText");
       args.appendVariable(vars.errMsg, "sErr");
     },
     76,
     nullptr,
     1},
    {{0, 1},
     "int variable for errMsg",
     [](ExprList& args, ScriptVariables& vars) {
       args.appendValue(TextVar("devices.cfg"));
       args.appendVariable(vars.result, "mResult");
       args.appendVariable(vars.number, "iCount");
     },
     76,
     nullptr,
     2},
    {{2, 3, 4},
     "no arguments",
     [](ExprList&, ScriptVariables&) {},
     75,
     "Not enough arguments for call: allowedNames argument is missing",
     0},
    {{2, 3, 4},
     "literal list",
     [](ExprList& args, ScriptVariables& vars) { args.appendValue(vars.names); },
     78,
     "Argument allowedNames is not lvalue",
     0},
    {{2, 3, 4},
     "int variable",
     [](ExprList& args, ScriptVariables& vars) { args.appendVariable(vars.number, "iCount"); },
     76,
     nullptr,
     0},
    {{2, 3, 4},
     "dyn_int variable",
     [](ExprList& args, ScriptVariables& vars) { args.appendVariable(vars.numbers, "diValues"); },
     76,
     nullptr,
     0},
    {{2, 3, 4},
     "string variable",
     [](ExprList& args, ScriptVariables& vars) { args.appendVariable(vars.text, "sText"); },
     76,
     nullptr,
     0},
    {{5},
     "no arguments",
     [](ExprList&, ScriptVariables&) {},
     75,
     "Not enough arguments for call: sRegExp argument is missing",
     0},
    {{5},
     "pattern only",
     [](ExprList& args, ScriptVariables&) { args.appendValue(TextVar("a+")); },
     75,
     "Not enough arguments for call: sErrMsg argument is missing",
     0},
    {{5},
     "literal for sErrMsg",
     [](ExprList& args, ScriptVariables&) {
       args.appendValue(TextVar("a+"));
       args.appendValue(TextVar("no variable"));
     },
     78,
     "Argument sErrMsg is not lvalue",
     1},
    {{5},
     "int variable for sErrMsg",
     [](ExprList& args, ScriptVariables& vars) {
       args.appendValue(TextVar("a+"));
       args.appendVariable(vars.number, "iCount");
     },
     76,
     nullptr,
     1},
    {{5},
     "dyn_string variable for sErrMsg",
     [](ExprList& args, ScriptVariables& vars) {
       args.appendValue(TextVar("(unbalanced"));
       args.appendVariable(vars.names, "dsNames");
     },
     76,
     nullptr,
     1},
};

TEST_F(ModuleCall, RejectedArgumentsAreReportedAndChangeNothing) {
  for (const RejectedCall& row : kRejectedCalls) {
    for (unsigned number : row.functions) {
      SCOPED_TRACE(nameOf(number) + ": " + row.what);
      ScriptVariables vars;
      const std::string before = vars.snapshot();
      ExprList args;
      row.build(args, vars);
      std::string message = row.message != nullptr ? row.message : "";
      if (row.message == nullptr) {
        const CtrlExpr* failing = args.getFirst();
        for (std::size_t i = 0; i < row.failing && failing != nullptr; ++i) {
          failing = failing->getNext();
        }
        ASSERT_NE(failing, nullptr);
        message = failing->getTypeMismatchText().str();
        ASSERT_FALSE(message.empty());
      }
      EXPECT_EQ(call(number, args), -1);
      expectOneReport(sink_, thread_, nameOf(number),
                      {PRIO_WARNING, ERR_CONTROL, row.code, message});
      EXPECT_EQ(vars.snapshot(), before);
      thread_.clearLastErrors();
      sink_.clear();
    }
  }
}

TEST_F(ModuleCall, ValidationTakesAnIntAsFileNameWithoutReport) {
  for (unsigned number : {0u, 1u}) {
    SCOPED_TRACE(nameOf(number));
    ScriptVariables vars;
    ExprList args;
    args.appendValue(IntegerVar(42));
    args.appendVariable(vars.result, "mResult");
    args.appendVariable(vars.errMsg, "sErr");
    call(number, args);
    expectNoReport(sink_, thread_);
  }
}

// The text the regular-expression library gives for `pattern`, empty when it compiles.
std::string libraryDescription(const char* pattern) {
  try {
    std::regex compiled(pattern, std::regex::ECMAScript);
  } catch (const std::regex_error& error) {
    return error.what();
  }
  return "";
}

TEST_F(ModuleCall, RegExpCheckTellsWhetherThePatternCompiles) {
  const struct {
    std::string pattern;
    int result;
    const char* compiledPart;  // the text before the first NUL
  } cases[] = {
      {"", 0, ""},
      {"[a-z]+", 0, "[a-z]+"},
      {"[0-9]{2,3}", 0, "[0-9]{2,3}"},
      {"\\d+\\.\\d*|[[:alpha:]]", 0, "\\d+\\.\\d*|[[:alpha:]]"},
      {"(abc", -1, "(abc"},
      {"*abc", -1, "*abc"},
      {"abc)", -1, "abc)"},
      {"a{3,1}", -1, "a{3,1}"},
      {"[b-a]", -1, "[b-a]"},
      {"[[:nonsense:]]", -1, "[[:nonsense:]]"},
      {std::string("ab\0(", 4), 0, "ab"},
      {std::string("(\0)", 3), -1, "("},
      {std::string("\0(", 2), 0, ""},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE("pattern '" + std::string(row.compiledPart) + "'");
    ScriptVariables vars;
    ExprList args;
    args.appendValue(TextVar(row.pattern.data(), row.pattern.size()));
    args.appendVariable(vars.errMsg, "sErr");
    EXPECT_EQ(call(5, args), row.result);
    const std::string description = libraryDescription(row.compiledPart);
    EXPECT_EQ(description.empty(), row.result == 0) << "the row disagrees with the library";
    EXPECT_EQ(vars.errMsg.getValue().str(), description);
    expectNoReport(sink_, thread_);
  }
}

TEST_F(ModuleCall, RegExpCheckConvertsAnIntPattern) {
  ScriptVariables vars;
  ExprList args;
  args.appendValue(IntegerVar(42));
  args.appendVariable(vars.errMsg, "sErr");
  EXPECT_EQ(call(5, args), 0);
  EXPECT_EQ(vars.errMsg.getValue().str(), "");
}

TEST_F(ModuleCall, UnknownFunctionNumbersGiveMinusOneWithoutReport) {
  for (unsigned number : {6u, 7u, 1000u, UINT_MAX}) {
    SCOPED_TRACE(number);
    ScriptVariables vars;
    const std::string before = vars.snapshot();
    ExprList args;
    args.appendVariable(vars.names, "dsNames");
    EXPECT_EQ(call(number, args), -1);
    expectNoReport(sink_, thread_);
    EXPECT_EQ(vars.snapshot(), before);
  }
}

TEST_F(ModuleCall, EveryCallReturnsTheOneSharedResultHoldingTheLatestValue) {
  ScriptVariables vars;
  ExprList directions;
  directions.appendVariable(vars.names, "dsNames");
  ExprList timeTypes;
  timeTypes.appendVariable(vars.names, "dsNames");
  ExprList none;

  EXPECT_EQ(call(2, directions), 3);
  const Variable* first = lastResult_;
  EXPECT_EQ(call(4, timeTypes), 4);
  EXPECT_EQ(lastResult_, first);
  EXPECT_EQ(dynamic_cast<const IntegerVar&>(*first).getValue(), 4);
  EXPECT_EQ(call(7, none), -1);
  EXPECT_EQ(lastResult_, first);
  EXPECT_EQ(call(2, none), -1);  // rejected: no argument
  EXPECT_EQ(lastResult_, first);
  EXPECT_EQ(dynamic_cast<const IntegerVar&>(*first).getValue(), -1);
}

TEST_F(ModuleCall, CallsFromAnotherThreadShareTheResult) {
  ScriptVariables vars;
  ExprList args;
  args.appendVariable(vars.names, "dsNames");
  call(3, args);
  const Variable* here = lastResult_;
  const Variable* there = nullptr;
  std::thread other([&there] {
    ScriptVariables otherVars;
    ExprList otherArgs;
    otherArgs.appendVariable(otherVars.names, "dsNames");
    CtrlThread otherThread;
    there = module_->call(2, otherArgs, otherThread);
  });
  other.join();
  EXPECT_EQ(there, here);
}

// Whether the process maps the module's file: the loader unloads it (and with it the shared
// result) only when nothing in the module keeps it resident.
bool moduleIsMapped() {
  const std::string path = std::filesystem::canonical(QUORLIN_MODULE_PATH).string();
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find(path) != std::string::npos) {
      return true;
    }
  }
  return false;
}

TEST(ModuleUnload, TheLoaderUnloadsTheModuleAfterUse) {
  std::string error;
  auto module = ExternModule::load(QUORLIN_MODULE_PATH, error);
  ASSERT_NE(module, nullptr) << error;
  ScriptVariables vars;
  ExprList args;
  args.appendVariable(vars.names, "dsNames");
  CtrlThread thread;
  module->call(2, args, thread);
  EXPECT_TRUE(moduleIsMapped());
  module.reset();
  EXPECT_FALSE(moduleIsMapped());
}

#ifdef QUORLIN_NM_PATH
TEST(ModuleExports, OnlyTheFactoryAndTheVersionFunction) {
  const std::string command =
      std::string("'") + QUORLIN_NM_PATH + "' -D --defined-only '" + QUORLIN_MODULE_PATH + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr) << command;
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    output += buffer;
  }
  ASSERT_EQ(pclose(pipe), 0) << command << "\n" << output;

  // Absolute symbols ('A') name version nodes, not code or data; everything else counts.
  std::set<std::string> exported;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string address;
    std::string kind;
    std::string name;
    if (fields >> address >> kind >> name && kind != "A") {
      exported.insert(name);
    }
  }
  EXPECT_EQ(exported, (std::set<std::string>{"getVersionString", "newExternHdl"})) << output;
}
#endif

}  // namespace
}  // namespace trel::quorlinsrv::test
