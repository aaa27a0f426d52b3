// The host's script values: the type codes and the abstract base of every variable class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/CharString.hpp"
#include "host/HostApi.hpp"

// Type codes of script values as `Variable::isA()` reports them. The codes of the scalar classes,
// string, dyn_string, anytype, dyn_anytype and mapping are the platform's; the other dyn codes are
// this stand-in's own choice.
enum VariableType : std::uint32_t {
  NO_VAR = 0x0,
  TIME_VAR = 0x30000,
  BIT_VAR = 0x40000,
  INTEGER_VAR = 0x50000,
  UINTEGER_VAR = 0x60000,
  FLOAT_VAR = 0x70000,
  TEXT_VAR = 0x80000,
  BIT32_VAR = 0x90000,
  CHAR_VAR = 0xa0000,
  DYNTIME_VAR = 0xb0000,
  DYNBIT_VAR = 0xc0000,
  DYNINTEGER_VAR = 0xd0000,
  DYNUINTEGER_VAR = 0xe0000,
  DYNFLOAT_VAR = 0xf0000,
  DYNBIT32_VAR = 0x100000,
  DYNCHAR_VAR = 0x110000,
  DYNTEXT_VAR = 0x120000,
  ANYTYPE_VAR = 0x180000,
  DYN_VAR = 0x200000,  // a dyn whose element type has no dyn code of its own
  DYNANYTYPE_VAR = 0x230000,
  DYNDYNANYTYPE_VAR = 0x240000,
  DYNDYNTEXT_VAR = 0x250000,
  MAPPING_VAR = 0x3a0000,
  DYNMAPPING_VAR = 0x3b0000,
  LONG_VAR = 0x460000,
  DYNLONG_VAR = 0x470000,
  ULONG_VAR = 0x490000,
  DYNULONG_VAR = 0x4a0000,
  BIT64_VAR = 0x4c0000,
  DYNBIT64_VAR = 0x4d0000,
};

class HOST_API Variable {
 public:
  virtual ~Variable();

  // The type code of this value.
  virtual VariableType isA() const = 0;
  // A new, independent copy of this value; the caller owns it.
  virtual Variable* clone() const = 0;

  // The host's converting assignment: takes the value of `source` converted to this variable's
  // type (an int into a string gives its decimal text, a string into an int its leading number,
  // ...). Returns false, leaving this variable unchanged, when no conversion exists.
  virtual bool assign(const Variable& source) = 0;
  Variable& operator=(const Variable& source) {
    assign(source);
    return *this;
  }

  // The value as script text ("42", "TRUE", "1.5", ...); containers give their element texts.
  virtual std::string formatValue() const = 0;

  // The CTRL name of a type code ("int", "dyn_string", "mapping", ...), "unknown" for others.
  static const char* getTypeName(VariableType type);
  // The code of a dyn whose elements have type `elementType` (DYN_VAR when there is none).
  static VariableType dynTypeOf(VariableType elementType);
  // A new default value of `type` (0, "", empty dyn of the element type, ...); null for a code
  // that names no variable class. The caller owns it.
  static Variable* allocate(VariableType type);

  // Variables come from one pool: a result mapping of 100,000 blocks holds millions of them (the
  // figures are beside the pool).
  static void* operator new(std::size_t size);
  static void operator delete(void* memory, std::size_t size) noexcept;

 protected:
  Variable() = default;
  Variable(const Variable&) = default;
};

// Lets a derived class keep the converting assignment beside its own copy assignment.
#define HOST_VARIABLE_ASSIGNMENT(Class)  \
  using Variable::operator=;             \
  Class& operator=(const Class& other) { \
    if (this != &other)                  \
      assign(other);                     \
    return *this;                        \
  }
