// What the converter tests expect, stated on its own: the host element classes with their codes
// and names, the value types with their words and C++ types, and which combinations are served.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ds/BoolWrapper.hpp"
#include "host/Variables.hpp"

namespace rules {

struct HostClass {
  int scalarCode;        // element type of a scalar of the class
  int arrayCode;         // element type of a dyn of the class
  std::string typeName;  // the host's name of the class's type
  VariableType variableType;
  Variable* (*make)();  // a new instance, owned by the caller
  bool timeOnly;        // served for uint64 and double only
};

template <typename Class>
Variable* makeInstance() {
  return new Class();
}

inline const std::vector<HostClass> kHostClasses = {
    {19, 3, "char", CHAR_VAR, makeInstance<CharVar>, false},
    {20, 4, "uint", UINTEGER_VAR, makeInstance<UIntegerVar>, false},
    {21, 5, "int", INTEGER_VAR, makeInstance<IntegerVar>, false},
    {22, 6, "float", FLOAT_VAR, makeInstance<FloatVar>, false},
    {23, 7, "bool", BIT_VAR, makeInstance<BitVar>, false},
    {24, 8, "bit32", BIT32_VAR, makeInstance<Bit32Var>, false},
    {25, 9, "string", TEXT_VAR, makeInstance<TextVar>, false},
    {26, 10, "time", TIME_VAR, makeInstance<TimeVar>, true},
    {50, 51, "bit64", BIT64_VAR, makeInstance<Bit64Var>, false},
    {54, 55, "long", LONG_VAR, makeInstance<LongVar>, false},
    {58, 59, "ulong", ULONG_VAR, makeInstance<ULongVar>, false},
};

inline constexpr int kUInt64 = 8;
inline constexpr int kDouble = 10;
inline constexpr int kString = 11;

// Words of the value types 0 to 11: in a config file (none for 5 to 8) and in converter messages.
inline const char* const kConfigWords[] = {"boolean",  "byte",  "short",  "long",
                                           "longlong", nullptr, nullptr,  nullptr,
                                           nullptr,    "float", "double", "string"};
inline const char* const kLibraryWords[] = {"bool",   "int8",  "int16",  "int32",
                                            "int64",  "uint8", "uint16", "uint32",
                                            "uint64", "float", "double", "string"};

inline std::string configWord(std::int64_t valueType) {
  const bool named = valueType >= 0 && valueType < 12 && kConfigWords[valueType] != nullptr;
  return named ? kConfigWords[valueType] : "unknown ???";
}

// The host's name of every element type; "unknown" for the others.
inline std::string elementTypeName(int code) {
  static const std::map<int, std::string> names = {
      {1, "struct"},     {19, "char"},     {20, "uint"},      {21, "int"},       {22, "float"},
      {23, "bool"},      {24, "bit32"},    {25, "string"},    {26, "time"},      {50, "bit64"},
      {54, "long"},      {58, "ulong"},    {3, "dyn_char"},   {4, "dyn_uint"},   {5, "dyn_int"},
      {6, "dyn_float"},  {7, "dyn_bool"},  {8, "dyn_bit32"},  {9, "dyn_string"}, {10, "dyn_time"},
      {51, "dyn_bit64"}, {55, "dyn_long"}, {59, "dyn_ulong"}, {41, "typeref"}};
  const auto found = names.find(code);
  return found != names.end() ? found->second : "unknown";
}

// Every listed element class but time is served for every value type, its scalar code as a
// scalar and its dyn code as an array; time only for uint64 and double.
inline const HostClass* servingClass(int dpeType, int valueType, std::int64_t arrayness) {
  if (valueType < 0 || valueType > 11 || (arrayness != 0 && arrayness != 1))
    return nullptr;
  for (const HostClass& hostClass : kHostClasses) {
    if ((arrayness == 0 ? hostClass.scalarCode : hostClass.arrayCode) != dpeType)
      continue;
    const bool timeValue = valueType == kUInt64 || valueType == kDouble;
    return !hostClass.timeOnly || timeValue ? &hostClass : nullptr;
  }
  return nullptr;
}

struct Combination {
  const HostClass* hostClass;
  int valueType;
  bool isArray;
  int dpeType() const { return isArray ? hostClass->arrayCode : hostClass->scalarCode; }
  std::string describe() const {
    return hostClass->typeName + (isArray ? " array" : " scalar") + ", value type " +
           std::to_string(valueType);
  }
};

inline std::vector<Combination> servedCombinations() {
  std::vector<Combination> list;
  for (const HostClass& hostClass : kHostClasses) {
    for (int valueType = 0; valueType < 12; ++valueType) {
      for (bool isArray : {false, true}) {
        if (servingClass(isArray ? hostClass.arrayCode : hostClass.scalarCode, valueType,
                         isArray) != nullptr) {
          list.push_back({&hostClass, valueType, isArray});
        }
      }
    }
  }
  return list;
}

// The C++ types of the value types 0 to 11: the scalar and the array element.
template <typename S, typename E>
struct Types {
  using Scalar = S;
  using Element = E;
};
using ValueTypeList =
    std::tuple<Types<bool, ds::BoolWrapper>, Types<std::int8_t, std::int8_t>,
               Types<std::int16_t, std::int16_t>, Types<std::int32_t, std::int32_t>,
               Types<std::int64_t, std::int64_t>, Types<std::uint8_t, std::uint8_t>,
               Types<std::uint16_t, std::uint16_t>, Types<std::uint32_t, std::uint32_t>,
               Types<std::uint64_t, std::uint64_t>, Types<float, float>, Types<double, double>,
               Types<std::string, std::string>>;

// Calls `visit(Types<...>())` with the types of `valueType` (0 to 11).
template <typename Visit, std::size_t... I>
void withValueType(int valueType, Visit&& visit, std::index_sequence<I...>) {
  ((valueType == static_cast<int>(I) ? visit(std::tuple_element_t<I, ValueTypeList>()) : void()),
   ...);
}
template <typename Visit>
void withValueType(int valueType, Visit&& visit) {
  withValueType(valueType, visit, std::make_index_sequence<std::tuple_size_v<ValueTypeList>>());
}

}  // namespace rules
