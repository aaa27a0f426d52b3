// The three closed vocabularies of a config file (data types, directions, time types), their
// words and codes, and the shared word constants of the file syntax.
//
// Everything here is built by static initialisation when the module is loaded and is read-only
// afterwards, so any thread may call these functions without locking. Do not call them from the
// static initialisation of another source file: its order relative to this one is unspecified.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/MessageForm.hpp"
#include "ds/ValueType.hpp"

namespace trel::quorlinsrv {

// Which way a property's data flows between the host's element and the server's clients.
// InOut and Out have an outgoing side, InOut and In an incoming one.
enum class Direction : std::int32_t {
  InOut = 0,  // "in/out"
  Out = 1,    // "out"
  In = 2,     // "in"
};

// How a property's time stamp is represented.
enum class TimeType : std::int32_t {
  None = 0,          // "none"
  Double = 1,        // "double"
  LongLong = 2,      // "longlong"
  LongLongNano = 3,  // "longlongnano"
};

// The name of a code that has no word: "unknown ???".
extern const std::string kUnknownName;
// The word between device name and class name in a section header: "_instance_of_".
extern const std::string kClassIntroducer;
// The separator between key and value in an attribute line: "=".
extern const std::string kKeyValueSeparator;

// The messages of a word that a vocabulary does not hold.
inline constexpr MessageForm<1> kUnknownValueType{{"unknown data type '", "'"}};
inline constexpr MessageForm<1> kUnknownDirection{{"unknown direction '", "'"}};
inline constexpr MessageForm<1> kUnknownTimeType{{"unknown time type '", "'"}};

// Word to code, by exact byte-wise comparison (nothing trimmed or folded). On success stores the
// code and leaves `error` untouched; otherwise leaves `code` untouched, replaces `error` by
// the vocabulary's unknown-word message and returns false.
bool parseValueType(std::string_view word, ValueType& code, std::string& error);
bool parseDirection(std::string_view word, Direction& code, std::string& error);
bool parseTimeType(std::string_view word, TimeType& code, std::string& error);

// Code to word; kUnknownName for a code without a word. The reference lives as long as the module.
const std::string& valueTypeName(ValueType code);
const std::string& directionName(Direction code);
const std::string& timeTypeName(TimeType code);

// Every word of a vocabulary in ascending order of its code; a new list on every call.
std::vector<std::string> valueTypeNames();
std::vector<std::string> directionNames();
std::vector<std::string> timeTypeNames();

}  // namespace trel::quorlinsrv
