// The module as the host sees it: loaded by the dynamic loader, called by function number.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/ErrHdl.hpp"
#include "host/ExternModule.hpp"
#include "host/Variables.hpp"

namespace trel::quorlinsrv::test {
namespace {

// The variables of the calling script, each holding something a call must not lose.
struct ScriptVariables {
  MappingVar result;
  TextVar text{"earlier message"};
  DynVar names{TEXT_VAR};
  IntegerVar number{7};
  DynVar numbers{INTEGER_VAR};

  ScriptVariables() {
    result.setAt(new TextVar("key"), new TextVar("value"));
    for (const char* word : {"a", "b", "c", "d", "e"}) {
      names.append(new TextVar(word));
    }
    numbers.append(new IntegerVar(1));
  }
  std::string snapshot() const {
    std::ostringstream all;
    const Variable* const variables[] = {&result, &text, &names, &number, &numbers};
    for (const Variable* v : variables) {
      all << v->isA() << ':' << v->formatValue() << '|';
    }
    return all.str();
  }
  // Arguments by letter: variables m(apping) s(tring) d(yn_string) i(nt) n (dyn_int); literals
  // f (a file name), p (a pattern), L (string), M (mapping), D (dyn_string), I (int).
  void build(ExprList& args, const std::string& letters) {
    const TextVar file("devices.cfg"), pattern("a+"), literal("literal");
    const MappingVar mapping;
    const IntegerVar integer(42);
    const std::map<char, Variable*> variables = {
        {'m', &result}, {'s', &text}, {'d', &names}, {'i', &number}, {'n', &numbers}};
    const std::map<char, const Variable*> literals = {{'f', &file},    {'p', &pattern},
                                                      {'L', &literal}, {'M', &mapping},
                                                      {'D', &names},   {'I', &integer}};
    for (char letter : letters) {
      if (variables.count(letter) != 0) {
        args.appendVariable(*variables.at(letter), std::string("var_") + letter);
      } else {
        args.appendValue(*literals.at(letter));
      }
    }
  }
};

class ModuleCall : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { module_ = ExternModule::load(QUORLIN_MODULE_PATH, loadError_); }
  static void TearDownTestSuite() { module_.reset(); }
  void SetUp() override { ASSERT_NE(module_, nullptr) << loadError_; }

  // Calls function `number` with the arguments `letters`; the integer the script sees.
  int call(unsigned number, const std::string& letters) {
    ExprList args;
    vars_.build(args, letters);
    const auto* result = dynamic_cast<const IntegerVar*>(module_->call(number, args, thread_));
    EXPECT_NE(result, nullptr) << "every call returns an int";
    return result != nullptr ? result->getValue() : INT_MIN;
  }
  static std::string nameOf(unsigned number) {
    return number < 6 ? module_->handler().getFunctionList()[number].name : "";
  }

  static std::unique_ptr<ExternModule> module_;
  static std::string loadError_;
  CtrlThread thread_{CharString("module test, script calls.ctl, line 12")};
  // What reached the host's error handler since the last check.
  std::vector<std::string> sunk_;
  ErrHdl::Sink previousSink_ =
      ErrHdl::setSink([this](const ErrClass& error) { sunk_.push_back(error.toLine()); });
  ~ModuleCall() override { ErrHdl::setSink(previousSink_); }

