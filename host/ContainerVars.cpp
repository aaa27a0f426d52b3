#include "host/ContainerVars.hpp"

#include <utility>

#include "host/VariableConversion.hpp"

namespace {

// A new variable of `type` holding `source` converted, or null when there is no conversion.
// An anytype, no type (NO_VAR) or an unknown one takes a copy of the value as it is.
Variable* convertedCopy(const Variable& source, VariableType type) {
  if (type == ANYTYPE_VAR) {
    if (const auto* any = dynamic_cast<const AnyTypeVar*>(&source))
      return any->clone();
    return new AnyTypeVar(source.clone());
  }
  if (source.isA() == type)
    return source.clone();
  Variable* target = Variable::allocate(type);
  if (target == nullptr)
    return source.clone();
  if (!target->assign(source)) {
    delete target;
    return nullptr;
  }
  return target;
}

std::string joinTexts(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) {
    if (!joined.empty())
      joined += " | ";
    joined += text;
  }
  return joined;
}

}  // namespace

// --- DynVar ---------------------------------------------------------------------------------

DynVar::DynVar(const DynVar& other) : Variable(other), elementType_(other.elementType_) {
  items_.reserve(other.items_.size());
  for (const auto& item : other.items_)
    items_.emplace_back(item ? item->clone() : nullptr);
}

HOST_DEFINE_VARIABLE_COMMON(DynVar, dynTypeOf(elementType_))

bool DynVar::assign(const Variable& sourceVar) {
  const Variable& source = host_detail::unwrapAnyType(sourceVar);
  if (&source == this)
    return true;
  std::vector<std::unique_ptr<Variable>> items;
  // An empty slot stays empty; false when an element has no conversion.
  auto take = [&](const Variable* element) {
    Variable* copy = element != nullptr ? convertedCopy(*element, elementType_) : nullptr;
    items.emplace_back(copy);
    return element == nullptr || copy != nullptr;
  };
  if (const auto* dyn = dynamic_cast<const DynVar*>(&source)) {
    items.reserve(dyn->getNumberOfItems());
    for (unsigned i = 0; i < dyn->getNumberOfItems(); ++i) {
      if (!take(dyn->getAt(i)))
        return false;
    }
  } else if (!host_detail::isScalar(source) || !take(&source)) {
    return false;
  }
  items_ = std::move(items);
  return true;
}

std::string DynVar::formatValue() const {
  std::vector<std::string> texts;
  for (const auto& item : items_)
    texts.push_back(item ? item->formatValue() : std::string());
  return joinTexts(texts);
}

// --- MappingVar -----------------------------------------------------------------------------

namespace {
// Keys are texts or numbers (the module's are texts); a container as key is compared by its text.
bool sameKey(const Variable& a, const Variable& b) {
  if (a.isA() != b.isA())
    return false;
  if (const auto* text = dynamic_cast<const TextVar*>(&a))
    return text->getValue() == static_cast<const TextVar&>(b).getValue();
  long double x = 0, y = 0;
  if (host_detail::numberOf(a, x) && host_detail::numberOf(b, y))
    return x == y;
  return a.formatValue() == b.formatValue();
}
}  // namespace

MappingVar::MappingVar(const MappingVar& other) : Variable(other) {
  entries_.reserve(other.entries_.size());
  for (const auto& [key, value] : other.entries_) {
    entries_.emplace_back(key->clone(), value ? value->clone() : nullptr);
  }
}

HOST_DEFINE_VARIABLE_COMMON(MappingVar, MAPPING_VAR)

bool MappingVar::assign(const Variable& sourceVar) {
  const Variable& source = host_detail::unwrapAnyType(sourceVar);
  const auto* mapping = dynamic_cast<const MappingVar*>(&source);
  if (mapping == nullptr)
    return false;
  if (mapping != this)
    entries_ = MappingVar(*mapping).entries_;
  return true;
}

std::string MappingVar::formatValue() const {
  std::vector<std::string> texts;
  for (const auto& [key, value] : entries_) {
    texts.push_back(key->formatValue() + " : " + (value ? value->formatValue() : std::string()));
  }
  return joinTexts(texts);
}

void MappingVar::setAt(Variable* key, Variable* value) {
  std::unique_ptr<Variable> ownedKey(key);
  std::unique_ptr<Variable> ownedValue(value);
  if (!ownedKey)
    return;
  for (auto& entry : entries_) {
    if (sameKey(*entry.first, *ownedKey)) {
      entry.second = std::move(ownedValue);
      return;
    }
  }
  entries_.emplace_back(std::move(ownedKey), std::move(ownedValue));
}

const Variable* MappingVar::getKey(std::size_t index) const {
  return index < entries_.size() ? entries_[index].first.get() : nullptr;
}

Variable* MappingVar::getValue(std::size_t index) const {
  return index < entries_.size() ? entries_[index].second.get() : nullptr;
}

Variable* MappingVar::getAt(const Variable& key) const {
  for (const auto& entry : entries_) {
    if (sameKey(*entry.first, key))
      return entry.second.get();
  }
  return nullptr;
}

Variable* MappingVar::getAt(const char* key) const {
  return getAt(TextVar(key));
}

// --- AnyTypeVar -----------------------------------------------------------------------------

AnyTypeVar::AnyTypeVar(const AnyTypeVar& other)
    : Variable(other), value_(other.value_ ? other.value_->clone() : nullptr) {}

HOST_DEFINE_VARIABLE_COMMON(AnyTypeVar, ANYTYPE_VAR)

bool AnyTypeVar::assign(const Variable& source) {
  if (&source == this)
    return true;
  if (const auto* any = dynamic_cast<const AnyTypeVar*>(&source)) {
    value_.reset(any->value_ ? any->value_->clone() : nullptr);
  } else {
    value_.reset(source.clone());
  }
  return true;
}

std::string AnyTypeVar::formatValue() const {
  return value_ ? value_->formatValue() : std::string();
}
