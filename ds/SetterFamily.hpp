// The setter family: converters that check a host value's class and store a value of their value
// type under a name in the outgoing data container. One scalar and one array template; the
// registry instantiates them once for every supported combination.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

#include "ds/DataObject.hpp"
#include "ds/ValueTypes.hpp"
#include "host/Variables.hpp"

namespace ds {

// The element type of the reference DynVar that names the expected type in a cast message.
inline constexpr VariableType kReferenceDynElementType = static_cast<VariableType>(0x10000);

// The type code that a default-made instance of `Expected` reports.
template <typename Expected>
VariableType referenceTypeOf() {
  if constexpr (std::is_same_v<Expected, DynVar>) {
    return DynVar(kReferenceDynElementType).isA();
  } else {
    return Expected().isA();
  }
}

// Replaces `error` by "cast error: expected Variable type is <expected>, but real type is
// <actual>" and returns false.
bool castError(VariableType expected, const Variable& actual, std::string& error);

template <typename Expected>
bool castError(const Variable& actual, std::string& error) {
  return castError(referenceTypeOf<Expected>(), actual, error);
}

// Replaces `error` by the message for a scalar write that raised `what`; returns false.
template <typename Scalar>
bool setScalarFailed(std::string_view word, const Scalar& value, const std::string& name,
                     const char* what, std::string& error) {
  std::ostringstream message;
  message << "failed to set " << word << " scalar value ";
  if constexpr (std::is_arithmetic_v<Scalar>) {
    message << +value;  // promoted, so that bool and the 8-bit types print as numbers
  } else {
    message << value;
  }
  message << " under the name '" << name << "': " << what;
  error = message.str();
  return false;
}

// Replaces `error` by the message for an array write of `count` elements that raised `what`;
// returns false.
bool setArrayFailed(std::string_view word, std::uint64_t count, const std::string& name,
                    const char* what, std::string& error);

// The array that a DynVar of `Class` elements becomes: one default element per slot. Empty handle
// when `value` is no DynVar or holds an element of another class (the message is then in `error`);
// null slots are not tested and still count.
template <typename Class, ValueType V>
ArrayOf<V> collectArray(const Variable& value, std::string& error) {
  const auto* dyn = dynamic_cast<const DynVar*>(&value);
  if (dyn == nullptr) {
    castError<DynVar>(value, error);
    return nullptr;
  }
  const std::uint32_t count = dyn->getNumberOfItems();
  auto values = std::make_shared<typename ArrayOf<V>::element_type>();
  values->reserve(count);
  for (std::uint32_t index = 0; index < count; ++index) {
    const Variable* item = dyn->getAt(index);
    if (item != nullptr && dynamic_cast<const Class*>(item) == nullptr) {
      castError<Class>(*item, error);
      return nullptr;
    }
    values->push_back(ElementOf<V>());
  }
  return values;
}

// Setter for a scalar element of class Row::Variable and value type V. What is stored is the value
// type's default, not the host value: the data model learns the type, not the content.
template <typename Row, ValueType V>
bool setScalar(Variable* value, std::shared_ptr<DataObject>& out, const std::string& name,
               std::string& error) {
  using Class = typename Row::Variable;
  if (dynamic_cast<const Class*>(value) == nullptr)
    return castError<Class>(*value, error);
  const ScalarOf<V> placed{};
  try {
    out->writeScalar(name, placed);
  } catch (const std::exception& failure) {
    return setScalarFailed(dsWord(V), placed, name, failure.what(), error);
  }
  return true;
}

// Setter for a DynVar of Row::Variable elements and value type V: an array of as many default
// elements as the DynVar has slots.
template <typename Row, ValueType V>
bool setArray(Variable* value, std::shared_ptr<DataObject>& out, const std::string& name,
              std::string& error) {
  const ArrayOf<V> values = collectArray<typename Row::Variable, V>(*value, error);
  if (!values)
    return false;
  try {
    out->writeArray(name, values);
  } catch (const std::exception& failure) {
    return setArrayFailed(dsWord(V), values->size(), name, failure.what(), error);
  }
  return true;
}

}  // namespace ds
