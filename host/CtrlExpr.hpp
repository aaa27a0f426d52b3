// Argument expressions of a script call and the list that holds them.
#pragma once

#include <memory>
#include <vector>

#include "host/CharString.hpp"
#include "host/HostApi.hpp"
#include "host/Variables.hpp"

class CtrlThread;
class SelExpr;  // a member selection expression; the stand-in never builds one

// One argument expression of a call.
class HOST_API CtrlExpr {
 public:
  virtual ~CtrlExpr();

  // The current value of the expression in `thread`.
  virtual const Variable* evaluate(CtrlThread* thread) const = 0;
  // The variable the expression names, or null when it is not an lvalue.
  virtual Variable* getTarget(CtrlThread* thread) const = 0;
  // The text that the host reports when the expression's variable has the wrong type.
  virtual const CharString& getTypeMismatchText() const = 0;

  // The next argument of the call, or null.
  CtrlExpr* getNext() const { return next_; }

 protected:
  CtrlExpr() = default;

 private:
  friend class ExprList;
  CtrlExpr* next_ = nullptr;
};

// The arguments of one call in order, with a cursor that the callee moves.
class HOST_API ExprList {
 public:
  ExprList() = default;
  ExprList(const ExprList&) = delete;
  ExprList& operator=(const ExprList&) = delete;
  virtual ~ExprList();

  // Appends a literal: a copy of `value`, read as `sourceText` in the script (its value's text
  // when empty). It names no variable.
  void appendValue(const Variable& value, CharString sourceText = CharString());
  // Appends the script variable `variable`, called `variableName`; it stays the caller's.
  void appendVariable(Variable& variable, CharString variableName);

  CtrlExpr* getFirst() const { return exprs_.empty() ? nullptr : exprs_.front().get(); }
  CtrlExpr* getCursor() const { return cursor_; }
  void setCursor(CtrlExpr* expr) { cursor_ = expr; }

 private:
  void append(std::unique_ptr<CtrlExpr> expr);

  std::vector<std::unique_ptr<CtrlExpr>> exprs_;
  CtrlExpr* cursor_ = nullptr;
};
