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

// A literal value: evaluates to its value, names no variable.
class HOST_API ValueExpr : public CtrlExpr {
 public:
  // `sourceText` is how the literal reads in the script, used in the mismatch text.
  explicit ValueExpr(std::unique_ptr<Variable> value, CharString sourceText = CharString());
  ~ValueExpr() override;
  const Variable* evaluate(CtrlThread* thread) const override;
  Variable* getTarget(CtrlThread* thread) const override;
  const CharString& getTypeMismatchText() const override { return mismatchText_; }

 private:
  std::unique_ptr<Variable> value_;
  CharString mismatchText_;
};

// A script variable: evaluates to the variable's value and names it. The variable is not owned.
class HOST_API VariableExpr : public CtrlExpr {
 public:
  VariableExpr(Variable* variable, CharString variableName);
  ~VariableExpr() override;
  const Variable* evaluate(CtrlThread* thread) const override;
  Variable* getTarget(CtrlThread* thread) const override;
  const CharString& getTypeMismatchText() const override { return mismatchText_; }

 private:
  Variable* variable_;
  CharString mismatchText_;
};

// The arguments of one call in order, with a cursor that the callee moves.
class HOST_API ExprList {
 public:
  ExprList() = default;
  ExprList(const ExprList&) = delete;
  ExprList& operator=(const ExprList&) = delete;
  virtual ~ExprList();

  // Appends an argument; the list owns it.
  void append(std::unique_ptr<CtrlExpr> expr);
  // Conveniences for hosts and tests: a literal of `value`, or the script variable `variable`.
  void appendValue(const Variable& value, CharString sourceText = CharString());
  void appendVariable(Variable& variable, CharString variableName);

  CtrlExpr* getFirst() const { return exprs_.empty() ? nullptr : exprs_.front().get(); }
  CtrlExpr* getCursor() const { return cursor_; }
  void setCursor(CtrlExpr* expr) { cursor_ = expr; }
  std::size_t size() const { return exprs_.size(); }

 private:
  std::vector<std::unique_ptr<CtrlExpr>> exprs_;
  CtrlExpr* cursor_ = nullptr;
};
