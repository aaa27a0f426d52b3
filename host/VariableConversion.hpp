// Internal to the stand-in host: the value conversions behind Variable::assign, and what the
// definitions of the variable classes share.
#pragma once

#include <string>

#include "host/Variable.hpp"

namespace host_detail {

// The value inside any number of anytype wrappers (`v` itself when it is no anytype).
const Variable& unwrapAnyType(const Variable& v);
// The numeric value of a scalar (text gives its leading number, or 0); false for containers.
bool numberOf(const Variable& v, long double& out);
// True for the scalar classes (the ones `numberOf` accepts).
bool isScalar(const Variable& v);

}  // namespace host_detail

// The destructor, the type code `Code` (an expression in the class's members) and the copy.
#define HOST_DEFINE_VARIABLE_COMMON(Class, Code) \
  Class::~Class() = default;                     \
  VariableType Class::isA() const {              \
    return Code;                                 \
  }                                              \
  Variable* Class::clone() const {               \
    return new Class(*this);                     \
  }
