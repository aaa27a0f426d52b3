#include "host/CtrlExpr.hpp"

#include <string>
#include <utility>

namespace {

// One argument: a literal (owned; names no variable) or a script variable (not owned).
class ArgumentExpr : public CtrlExpr {
 public:
  ArgumentExpr(std::unique_ptr<Variable> value, Variable* variable, const std::string& mismatch)
      : value_(std::move(value)), variable_(variable), mismatchText_(mismatch) {}
  const Variable* evaluate(CtrlThread*) const override { return value_ ? value_.get() : variable_; }
  Variable* getTarget(CtrlThread*) const override { return variable_; }
  const CharString& getTypeMismatchText() const override { return mismatchText_; }

 private:
  std::unique_ptr<Variable> value_;
  Variable* variable_;
  CharString mismatchText_;
};

}  // namespace

CtrlExpr::~CtrlExpr() = default;

ExprList::~ExprList() = default;

void ExprList::append(std::unique_ptr<CtrlExpr> expr) {
  if (!exprs_.empty())
    exprs_.back()->next_ = expr.get();
  exprs_.push_back(std::move(expr));
}

void ExprList::appendValue(const Variable& value, CharString sourceText) {
  const std::string source = sourceText.isEmpty() ? value.formatValue() : sourceText.str();
  append(std::make_unique<ArgumentExpr>(std::unique_ptr<Variable>(value.clone()), nullptr,
                                        "Argument " + source + " is a value of type " +
                                            Variable::getTypeName(value.isA()) +
                                            ", not a variable of the expected type"));
}

void ExprList::appendVariable(Variable& variable, CharString variableName) {
  append(std::make_unique<ArgumentExpr>(nullptr, &variable,
                                        "Variable " + variableName.str() + " has the wrong type " +
                                            Variable::getTypeName(variable.isA())));
}