  // Exactly the error `line` ("" for none) went to the error handler and to the thread's last
  // errors since the last check; both are emptied for the next one.
  void expectReport(const std::string& line) {
    const std::vector<std::string> expected =
        line.empty() ? std::vector<std::string>{} : std::vector<std::string>{line};
    std::vector<std::string> last;
    for (const ErrClass& error : thread_.getLastErrors())
      last.push_back(error.toLine());
    EXPECT_EQ(sunk_, expected) << "errors sent to the error handler";
    EXPECT_EQ(last, expected) << "errors on the thread's last-error list";
    sunk_.clear();
    thread_.clearLastErrors();
  }
  ScriptVariables vars_;
};

std::unique_ptr<ExternModule> ModuleCall::module_;
std::string ModuleCall::loadError_;

TEST_F(ModuleCall, VersionAndFunctionNumbers) {
  EXPECT_STREQ(module_->getVersionString(), "316000");
  const char* const names[] = {"validateAll",      "validateErrorsOnly", "allowedDirections",
                               "allowedDataTypes", "allowedTimeTypes",   "validateRegExp"};
  ASSERT_EQ(module_->handler().getFunctionCount(), 6u);
  for (unsigned i = 0; i < 6; ++i)
    EXPECT_EQ(module_->handler().getFuncNum(
                  (std::string("QuorlinServerConfigParser_") + names[i]).c_str()),
              i);
}

TEST_F(ModuleCall, AllowedNamesReplaceTheListByTheWordsInCodeOrder) {
  const std::pair<unsigned, std::vector<std::string>> cases[] = {
      {2, {"in/out", "out", "in"}},
      {3, {"boolean", "byte", "short", "long", "longlong", "float", "double", "string"}},
      {4, {"none", "double", "longlong", "longlongnano"}}};
  for (const auto& [number, words] : cases) {
    SCOPED_TRACE(nameOf(number));
    EXPECT_EQ(call(number, "d"), static_cast<int>(words.size()));
    std::vector<std::string> delivered;
    for (unsigned i = 0; i < vars_.names.getNumberOfItems(); ++i) {
      const auto* word = dynamic_cast<const TextVar*>(vars_.names.getAt(i));
      delivered.push_back(word != nullptr ? word->getValue().str() : "<not a string>");
    }
    EXPECT_EQ(delivered, words);
    expectReport("");
  }
}

TEST_F(ModuleCall, RejectedArgumentsAreReportedAndChangeNothing) {
  const struct {
    std::vector<unsigned> functions;
    const char* letters;
    unsigned code;
    const char* message;  // null: the host's own text of the last argument expression
  } cases[] = {
      {{0, 1}, "", 75, "Not enough arguments for call: fileName argument is missing"},
      {{0, 1}, "f", 75, "Not enough arguments for call: result argument is missing"},
      {{0, 1}, "fm", 75, "Not enough arguments for call: errMsg argument is missing"},
      {{0, 1}, "fmL", 78, "Argument errMsg is not lvalue"},
      {{0, 1}, "fMs", 78, "Argument result is not lvalue"},
      {{0, 1}, "fs", 76, nullptr},
      {{0, 1}, "fmi", 76, nullptr},
      {{2, 3, 4}, "", 75, "Not enough arguments for call: allowedNames argument is missing"},
      {{2, 3, 4}, "D", 78, "Argument allowedNames is not lvalue"},
      {{2, 3, 4}, "i", 76, nullptr},
      {{2, 3, 4}, "n", 76, nullptr},
      {{2, 3, 4}, "s", 76, nullptr},
      {{5}, "", 75, "Not enough arguments for call: sRegExp argument is missing"},
      {{5}, "p", 75, "Not enough arguments for call: sErrMsg argument is missing"},
      {{5}, "pL", 78, "Argument sErrMsg is not lvalue"},
      {{5}, "pi", 76, nullptr},
      {{5}, "pd", 76, nullptr},
  };
  for (const auto& row : cases) {
    for (unsigned number : row.functions) {
      SCOPED_TRACE(nameOf(number) + " with '" + row.letters + "'");
      std::string message = row.message != nullptr ? row.message : "";
      if (row.message == nullptr) {
        ExprList probe;  // the same expression the call gets, for the host's text
        vars_.build(probe, row.letters);
        const CtrlExpr* last = probe.getFirst();
        while (last->getNext() != nullptr)
          last = last->getNext();
        message = last->getTypeMismatchText().str();
      }
      const std::string before = vars_.snapshot();
      EXPECT_EQ(call(number, row.letters), -1);
      expectReport("WARNING, CTRL, " + std::to_string(row.code) + ", " +
                   thread_.getScriptText().str() + ", " + nameOf(number) + ", " + message);
      EXPECT_EQ(vars_.snapshot(), before);
    }
  }
}

TEST_F(ModuleCall, ValidationTakesAnIntAsFileNameWithoutReport) {
  call(0, "Ims");
  call(1, "Ims");
  expectReport("");
}

// What the regular-expression library says about `pattern`; empty when it compiles.
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
    const char* beforeNul;
  } cases[] = {
      {"", 0, ""},
      {"[a-z]+", 0, "[a-z]+"},
      {"\\d{2,3}\\.\\d*|[[:alpha:]]", 0, "\\d{2,3}\\.\\d*|[[:alpha:]]"},
      {"(abc", -1, "(abc"},
      {"*abc", -1, "*abc"},
      {"abc)", -1, "abc)"},
      {"a{3,1}", -1, "a{3,1}"},
      {"[b-a]", -1, "[b-a]"},
      {std::string("ab\0(", 4), 0, "ab"},
      {std::string("(\0)", 3), -1, "("},
      {std::string("\0(", 2), 0, ""},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE("pattern '" + std::string(row.beforeNul) + "'");
    ExprList args;
    args.appendValue(TextVar(row.pattern.data(), row.pattern.size()));
    args.appendVariable(vars_.text, "sErr");
    const auto* result = dynamic_cast<const IntegerVar*>(module_->call(5, args, thread_));
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->getValue(), row.result);
    const std::string description = libraryDescription(row.beforeNul);
    EXPECT_EQ(description.empty(), row.result == 0) << "the row disagrees with the library";
    EXPECT_EQ(vars_.text.getValue().str(), description) << "replaces the earlier text";
    expectReport("");
  }
  EXPECT_EQ(call(5, "Is"), 0) << "an int pattern is converted to its text";
}

TEST_F(ModuleCall, UnknownFunctionNumbersGiveMinusOneWithoutReport) {
  const std::string before = vars_.snapshot();
  for (unsigned number : {6u, 7u, 1000u, UINT_MAX}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(call(number, "d"), -1);
    expectReport("");
  }
  EXPECT_EQ(vars_.snapshot(), before);
}

#ifdef QUORLIN_NM_PATH
TEST(ModuleExports, OnlyTheFactoryAndTheVersionFunction) {
  const std::string command =
      std::string("'") + QUORLIN_NM_PATH + "' -D --defined-only '" + QUORLIN_MODULE_PATH + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr) << command;
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
    output += buffer;
  ASSERT_EQ(pclose(pipe), 0) << command << "\n" << output;

  // Absolute symbols ('A') name version nodes, not code or data; every other one counts.
  std::set<std::string> exported;
  std::istringstream lines(output);
  std::string address, kind, name;
  while (lines >> address >> kind >> name) {
    if (kind != "A")
      exported.insert(name);
  }
  EXPECT_EQ(exported, (std::set<std::string>{"getVersionString", "newExternHdl"})) << output;
}
#endif

}  // namespace
}  // namespace trel::quorlinsrv::test
