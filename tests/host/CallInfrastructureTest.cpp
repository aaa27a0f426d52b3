#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/BaseExternHdl.hpp"
#include "host/ErrHdl.hpp"

namespace {

TEST(ExprListTest, LinksArgumentsAndKeepsACursor) {
  ExprList args;
  EXPECT_EQ(args.getFirst(), nullptr);
  IntegerVar variable(5);
  args.appendValue(TextVar("file.cfg"));
  args.appendVariable(variable, "counter");
  CtrlThread thread;
  CtrlExpr* first = args.getFirst();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->getTarget(&thread), nullptr);  // a literal is no lvalue
  EXPECT_STREQ(*static_cast<const TextVar*>(first->evaluate(&thread)), "file.cfg");
  CtrlExpr* second = first->getNext();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->getTarget(&thread), &variable);
  EXPECT_NE(std::string(second->getTypeMismatchText()).find("counter"), std::string::npos);
  EXPECT_EQ(second->getNext(), nullptr);
  args.setCursor(second);
  EXPECT_EQ(args.getCursor(), second);
}

TEST(ErrHdlTest, SinkCollectsErrorsAndThreadKeepsItsLastErrors) {
  std::vector<std::string> lines;
  ErrHdl::Sink previous = ErrHdl::setSink([&](const ErrClass& e) { lines.push_back(e.toLine()); });
  ErrClass error(PRIO_WARNING, ERR_CONTROL, 75, "script", "func", "two\nlines");
  ErrHdl::error(error);
  ErrHdl::setSink(previous);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "WARNING, CTRL, 75, script, func, two lines");

  CtrlThread thread("manager 1, script check.ctl");
  thread.appendLastError(&error);
  thread.appendLastError(nullptr);
  ASSERT_EQ(thread.getLastErrors().size(), 1u);
  EXPECT_EQ(thread.getLastErrors()[0].getErrorId(), 75u);
  EXPECT_STREQ(thread.getScriptText(), "manager 1, script check.ctl");
}

// A handler that records what reaches the dispatching overload.
class RecordingHdl : public BaseExternHdl {
 public:
  using BaseExternHdl::BaseExternHdl;
  using BaseExternHdl::execute;
  const Variable* execute(ExecuteCallRec& call) override {
    seen = call.funcName.str() + "/" + std::to_string(call.funcNum);
    return &result;
  }
  std::string seen;
  IntegerVar result{9};
};

TEST(BaseExternHdlTest, FindsFunctionsByNameAndPacksCalls) {
  static const FunctionListRec functions[] = {{INTEGER_VAR, "first", "()", 0},
                                              {INTEGER_VAR, "second", "(int x)", 0}};
  RecordingHdl handler(nullptr, 2, functions);
  EXPECT_EQ(handler.getFunctionCount(), 2u);
  EXPECT_EQ(handler.getFuncNum("second"), 1u);
  EXPECT_EQ(handler.getFuncNum("third"), BaseExternHdl::kNoFunction);
  ExprList args;
  CtrlThread thread;
  EXPECT_EQ(handler.execute("second", 1, &args, nullptr, &thread), &handler.result);
  EXPECT_EQ(handler.seen, "second/1");
}

}  // namespace
