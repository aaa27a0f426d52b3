// The host's container variables: dyn (a list with one element type), mapping, anytype.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/ScalarVars.hpp"
#include "host/Variable.hpp"

// A list of variables of one element type. Slots may be null (an element that was never set).
// Its own `isA()` is the dyn code of the element type (dyn_string for TEXT_VAR, ...).
class HOST_API DynVar : public Variable {
 public:
  explicit DynVar(VariableType elementType = NO_VAR) : elementType_(elementType) {}
  DynVar(const DynVar& other);
  ~DynVar() override;
  HOST_VARIABLE_OVERRIDES(DynVar)

  VariableType getElementType() const { return elementType_; }
  // Sets the element type of the list directly; the elements are not converted.
  void setElementType(VariableType elementType) { elementType_ = elementType; }

  void clear() { items_.clear(); }
  void reserve(std::size_t count) { items_.reserve(count); }
  // Appends `item` (may be null) and takes ownership of it.
  void append(Variable* item) { items_.emplace_back(item); }
  // Appends a copy of `item`.
  void append(const Variable& item) { items_.emplace_back(item.clone()); }

  unsigned getNumberOfItems() const { return static_cast<unsigned>(items_.size()); }
  // The element at 0-based `index`; null when the slot is empty or the index is out of range.
  Variable* getAt(std::size_t index) const {
    return index < items_.size() ? items_[index].get() : nullptr;
  }

 private:
  VariableType elementType_;
  std::vector<std::unique_ptr<Variable>> items_;  // owned; null for a slot never set
};

// A mapping from key variables to value variables that keeps the order of insertion.
class HOST_API MappingVar : public Variable {
 public:
  MappingVar() = default;
  MappingVar(const MappingVar& other);
  ~MappingVar() override;
  HOST_VARIABLE_OVERRIDES(MappingVar)

  void clear() { entries_.clear(); }
  // Takes ownership of `key` and `value`. An existing entry with an equal key (same type, same
  // value) gets the new value and keeps its place.
  void setAt(Variable* key, Variable* value);

  unsigned getNumberOfItems() const { return static_cast<unsigned>(entries_.size()); }
  // Key and value of the entry at 0-based `index` in insertion order; null when out of range.
  const Variable* getKey(std::size_t index) const;
  Variable* getValue(std::size_t index) const;
  // The value stored under a key equal to `key`, or null.
  Variable* getAt(const Variable& key) const;
  // The value stored under the text key `key`, or null.
  Variable* getAt(const char* key) const;

 private:
  std::vector<std::pair<std::unique_ptr<Variable>, std::unique_ptr<Variable>>> entries_;
};

// A variable that holds a value of any type (or none).
class HOST_API AnyTypeVar : public Variable {
 public:
  AnyTypeVar() = default;
  // Takes ownership of `value` (may be null).
  explicit AnyTypeVar(Variable* value) : value_(value) {}
  AnyTypeVar(const AnyTypeVar& other);
  ~AnyTypeVar() override;
  HOST_VARIABLE_OVERRIDES(AnyTypeVar)

  // Replaces the value held; takes ownership of `value`.
  void setVar(Variable* value) { value_.reset(value); }
  Variable* getVar() const { return value_.get(); }

 private:
  std::unique_ptr<Variable> value_;
};
