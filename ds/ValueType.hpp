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

// What a value type is called: in a config file, and by the conversion library in its messages.
struct ValueTypeWords {
  std::string_view configWord;  // its word in a config file; "" for a code without one
  std::string_view dsWord;      // the library's own word, e.g. "int16"
};

// The words of each value type, indexed by code.
inline constexpr ValueTypeWords kValueTypeWords[] = {
    {"boolean", "bool"},   {"byte", "int8"},   {"short", "int16"},   {"long", "int32"},
    {"longlong", "int64"}, {"", "uint8"},      {"", "uint16"},       {"", "uint32"},
    {"", "uint64"},        {"float", "float"}, {"double", "double"}, {"string", "string"},
};

// The name of a code that has no word.
inline constexpr std::string_view kNoWord = "unknown ???";

// The words of a code outside the table.
inline constexpr ValueTypeWords kUnknownValueTypeWords = {kNoWord, kNoWord};

// The words of `type`; kUnknownValueTypeWords for a code outside the table.
constexpr const ValueTypeWords& valueTypeWords(ValueType type) {
  const auto code = static_cast<std::int32_t>(type);
  return code >= 0 && code < static_cast<std::int32_t>(std::size(kValueTypeWords))
             ? kValueTypeWords[code]
             : kUnknownValueTypeWords;
}

// The word of `type` in a config file, or kNoWord.
constexpr std::string_view valueTypeWord(ValueType type) {
  const std::string_view word = valueTypeWords(type).configWord;
  return word.empty() ? kNoWord : word;
}

}  // namespace trel::quorlinsrv
