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
  std::string_view configWord;   // its word in a config file; "" for a code without one
  std::string_view dsWord;       // the library's own word, e.g. "int16"
  std::string_view scalarLabel;  // e.g. "int16 scalar"
  std::string_view arrayLabel;   // e.g. "int16 array"
};

// The words of each value type, indexed by code.
inline constexpr ValueTypeWords kValueTypeWords[] = {
    {"boolean", "bool", "bool scalar", "bool array"},
    {"byte", "int8", "int8 scalar", "int8 array"},
    {"short", "int16", "int16 scalar", "int16 array"},
    {"long", "int32", "int32 scalar", "int32 array"},
    {"longlong", "int64", "int64 scalar", "int64 array"},
    {"", "uint8", "uint8 scalar", "uint8 array"},
    {"", "uint16", "uint16 scalar", "uint16 array"},
    {"", "uint32", "uint32 scalar", "uint32 array"},
    {"", "uint64", "uint64 scalar", "uint64 array"},
    {"float", "float", "float scalar", "float array"},
    {"double", "double", "double scalar", "double array"},
    {"string", "string", "string scalar", "string array"},
};

// The name of a code that has no word.
inline constexpr std::string_view kNoWord = "unknown ???";

// The words of a code outside the table.
inline constexpr ValueTypeWords kUnknownValueTypeWords = {kNoWord, kNoWord, kNoWord, kNoWord};

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
