#include "host/ScalarVars.hpp"

#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <sstream>

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
  if (const auto* x = dynamic_cast<const IntegerVar*>(&v))
    return out = x->getValue(), true;
  if (const auto* x = dynamic_cast<const UIntegerVar*>(&v))
    return out = x->getValue(), true;
  if (const auto* x = dynamic_cast<const LongVar*>(&v))
    return out = x->getValue(), true;
  if (const auto* x = dynamic_cast<const ULongVar*>(&v))
    return out = x->getValue(), true;
  if (const auto* x = dynamic_cast<const FloatVar*>(&v))
    return out = x->getValue(), true;
  if (const auto* x = dynamic_cast<const BitVar*>(&v))
    return out = x->getValue() ? 1 : 0, true;
  if (const auto* x = dynamic_cast<const CharVar*>(&v))
    return out = x->getValue(), true;
  if (const auto* x = dynamic_cast<const Bit32Var*>(&v))
    return out = x->getValue().bits, true;
  if (const auto* x = dynamic_cast<const Bit64Var*>(&v))
    return out = x->getValue(), true;
  if (const auto* x = dynamic_cast<const TimeVar*>(&v))
    return out = x->getValue(), true;
  return false;
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

// Assigns a number into a scalar whose value type is T (integers are clamped).
template <typename Class, typename T>
bool assignNumber(Class& target, const Variable& source) {
  long double n = 0;
  if (!numberOf(source, n))
    return false;
  if constexpr (std::is_floating_point_v<T>) {
    target.setValue(static_cast<T>(n));
  } else {
    target.setValue(clampTo<T>(n));
  }
  return true;
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

// The operations every concrete scalar class shares.
#define HOST_DEFINE_SCALAR_COMMON(Class, Code) \
  Class::~Class() = default;                   \
  VariableType Class::isA() const {            \
    return Code;                               \
  }                                            \
  Variable* Class::clone() const {             \
    return new Class(*this);                   \
  }

// A scalar class that takes any number and prints its value in decimal.
#define HOST_DEFINE_NUMBER(Class, Code, T)        \
  HOST_DEFINE_SCALAR_COMMON(Class, Code)          \
  bool Class::assign(const Variable& source) {    \
    return assignNumber<Class, T>(*this, source); \
  }                                               \
  std::string Class::formatValue() const {        \
    return std::to_string(value_);                \
  }

HOST_DEFINE_NUMBER(IntegerVar, INTEGER_VAR, std::int32_t)
HOST_DEFINE_NUMBER(UIntegerVar, UINTEGER_VAR, std::uint32_t)
HOST_DEFINE_NUMBER(LongVar, LONG_VAR, std::int64_t)
HOST_DEFINE_NUMBER(ULongVar, ULONG_VAR, std::uint64_t)

HOST_DEFINE_SCALAR_COMMON(TextVar, TEXT_VAR)
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

HOST_DEFINE_SCALAR_COMMON(FloatVar, FLOAT_VAR)
bool FloatVar::assign(const Variable& source) {
  return assignNumber<FloatVar, double>(*this, source);
}
std::string FloatVar::formatValue() const {
  std::ostringstream text;
  text << value_;
  return text.str();
}

HOST_DEFINE_SCALAR_COMMON(CharVar, CHAR_VAR)
bool CharVar::assign(const Variable& source) {
  return assignNumber<CharVar, unsigned char>(*this, source);
}
std::string CharVar::formatValue() const {
  return std::to_string(static_cast<unsigned>(value_));
}

HOST_DEFINE_SCALAR_COMMON(Bit64Var, BIT64_VAR)
bool Bit64Var::assign(const Variable& source) {
  return assignNumber<Bit64Var, std::uint64_t>(*this, source);
}
std::string Bit64Var::formatValue() const {
  return bitsText(value_);
}

HOST_DEFINE_SCALAR_COMMON(TimeVar, TIME_VAR)
bool TimeVar::assign(const Variable& source) {
  return assignNumber<TimeVar, std::int64_t>(*this, source);
}
std::string TimeVar::formatValue() const {
  return timeText(value_);
}

HOST_DEFINE_SCALAR_COMMON(BitVar, BIT_VAR)
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

HOST_DEFINE_SCALAR_COMMON(Bit32Var, BIT32_VAR)
bool Bit32Var::assign(const Variable& source) {
  long double n = 0;
  if (!numberOf(source, n))
    return false;
  value_.bits = clampTo<std::uint32_t>(n);
  return true;
}
std::string Bit32Var::formatValue() const {
  return bitsText(value_.bits);
}
