#include "host/ScalarVars.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <sstream>
#include <type_traits>

#include "host/ContainerVars.hpp"
#include "host/TypeTable.hpp"
#include "host/VariableConversion.hpp"

namespace host_detail {

const Variable& unwrapAnyType(const Variable& v) {
  const Variable* current = &v;
  while (const auto* any = dynamic_cast<const AnyTypeVar*>(current)) {
    if (any->getVar() == nullptr)
      break;
    current = any->getVar();
  }
  return *current;
}

// The scalars are the types that are element types too, but for the dyns.
bool isScalar(const Variable& v) {
  const TypeRow* row = rowOf(v.isA());
  return row != nullptr && row->element != DPELEMENT_NOELEMENT &&
         DpElType::isDynType(row->element) == 0;
}

namespace {

long double numeric(Bit32 pattern) {
  return pattern.bits;
}
template <typename T>
long double numeric(T value) {
  return value;
}

// True, with the value in `out`, when `v` is of one of the scalar `Classes`.
template <typename... Classes>
bool numberIn(const Variable& v, long double& out) {
  auto read = [&](auto* scalar) {
    if (scalar != nullptr)
      out = numeric(scalar->getValue());
    return scalar != nullptr;
  };
  return (read(dynamic_cast<const Classes*>(&v)) || ...);
}

}  // namespace

bool numberOf(const Variable& source, long double& out) {
  const Variable& v = unwrapAnyType(source);
  if (const auto* text = dynamic_cast<const TextVar*>(&v)) {
    // Like the script engine: the leading number of the text, 0 when there is none.
    const char* begin = text->getValue().c_str();
    char* end = nullptr;
    out = std::strtold(begin, &end);
    if (end == begin || !std::isfinite(out))
      out = 0;
    return true;
  }
  return numberIn<IntegerVar, UIntegerVar, LongVar, ULongVar, FloatVar, BitVar, CharVar, Bit32Var,
                  Bit64Var, TimeVar>(v, out);
}

}  // namespace host_detail

namespace {

using host_detail::numberOf;

// `n` converted to the integer type T, truncated toward zero and clamped to T's range.
template <typename T>
T clampTo(long double n) {
  if (std::isnan(n))
    return T(0);
  if (n <= static_cast<long double>(std::numeric_limits<T>::lowest())) {
    return std::numeric_limits<T>::lowest();
  }
  if (n >= static_cast<long double>(std::numeric_limits<T>::max())) {
    return std::numeric_limits<T>::max();
  }
  return static_cast<T>(n);
}

template <typename T>
std::string bitsText(T bits) {
  std::string text(sizeof(T) * 8, '0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((bits >> (text.size() - 1 - i)) & 1u)
      text[i] = '1';
  }
  return text;
}

// Assigns a number into a scalar: integers and bit patterns truncated and clamped to their range.
template <typename Class>
bool assignNumber(Class& target, const Variable& source) {
  using T = decltype(target.getValue());
  long double n = 0;
  if (!numberOf(source, n))
    return false;
  if constexpr (std::is_floating_point_v<T>) {
    target.setValue(static_cast<T>(n));
  } else if constexpr (std::is_same_v<T, Bit32>) {
    target.setValue(Bit32{clampTo<std::uint32_t>(n)});
  } else {
    target.setValue(clampTo<T>(n));
  }
  return true;
}

std::string floatText(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

std::string timeText(std::int64_t ms) {
  std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  long millis = static_cast<long>(ms % 1000);
  if (millis < 0) {
    millis += 1000;
    seconds -= 1;
  }
  std::tm parts{};
#ifdef _WIN32
  gmtime_s(&parts, &seconds);
#else
  gmtime_r(&seconds, &parts);
#endif
  char text[64];
  std::snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d:%02d.%03ld", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, millis);
  return text;
}

}  // namespace

// A scalar class that takes any number and prints its value as the expression `Text`.
#define HOST_DEFINE_NUMBER(Class, Code, Text)  \
  HOST_DEFINE_VARIABLE_COMMON(Class, Code)     \
  bool Class::assign(const Variable& source) { \
    return assignNumber(*this, source);        \
  }                                            \
  std::string Class::formatValue() const {     \
    return Text;                               \
  }

HOST_DEFINE_NUMBER(IntegerVar, INTEGER_VAR, std::to_string(value_))
HOST_DEFINE_NUMBER(UIntegerVar, UINTEGER_VAR, std::to_string(value_))
HOST_DEFINE_NUMBER(LongVar, LONG_VAR, std::to_string(value_))
HOST_DEFINE_NUMBER(ULongVar, ULONG_VAR, std::to_string(value_))
HOST_DEFINE_NUMBER(CharVar, CHAR_VAR, std::to_string(value_))
HOST_DEFINE_NUMBER(FloatVar, FLOAT_VAR, floatText(value_))
HOST_DEFINE_NUMBER(Bit32Var, BIT32_VAR, bitsText(value_.bits))
HOST_DEFINE_NUMBER(Bit64Var, BIT64_VAR, bitsText(value_))
HOST_DEFINE_NUMBER(TimeVar, TIME_VAR, timeText(value_))

HOST_DEFINE_VARIABLE_COMMON(TextVar, TEXT_VAR)
bool TextVar::assign(const Variable& source) {
  const Variable& v = host_detail::unwrapAnyType(source);
  if (!host_detail::isScalar(v))
    return false;
  if (&v != this)
    value_ = CharString(v.formatValue());
  return true;
}
std::string TextVar::formatValue() const {
  return value_.str();
}

HOST_DEFINE_VARIABLE_COMMON(BitVar, BIT_VAR)
bool BitVar::assign(const Variable& source) {
  const Variable& v = host_detail::unwrapAnyType(source);
  if (const auto* text = dynamic_cast<const TextVar*>(&v)) {
    const std::string& word = text->getValue().str();
    if (word == "TRUE" || word == "true")
      return value_ = true, true;
    if (word == "FALSE" || word == "false")
      return value_ = false, true;
  }
  long double n = 0;
  if (!numberOf(v, n))
    return false;
  value_ = n != 0;
  return true;
}
std::string BitVar::formatValue() const {
  return value_ ? "TRUE" : "FALSE";
}
