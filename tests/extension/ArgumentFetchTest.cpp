// Argument modes of the handler that no script function uses, one row each, called directly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extension/QuorlinServerConfigValidator.hpp"
#include "host/ErrHdl.hpp"

namespace trel::quorlinsrv::test {
namespace {

TEST(ArgumentFetch, InOutNoListAndInvalidDescriptionWithAndWithoutThread) {
  std::vector<std::string> sunk;
  const ErrHdl::Sink previous =
      ErrHdl::setSink([&](const ErrClass& error) { sunk.push_back(error.toLine()); });
  QuorlinServerConfigValidator handler(nullptr);
  ExprList args;
  CtrlThread thread(CharString("script fetch.ctl"));
  ExecuteCallRec call;
  call.funcName = CharString("f");
  call.args = &args;
  call.thread = &thread;
  IntegerVar count(12);
  args.appendVariable(count, "iCount");
  TextVar copy;
  Variable* target = nullptr;
  const ArgumentDescription inOut[] = {{"count", INTEGER_VAR, &copy, &target}};
  EXPECT_TRUE(handler.fetchArguments(call, inOut, 1));
  EXPECT_EQ(target, &count);
  EXPECT_EQ(copy.getValue().str(), "12");
  const ArgumentDescription inOutText[] = {{"count", TEXT_VAR, &copy, &target}};
  EXPECT_FALSE(handler.fetchArguments(call, inOutText, 1));  // reported: the type differs
  const ArgumentDescription broken[] = {{"x", TEXT_VAR, nullptr, nullptr}};
  EXPECT_FALSE(handler.fetchArguments(call, broken, 1));
  call.thread = nullptr;
  EXPECT_FALSE(handler.fetchArguments(call, broken, 1));
  call.args = nullptr;
  EXPECT_TRUE(handler.fetchArguments(call, nullptr, 0));
  ErrHdl::setSink(previous);
  const std::string invalid = ", f, Invalid argument description in CTRL DLL implementation";
  ASSERT_EQ(sunk.size(), 3u);
  EXPECT_EQ(sunk[1], "SEVERE, IMPL, 76, script fetch.ctl" + invalid);
  EXPECT_EQ(sunk[2], "SEVERE, IMPL, 76, " + invalid);
  EXPECT_EQ(thread.getLastErrors().size(), 2u);
}

}  // namespace
}  // namespace trel::quorlinsrv::test
