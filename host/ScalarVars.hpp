// The host's scalar variable classes: text, integers, floating point, bits, bit patterns, time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/CharString.hpp"
#include "host/Variable.hpp"

// The virtual operations that every concrete variable class overrides.
#define HOST_VARIABLE_OVERRIDES(Class)          \
  VariableType isA() const override;            \
  Variable* clone() const override;             \
  bool assign(const Variable& source) override; \
  std::string formatValue() const override;     \
  HOST_VARIABLE_ASSIGNMENT(Class)

class HOST_API TextVar : public Variable {
 public:
  TextVar() = default;
  // `length` (size_t)-1: up to the terminating NUL of `text`.
  TextVar(const char* text, std::size_t length) : value_(text, length) {}
  explicit TextVar(const char* text) : value_(text) {}
  explicit TextVar(CharString text) : value_(std::move(text)) {}
  TextVar(const TextVar&) = default;
  ~TextVar() override;
  HOST_VARIABLE_OVERRIDES(TextVar)

  operator const char*() const { return value_; }  // NOLINT: implicit like the host's
  const CharString& getValue() const { return value_; }
  void setValue(const CharString& text) { value_ = text; }
  void setValue(const char* text, std::size_t length) { value_.setCharStr(text, length); }

 private:
  CharString value_;
};

// A 32-bit pattern, the value of a Bit32Var.
struct HOST_API Bit32 {
  std::uint32_t bits = 0;
};

// Declares a scalar variable class holding one value of type `Value`.
#define HOST_SCALAR_VARIABLE(Class, Value, Default)          \
  class HOST_API Class : public Variable {                   \
   public:                                                   \
    explicit Class(Value value = Default) : value_(value) {} \
    Class(const Class&) = default;                           \
    ~Class() override;                                       \
    HOST_VARIABLE_OVERRIDES(Class)                           \
    Value getValue() const { return value_; }                \
    void setValue(Value value) { value_ = value; }           \
                                                             \
   private:                                                  \
    Value value_;                                            \
  };

HOST_SCALAR_VARIABLE(IntegerVar, std::int32_t, 0)
HOST_SCALAR_VARIABLE(UIntegerVar, std::uint32_t, 0)
HOST_SCALAR_VARIABLE(LongVar, std::int64_t, 0)
HOST_SCALAR_VARIABLE(ULongVar, std::uint64_t, 0)
HOST_SCALAR_VARIABLE(FloatVar, double, 0.0)
HOST_SCALAR_VARIABLE(BitVar, bool, false)
HOST_SCALAR_VARIABLE(CharVar, unsigned char, 0)
HOST_SCALAR_VARIABLE(Bit32Var, Bit32, Bit32())
HOST_SCALAR_VARIABLE(Bit64Var, std::uint64_t, 0)
// A point in time as milliseconds since 1970-01-01 00:00 UTC.
HOST_SCALAR_VARIABLE(TimeVar, std::int64_t, 0)

#undef HOST_SCALAR_VARIABLE
