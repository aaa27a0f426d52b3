// A data container in memory for the converter tests: typed values by name, failures on demand and
// a log of every read and write.
#pragma once

#include <any>
#include <cstddef>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

#include "ds/DataObject.hpp"

// Raised on demand for a failing read or write; derived from std::exception alone, so that a
// converter catching some narrower class would let it through.
class StorageError : public std::exception {
 public:
  explicit StorageError(std::string what) : what_(std::move(what)) {}
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::string what_;
};

// Raised on demand to show that converters let exceptions of other kinds through.
struct NonStandardError {
  int code;
};

class MemoryDataObject : public virtual DataObject {
 public:
  // One read or write: the operation, the name, the scalar or element type it was made for, and
  // for a write the number of values handed over and whether all of them were default values.
  struct Call {
    std::string operation;
    std::string name;
    std::type_index type;
    std::size_t count = 0;
    bool allDefault = false;
  };

  template <typename Scalar>
  void putScalar(const std::string& name, Scalar value) {
    values_[name] = std::move(value);
  }
  template <typename Element>
  void putArray(const std::string& name, Array<Element> values) {
    values_[name] = std::move(values);
  }
  // Every later read or write of `name` raises StorageError(what).
  void failWith(const std::string& name, const std::string& what) { failures_[name] = what; }
  // Every later read or write of `name` raises NonStandardError.
  void failWithNonStandard(const std::string& name) { failures_[name] = std::nullopt; }

  const std::vector<Call>& calls() const { return calls_; }
  std::vector<std::string> names() const override;
  std::size_t size() const override { return values_.size(); }
  bool has(const std::string& name) const override { return values_.count(name) != 0; }
  bool remove(const std::string& name) override { return values_.erase(name) != 0; }

#define MEMORY_DATA_OBJECT_OVERRIDES(Scalar, Element)                                            \
  Scalar readScalar(const std::string& name, As<Scalar>) const override {                        \
    return readValue<Scalar, Scalar>("readScalar", name);                                        \
  }                                                                                              \
  Array<Element> readArray(const std::string& name, As<Scalar>) const override {                 \
    return readValue<Array<Element>, Element>("readArray", name);                                \
  }                                                                                              \
  void writeScalar(const std::string& name, In<Scalar> value) override {                         \
    enter("writeScalar", name, typeid(Scalar), 1, value == Scalar());                            \
    values_[name] = Scalar(value);                                                               \
  }                                                                                              \
  void writeArray(const std::string& name, const Array<Element>& values) override {              \
    enter("writeArray", name, typeid(Element), values ? values->size() : 0, allDefault(values)); \
    values_[name] = values;                                                                      \
  }                                                                                              \
  void writeArrayCopy(const std::string& name, const std::vector<Element>& values) override {    \
    writeArray(name, std::make_shared<std::vector<Element>>(values));                            \
  }
  DATA_OBJECT_VALUE_TYPES(MEMORY_DATA_OBJECT_OVERRIDES)
#undef MEMORY_DATA_OBJECT_OVERRIDES

 private:
  // Logs the call, then raises what was asked for `name`.
  void enter(const char* operation, const std::string& name, std::type_index type,
             std::size_t count = 0, bool allDefault = false) const;

  template <typename Element>
  static bool allDefault(const Array<Element>& values) {
    if (!values)
      return true;
    for (const Element& value : *values) {
      if (!(value == Element()))
        return false;
    }
    return true;
  }

  // An absent scalar is an error, an absent array an empty handle.
  template <typename Value, typename Logged>
  Value readValue(const char* operation, const std::string& name) const {
    enter(operation, name, typeid(Logged));
    const auto found = values_.find(name);
    if (found == values_.end()) {
      if constexpr (std::is_same_v<Value, Array<Logged>>) {
        return nullptr;
      } else {
        throw std::out_of_range("no value named '" + name + "'");
      }
    }
    const Value* held = std::any_cast<Value>(&found->second);
    if (held == nullptr)
      throw std::invalid_argument("'" + name + "' holds another type");
    return *held;
  }

  std::map<std::string, std::any> values_;
  std::map<std::string, std::optional<std::string>> failures_;  // none: NonStandardError
  mutable std::vector<Call> calls_;
};
