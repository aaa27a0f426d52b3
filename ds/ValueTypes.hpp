// The library's twelve value types: their C++ types in the data container and their words.
#pragma once

#include <cstdint>
#include <string_view>
#include <tuple>
#include <utility>

#include "ds/DataObject.hpp"
#include "ds/ValueType.hpp"

namespace ds {

using ValueType = trel::quorlinsrv::ValueType;

// Value types are the codes 0 to kValueTypeCount - 1.
inline constexpr std::int32_t kValueTypeCount = 12;

constexpr std::int32_t code(ValueType type) {
  return static_cast<std::int32_t>(type);
}

namespace detail {
#define DS_SCALAR_TYPE_OF(Scalar, Element) Scalar,
// The container's scalar types indexed by value type code; the trailing void ends the list.
using ScalarTypes = std::tuple<DATA_OBJECT_VALUE_TYPES(DS_SCALAR_TYPE_OF) void>;
#undef DS_SCALAR_TYPE_OF
static_assert(std::tuple_size_v<ScalarTypes> == kValueTypeCount + 1);
}  // namespace detail

// The C++ type of a scalar of value type V.
template <ValueType V>
using ScalarOf = std::tuple_element_t<code(V), detail::ScalarTypes>;

// The shared vector handle in which an array of value type V travels.
template <ValueType V>
using ArrayOf = decltype(std::declval<const DataObject&>().readArray(
    std::declval<const std::string&>(), DataObject::As<ScalarOf<V>>()));

// The type of one element of an array of value type V.
template <ValueType V>
using ElementOf = typename ArrayOf<V>::element_type::value_type;

// What converter messages call a value type.
struct ValueTypeWords {
  std::string_view word;         // the library's own word, e.g. "int16"
  std::string_view scalarLabel;  // e.g. "int16 scalar"
  std::string_view arrayLabel;   // e.g. "int16 array"
};

// Indexed by value type code.
inline constexpr ValueTypeWords kValueTypeWords[kValueTypeCount] = {
    {"bool", "bool scalar", "bool array"},       {"int8", "int8 scalar", "int8 array"},
    {"int16", "int16 scalar", "int16 array"},    {"int32", "int32 scalar", "int32 array"},
    {"int64", "int64 scalar", "int64 array"},    {"uint8", "uint8 scalar", "uint8 array"},
    {"uint16", "uint16 scalar", "uint16 array"}, {"uint32", "uint32 scalar", "uint32 array"},
    {"uint64", "uint64 scalar", "uint64 array"}, {"float", "float scalar", "float array"},
    {"double", "double scalar", "double array"}, {"string", "string scalar", "string array"},
};

inline constexpr std::string_view kNoWord = trel::quorlinsrv::kNoWord;
inline constexpr ValueTypeWords kUnknownValueTypeWords = {kNoWord, kNoWord, kNoWord};

// The words of `type`; kUnknownValueTypeWords for a code outside 0 to 11.
constexpr const ValueTypeWords& wordsOf(ValueType type) {
  return code(type) >= 0 && code(type) < kValueTypeCount ? kValueTypeWords[code(type)]
                                                         : kUnknownValueTypeWords;
}

constexpr std::string_view dsWord(ValueType type) {
  return wordsOf(type).word;
}
constexpr std::string_view scalarLabel(ValueType type) {
  return wordsOf(type).scalarLabel;
}
constexpr std::string_view arrayLabel(ValueType type) {
  return wordsOf(type).arrayLabel;
}

}  // namespace ds
