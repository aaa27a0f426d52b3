// Argument access of the handler, called directly with descriptions no script function uses.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "extension/QuorlinServerConfigValidator.hpp"
#include "tests/extension/ReportedErrors.hpp"

namespace trel::quorlinsrv::test {
namespace {

constexpr const char* kFunction = "QuorlinServerConfigParser_test";

class ArgumentFetch : public ::testing::Test {
 protected:
  ArgumentFetch() {
    call_.funcName = CharString(kFunction);
    call_.args = &args_;
    call_.thread = &thread_;
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
  EXPECT_FALSE(handler_.fetchArguments(call_, descriptions, std::size(descriptions)));
  expectOneReport(
      sink_, thread_, kFunction,
      {PRIO_SEVERE, ERR_IMPL, 76, "Invalid argument description in CTRL DLL implementation"});
  EXPECT_EQ(name.getValue().str(), "first") << "the description before it was processed";
}

TEST_F(ArgumentFetch, InOutDeliversTheVariableAndItsValue) {
  IntegerVar count(12);
  TextVar copy;
  Variable* target = nullptr;
  args_.appendVariable(count, "iCount");
  const ArgumentDescription descriptions[] = {{"count", INTEGER_VAR, &copy, &target}};
  EXPECT_TRUE(handler_.fetchArguments(call_, descriptions, 1));
  EXPECT_EQ(target, &count);
  EXPECT_EQ(copy.getValue().str(), "12");
  expectNoReport(sink_, thread_);
}

TEST_F(ArgumentFetch, InOutOfTheWrongTypeLeavesTargetAndHolder) {
  TextVar text("abc");
  TextVar copy("unchanged");
  Variable* target = &copy;
  args_.appendVariable(text, "sText");
  const ArgumentDescription descriptions[] = {{"count", INTEGER_VAR, &copy, &target}};
  EXPECT_FALSE(handler_.fetchArguments(call_, descriptions, 1));
  EXPECT_EQ(target, &copy);
  EXPECT_EQ(copy.getValue().str(), "unchanged");
  expectOneReport(sink_, thread_, kFunction,
                  {PRIO_WARNING, ERR_CONTROL, 76, args_.getFirst()->getTypeMismatchText().str()});
}

TEST_F(ArgumentFetch, NoDescriptionsNeedNoArgumentList) {
  call_.args = nullptr;
  EXPECT_TRUE(handler_.fetchArguments(call_, nullptr, 0));
  expectNoReport(sink_, thread_);
}

TEST_F(ArgumentFetch, MissingArgumentListIsAMissingArgument) {
  call_.args = nullptr;
  TextVar holder;
  const ArgumentDescription descriptions[] = {{"fileName", TEXT_VAR, &holder, nullptr}};
  EXPECT_FALSE(handler_.fetchArguments(call_, descriptions, 1));
  expectOneReport(sink_, thread_, kFunction,
                  {PRIO_WARNING, ERR_CONTROL, 75,
                   "Not enough arguments for call: fileName argument is missing"});
}

TEST_F(ArgumentFetch, ArgumentsBeyondTheDescribedAreNotLookedAt) {
  TextVar holder;
  args_.appendValue(TextVar("used"));
  args_.appendValue(IntegerVar(3));
  const ArgumentDescription descriptions[] = {{"only", TEXT_VAR, &holder, nullptr}};
  EXPECT_TRUE(handler_.fetchArguments(call_, descriptions, 1));
  EXPECT_EQ(holder.getValue().str(), "used");
  EXPECT_EQ(args_.getCursor(), args_.getFirst());
  expectNoReport(sink_, thread_);
}

TEST_F(ArgumentFetch, NextArgumentWalksTheListWithItsCursor) {
  args_.appendValue(TextVar("one"));
  args_.appendValue(TextVar("two"));
  CtrlExpr* first = args_.getFirst();
  CtrlExpr* second = first->getNext();

  EXPECT_EQ(handler_.nextArgument(call_, "a", true), first);
  EXPECT_EQ(args_.getCursor(), first);
  EXPECT_EQ(handler_.nextArgument(call_, "b", false), second);
  EXPECT_EQ(args_.getCursor(), second);
  EXPECT_EQ(handler_.nextArgument(call_, "a", true), first) << "the first-flag starts again";
  EXPECT_EQ(handler_.nextArgument(call_, "b", false), second);
  expectNoReport(sink_, thread_);

  EXPECT_EQ(handler_.nextArgument(call_, "c", false), nullptr);
  EXPECT_EQ(args_.getCursor(), nullptr);
  expectOneReport(
      sink_, thread_, kFunction,
      {PRIO_WARNING, ERR_CONTROL, 75, "Not enough arguments for call: c argument is missing"});
}

TEST_F(ArgumentFetch, CallWithoutThreadStillReachesTheErrorHandler) {
  call_.thread = nullptr;
  const ArgumentDescription descriptions[] = {{"x", TEXT_VAR, nullptr, nullptr}};
  EXPECT_FALSE(handler_.fetchArguments(call_, descriptions, 1));
  const auto errors = sink_.errors();
  ASSERT_EQ(errors.size(), 1u);
  expectError(
      errors.front(),
      {PRIO_SEVERE, ERR_IMPL, 76, "Invalid argument description in CTRL DLL implementation"}, "",
      kFunction);
}

TEST_F(ArgumentFetch, DispatchWithoutArgumentListReportsTheFirstArgument) {
  call_.args = nullptr;
  call_.funcNum = 3;
  const auto* result = dynamic_cast<const IntegerVar*>(handler_.execute(call_));
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->getValue(), -1);
  expectOneReport(sink_, thread_, kFunction,
                  {PRIO_WARNING, ERR_CONTROL, 75,
                   "Not enough arguments for call: allowedNames argument is missing"});
}

TEST_F(ArgumentFetch, EveryHandlerReturnsTheSameResultObject) {
  QuorlinServerConfigValidator other(&handler_);
  call_.funcNum = 6;
  const Variable* first = handler_.execute(call_);
  const Variable* second = other.execute(call_);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace trel::quorlinsrv::test
