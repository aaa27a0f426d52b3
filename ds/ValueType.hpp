// The data type of a value: a word of a config file's vocabulary, and the value-type key of the
// converter registries.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

namespace trel::quorlinsrv {

// The data type of a property's value; also the value-type key of the converter registries.
// Codes 5 to 8 are the unsigned types of the conversion library and have no word in a config
// file. Any 32-bit code may be stored.
enum class ValueType : std::int32_t {
  Bool = 0,     // "boolean"
  Int8 = 1,     // "byte"
  Int16 = 2,    // "short"
  Int32 = 3,    // "long"
  Int64 = 4,    // "longlong"
  UInt8 = 5,    // no word
  UInt16 = 6,   // no word
  UInt32 = 7,   // no word
  UInt64 = 8,   // no word
  Float = 9,    // "float"
  Double = 10,  // "double"
  String = 11,  // "string"
};

// The word of each value type in a config file, indexed by code; "" for a code without one.
inline constexpr std::string_view kValueTypeWords[] = {
    "boolean", "byte", "short", "long", "longlong", "", "", "", "", "float", "double", "string"};

// The name of a code that has no word.
inline constexpr std::string_view kNoWord = "unknown ???";

// The word of `type` in a config file, or kNoWord.
constexpr std::string_view valueTypeWord(ValueType type) {
  const auto code = static_cast<std::int32_t>(type);
  if (code < 0 || code >= static_cast<std::int32_t>(std::size(kValueTypeWords)) ||
      kValueTypeWords[code].empty()) {
    return kNoWord;
  }
  return kValueTypeWords[code];
}

}  // namespace trel::quorlinsrv
