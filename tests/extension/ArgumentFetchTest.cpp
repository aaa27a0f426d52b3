// Argument access of the handler, called directly with descriptions no script function uses.
#include <gtest/gtest.h>

#include <string>

#include "extension/QuorlinServerConfigValidator.hpp"
#include "tests/extension/ReportedErrors.hpp"

namespace trel::quorlinsrv::test {
namespace {

constexpr const char* kFunction = "QuorlinServerConfigParser_test";
const ExpectedError kInvalidDescription{PRIO_SEVERE, ERR_IMPL, 76,
                                        "Invalid argument description in CTRL DLL implementation"};

class ArgumentFetch : public ::testing::Test {
 protected:
  ArgumentFetch() {
    call_.funcName = CharString(kFunction);
    call_.args = &args_;
    call_.thread = &thread_;
  }
  void expectMissing(const char* name) {
    const ExpectedError missing{
        PRIO_WARNING, ERR_CONTROL, 75,
        std::string("Not enough arguments for call: ") + name + " argument is missing"};
    expectReport(sink_, thread_, kFunction, &missing);
  }

  QuorlinServerConfigValidator handler_{nullptr};
  ExprList args_;
  CtrlThread thread_{CharString("unit test, script fetch.ctl")};
  ExecuteCallRec call_;
  ErrorSink sink_;
};

TEST_F(ArgumentFetch, DescriptionWithoutPointersIsAnImplementationError) {
  TextVar name("earlier");
  args_.appendValue(TextVar("first"));
  args_.appendValue(TextVar("second"));
  const ArgumentDescription descriptions[] = {{"first", TEXT_VAR, &name, nullptr},
                                              {"broken", TEXT_VAR, nullptr, nullptr}};
  EXPECT_FALSE(handler_.fetchArguments(call_, descriptions, 2));
  expectReport(sink_, thread_, kFunction, &kInvalidDescription);
  EXPECT_EQ(name.getValue().str(), "first") << "the description before it was processed";
}

TEST_F(ArgumentFetch, InOutDeliversTheVariableAndItsValueOrNeither) {
  IntegerVar count(12);
  TextVar copy;
  Variable* target = nullptr;
  args_.appendVariable(count, "iCount");
  const ArgumentDescription asInt[] = {{"count", INTEGER_VAR, &copy, &target}};
  EXPECT_TRUE(handler_.fetchArguments(call_, asInt, 1));
  EXPECT_EQ(target, &count);
  EXPECT_EQ(copy.getValue().str(), "12");
  expectReport(sink_, thread_, kFunction, nullptr);

  const ArgumentDescription asText[] = {{"count", TEXT_VAR, &copy, &target}};
  copy.setValue(CharString("unchanged"));
  target = &copy;
  EXPECT_FALSE(handler_.fetchArguments(call_, asText, 1));
  EXPECT_EQ(target, &copy);
  EXPECT_EQ(copy.getValue().str(), "unchanged");
  const ExpectedError wrongType{PRIO_WARNING, ERR_CONTROL, 76,
                                args_.getFirst()->getTypeMismatchText().str()};
  expectReport(sink_, thread_, kFunction, &wrongType);
}

TEST_F(ArgumentFetch, WithoutArgumentListOnlyNoDescriptionsSucceed) {
  call_.args = nullptr;
  EXPECT_TRUE(handler_.fetchArguments(call_, nullptr, 0));
  expectReport(sink_, thread_, kFunction, nullptr);
  TextVar holder;
  const ArgumentDescription descriptions[] = {{"fileName", TEXT_VAR, &holder, nullptr}};
  EXPECT_FALSE(handler_.fetchArguments(call_, descriptions, 1));
  expectMissing("fileName");
}

TEST_F(ArgumentFetch, NextArgumentWalksTheListWithItsCursor) {
  args_.appendValue(TextVar("one"));
  args_.appendValue(TextVar("two"));
  CtrlExpr* first = args_.getFirst();
  CtrlExpr* second = first->getNext();
  for (int round = 0; round < 2; ++round) {  // the first-flag starts again
    EXPECT_EQ(handler_.nextArgument(call_, "a", true), first);
    EXPECT_EQ(args_.getCursor(), first);
    EXPECT_EQ(handler_.nextArgument(call_, "b", false), second);
    EXPECT_EQ(args_.getCursor(), second);
  }
  expectReport(sink_, thread_, kFunction, nullptr);
  EXPECT_EQ(handler_.nextArgument(call_, "c", false), nullptr);
  EXPECT_EQ(args_.getCursor(), nullptr);
  expectMissing("c");
}

TEST_F(ArgumentFetch, CallWithoutThreadStillReachesTheErrorHandler) {
  call_.thread = nullptr;
  const ArgumentDescription descriptions[] = {{"x", TEXT_VAR, nullptr, nullptr}};
  EXPECT_FALSE(handler_.fetchArguments(call_, descriptions, 1));
  ASSERT_EQ(sink_.errors.size(), 1u);
  expectError(sink_.errors.front(), kInvalidDescription, "", kFunction);
}

TEST_F(ArgumentFetch, EveryHandlerReturnsTheSameResultObject) {
  QuorlinServerConfigValidator other(&handler_);
  call_.funcNum = 6;
  const Variable* first = handler_.execute(call_);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(other.execute(call_), first);
}

}  // namespace
}  // namespace trel::quorlinsrv::test
