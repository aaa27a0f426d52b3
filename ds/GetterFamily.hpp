// The getter family: converters that read a value of their value type by name from the incoming
// data container and build the host Variable for it. One scalar and one array template; the
// registry instantiates them once for every supported combination.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "ds/DataObject.hpp"
#include "ds/ValueTypes.hpp"
#include "host/Variables.hpp"

namespace ds {

// Replaces `error` by "failed to get <word> <shape> value with name '<name>' from incoming data:
// <what>", the shape being "scalar" or "array".
void getFailed(std::string_view word, std::string_view shape, const std::string& name,
               const char* what, std::string& error);

// The value step: a new Variable of `Class` for one value read, or null where no conversion is
// defined. Only a string becomes a Variable, and only a TextVar.
template <typename Class, typename Value>
std::unique_ptr<Variable> makeVariable([[maybe_unused]] const Value& value) {
  if constexpr (std::is_same_v<Class, TextVar> && std::is_same_v<Value, std::string>) {
    return std::make_unique<TextVar>(value.c_str(), CharString::kUpToNul);
  } else {
    return nullptr;
  }
}

// The DynVar of Row::Variable elements for an array read: empty, but typed, for an absent or empty
// array; null as soon as one element has no conversion.
template <typename Row, typename Array>
std::shared_ptr<Variable> buildDynVar(const Array& values) {
  auto dyn = std::make_shared<DynVar>();
  dyn->setElementType(Row::variableType);
  if (!values || values->empty())
    return dyn;
  dyn->reserve(values->size());
  for (const auto& element : *values) {
    std::unique_ptr<Variable> item = makeVariable<typename Row::Variable>(element);
    if (!item)
      return nullptr;
    dyn->append(item.release());
  }
  return dyn;
}

// Getter for a scalar element of class Row::Variable from a scalar of value type V.
template <typename Row, ValueType V>
std::shared_ptr<Variable> getScalar(DataObject& in, const std::string& name, std::string& error) {
  ScalarOf<V> value{};
  try {
    value = in.readScalar(name, DataObject::As<ScalarOf<V>>());
  } catch (const std::exception& failure) {
    getFailed(dsWord(V), "scalar", name, failure.what(), error);
    return nullptr;
  }
  return makeVariable<typename Row::Variable>(value);
}

// Getter for a DynVar of Row::Variable elements from an array of value type V.
template <typename Row, ValueType V>
std::shared_ptr<Variable> getArray(DataObject& in, const std::string& name, std::string& error) {
  ArrayOf<V> values;
  try {
    values = in.readArray(name, DataObject::As<ScalarOf<V>>());
  } catch (const std::exception& failure) {
    getFailed(dsWord(V), "array", name, failure.what(), error);
    return nullptr;
  }
  return buildDynVar<Row>(values);
}

}  // namespace ds
