// The converter function types and the two registries that index the setters and getters.
//
// Both registries are complete when first used, even from the static initialisation of another
// file, and they never change afterwards, so any thread may look converters up at any time
// without locking. A miss message names the data type by its word in a config file (valueTypeWord).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "ds/DataObject.hpp"
#include "ds/ValueTypes.hpp"
#include "host/DpTypes.hpp"
#include "host/Variable.hpp"

namespace ds {

// Stores `value` (not null) under `name` in the object that `out` holds (not null). True when
// stored; otherwise `error` is replaced by the reason.
using SetterFn = bool (*)(Variable* value, std::shared_ptr<DataObject>& out,
                          const std::string& name, std::string& error);

// Reads the value under `name` from `in` and returns a new host Variable for it, or an empty
// handle. `error` is replaced only when the read itself failed.
using GetterFn = std::shared_ptr<Variable> (*)(DataObject& in, const std::string& name,
                                               std::string& error);

struct SetterKey {
  DpElementType dpeType;
  ValueType valueType;
  std::int64_t isArray;  // 0 scalar, 1 array
};

struct GetterKey {
  ValueType valueType;
  std::int64_t dimensions;  // 0 scalar, 1 one-dimensional array
  DpElementType dpeType;
};

// Field by field in declaration order, every field compared as a signed number.
bool operator<(const SetterKey& a, const SetterKey& b);
bool operator<(const GetterKey& a, const GetterKey& b);

// One entry per supported combination of element type, value type and array-ness; nothing else.
const std::map<SetterKey, SetterFn>& setterRegistry();
const std::map<GetterKey, GetterFn>& getterRegistry();

// The setter registered for (dpeType, valueType, isArray), or null. On a miss `error` is replaced
// by "conversion from <element type> to scalar|array of <data type> is not implemented"; on a hit
// it is left as it was.
SetterFn findSetter(DpElementType dpeType, const ValueType& valueType, int isArray,
                    std::string& error);

// The getter registered for (valueType, dimensions, dpeType), or null. On a miss `error` is
// replaced by "conversion from scalar|<n>-dimensional array of <data type> to <element type> is
// not implemented"; on a hit it is left as it was.
GetterFn findGetter(const ValueType& valueType, std::int64_t dimensions, DpElementType dpeType,
                    std::string& error);

}  // namespace ds
