// The library's twelve value types: their C++ types in the data container and their words.
#pragma once

#include <cstdint>
#include <iterator>
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

static_assert(std::size(trel::quorlinsrv::kValueTypeWords) == kValueTypeCount);

// What converter messages call a value type; "unknown ???" for a code outside 0 to 11.
constexpr std::string_view dsWord(ValueType type) {
  return trel::quorlinsrv::valueTypeWords(type).dsWord;
}

}  // namespace ds
