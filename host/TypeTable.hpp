// Internal to the stand-in host: the one table of type names, for the variable types and the data
// point element types alike.
#pragma once

#include "host/DpTypes.hpp"
#include "host/Variable.hpp"

namespace host_detail {

struct TypeRow {
  const char* name;       // the CTRL name
  VariableType variable;  // NO_VAR for a type that no variable has (struct, typeref)
  DpElementType element;  // DPELEMENT_NOELEMENT for a type that no element has (mapping, ...)
  VariableType dyn;       // the dyn of this variable type; NO_VAR when it has none
  Variable* (*make)();    // a new default value; null for the types of the DynVars of one element
                          // type (made from their element's row) and for those no variable has
};

// The row of a type code; null for a code the host does not know (or NO_VAR, NOELEMENT).
const TypeRow* rowOf(VariableType type);
const TypeRow* rowOf(DpElementType type);
// The row whose dyn is `dyn`, or null.
const TypeRow* rowOfDyn(VariableType dyn);

}  // namespace host_detail
