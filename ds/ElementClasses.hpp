// The host element classes that the converters serve, and the combinations they serve them in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <utility>

#include "ds/ValueTypes.hpp"
#include "host/DpTypes.hpp"
#include "host/Variables.hpp"

namespace ds {

// A set of value types, bit i standing for code i.
using ValueTypeSet = std::uint32_t;

inline constexpr ValueTypeSet kEveryValueType = (ValueTypeSet{1} << kValueTypeCount) - 1;

template <typename... Types>
constexpr ValueTypeSet valueTypeSet(Types... types) {
  return ((ValueTypeSet{1} << code(types)) | ... | ValueTypeSet{0});
}

// One host element class: the Variable class, the element type codes of a scalar of that class
// and of a DynVar of it, the class's own variable type code, and the value types it is served for.
template <typename Var, DpElementType kScalar, DpElementType kArray, VariableType kType,
          ValueTypeSet kServed>
struct ElementClass {
  using Variable = Var;
  static constexpr DpElementType scalarCode = kScalar;
  static constexpr DpElementType arrayCode = kArray;
  static constexpr VariableType variableType = kType;
  static constexpr ValueTypeSet servedValueTypes = kServed;
};

// The one table of the library: every element class it serves. Each row serves its value types
// both as a scalar element and as a DynVar element; the setter and getter families and both
// registries are generated from it.
using ElementClasses = std::tuple<
    ElementClass<CharVar, DPELEMENT_CHAR, DPELEMENT_DYNCHAR, CHAR_VAR, kEveryValueType>,
    ElementClass<UIntegerVar, DPELEMENT_UINT, DPELEMENT_DYNUINT, UINTEGER_VAR, kEveryValueType>,
    ElementClass<IntegerVar, DPELEMENT_INT, DPELEMENT_DYNINT, INTEGER_VAR, kEveryValueType>,
    ElementClass<FloatVar, DPELEMENT_FLOAT, DPELEMENT_DYNFLOAT, FLOAT_VAR, kEveryValueType>,
    ElementClass<BitVar, DPELEMENT_BIT, DPELEMENT_DYNBIT, BIT_VAR, kEveryValueType>,
    ElementClass<Bit32Var, DPELEMENT_32BIT, DPELEMENT_DYN32BIT, BIT32_VAR, kEveryValueType>,
    ElementClass<TextVar, DPELEMENT_TEXT, DPELEMENT_DYNTEXT, TEXT_VAR, kEveryValueType>,
    // A time stamp is carried as a count (uint64) or a number of seconds (double) only.
    ElementClass<TimeVar, DPELEMENT_TIME, DPELEMENT_DYNTIME, TIME_VAR,
                 valueTypeSet(ValueType::UInt64, ValueType::Double)>,
    ElementClass<Bit64Var, DPELEMENT_64BIT, DPELEMENT_DYN64BIT, BIT64_VAR, kEveryValueType>,
    ElementClass<LongVar, DPELEMENT_LONG, DPELEMENT_DYNLONG, LONG_VAR, kEveryValueType>,
    ElementClass<ULongVar, DPELEMENT_ULONG, DPELEMENT_DYNULONG, ULONG_VAR, kEveryValueType>>;

inline constexpr std::size_t kElementClassCount = std::tuple_size_v<ElementClasses>;

template <std::size_t I>
using ElementClassAt = std::tuple_element_t<I, ElementClasses>;

// One supported combination: an element class (index into ElementClasses), a value type, and
// whether the element is a DynVar of the class.
struct Combination {
  std::size_t elementClass;
  DpElementType dpeType;
  ValueType valueType;
  bool isArray;
};

namespace detail {

struct ClassCodes {
  DpElementType scalarCode;
  DpElementType arrayCode;
  ValueTypeSet served;
};

template <std::size_t... I>
constexpr std::array<ClassCodes, kElementClassCount> classCodes(std::index_sequence<I...>) {
  return {{{ElementClassAt<I>::scalarCode, ElementClassAt<I>::arrayCode,
            ElementClassAt<I>::servedValueTypes}...}};
}

inline constexpr auto kClassCodes = classCodes(std::make_index_sequence<kElementClassCount>());

constexpr std::size_t countCombinations() {
  std::size_t count = 0;
  for (const ClassCodes& row : kClassCodes) {
    for (std::int32_t type = 0; type < kValueTypeCount; ++type) {
      if ((row.served >> type) & 1U)
        count += 2;  // scalar and array
    }
  }
  return count;
}

}  // namespace detail

inline constexpr std::size_t kCombinationCount = detail::countCombinations();

// Every supported combination, ordered by element class, then value type, scalar before array.
inline constexpr std::array<Combination, kCombinationCount> kCombinations = [] {
  std::array<Combination, kCombinationCount> list{};
  std::size_t next = 0;
  for (std::size_t index = 0; index < kElementClassCount; ++index) {
    const detail::ClassCodes& row = detail::kClassCodes[index];
    for (std::int32_t type = 0; type < kValueTypeCount; ++type) {
      if (((row.served >> type) & 1U) == 0)
        continue;
      list[next++] = {index, row.scalarCode, static_cast<ValueType>(type), false};
      list[next++] = {index, row.arrayCode, static_cast<ValueType>(type), true};
    }
  }
  return list;
}();

}  // namespace ds
