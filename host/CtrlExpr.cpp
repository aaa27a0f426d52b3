#include "host/CtrlExpr.hpp"

#include <utility>

CtrlExpr::~CtrlExpr() = default;

ValueExpr::ValueExpr(std::unique_ptr<Variable> value, CharString sourceText)
    : value_(std::move(value)) {
  std::string source = sourceText.isEmpty() && value_ ? value_->formatValue() : sourceText.str();
  mismatchText_ = CharString("Argument " + source + " is a value of type " +
                             Variable::getTypeName(value_ ? value_->isA() : NO_VAR) +
                             ", not a variable of the expected type");
}

ValueExpr::~ValueExpr() = default;
const Variable* ValueExpr::evaluate(CtrlThread*) const {
  return value_.get();
}
Variable* ValueExpr::getTarget(CtrlThread*) const {
  return nullptr;
}

VariableExpr::VariableExpr(Variable* variable, CharString variableName)
    : variable_(variable),
      mismatchText_("Variable " + variableName.str() + " has the wrong type " +
                    Variable::getTypeName(variable != nullptr ? variable->isA() : NO_VAR)) {}

VariableExpr::~VariableExpr() = default;
const Variable* VariableExpr::evaluate(CtrlThread*) const {
  return variable_;
}
Variable* VariableExpr::getTarget(CtrlThread*) const {
  return variable_;
}

ExprList::~ExprList() = default;

void ExprList::append(std::unique_ptr<CtrlExpr> expr) {
  if (!expr)
    return;
  if (!exprs_.empty())
    exprs_.back()->next_ = expr.get();
  exprs_.push_back(std::move(expr));
}

void ExprList::appendValue(const Variable& value, CharString sourceText) {
  append(
      std::make_unique<ValueExpr>(std::unique_ptr<Variable>(value.clone()), std::move(sourceText)));
}

void ExprList::appendVariable(Variable& variable, CharString variableName) {
  append(std::make_unique<VariableExpr>(&variable, std::move(variableName)));
}
