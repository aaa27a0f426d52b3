#include <cstring>

#include "host/DpTypes.hpp"
#include "host/TypeTable.hpp"

namespace host_detail {

namespace {

// Every type the host knows, with its CTRL name and its codes as variable and as element.
constexpr TypeRow kTypes[] = {
    {"time", TIME_VAR, DPELEMENT_TIME, DYNTIME_VAR},
    {"bool", BIT_VAR, DPELEMENT_BIT, DYNBIT_VAR},
    {"int", INTEGER_VAR, DPELEMENT_INT, DYNINTEGER_VAR},
    {"uint", UINTEGER_VAR, DPELEMENT_UINT, DYNUINTEGER_VAR},
    {"float", FLOAT_VAR, DPELEMENT_FLOAT, DYNFLOAT_VAR},
    {"string", TEXT_VAR, DPELEMENT_TEXT, DYNTEXT_VAR},
    {"bit32", BIT32_VAR, DPELEMENT_32BIT, DYNBIT32_VAR},
    {"char", CHAR_VAR, DPELEMENT_CHAR, DYNCHAR_VAR},
    {"long", LONG_VAR, DPELEMENT_LONG, DYNLONG_VAR},
    {"ulong", ULONG_VAR, DPELEMENT_ULONG, DYNULONG_VAR},
    {"bit64", BIT64_VAR, DPELEMENT_64BIT, DYNBIT64_VAR},
    {"anytype", ANYTYPE_VAR, DPELEMENT_NOELEMENT, DYNANYTYPE_VAR},
    {"mapping", MAPPING_VAR, DPELEMENT_NOELEMENT, DYNMAPPING_VAR},
    {"dyn_time", DYNTIME_VAR, DPELEMENT_DYNTIME, NO_VAR},
    {"dyn_bool", DYNBIT_VAR, DPELEMENT_DYNBIT, NO_VAR},
    {"dyn_int", DYNINTEGER_VAR, DPELEMENT_DYNINT, NO_VAR},
    {"dyn_uint", DYNUINTEGER_VAR, DPELEMENT_DYNUINT, NO_VAR},
    {"dyn_float", DYNFLOAT_VAR, DPELEMENT_DYNFLOAT, NO_VAR},
    {"dyn_string", DYNTEXT_VAR, DPELEMENT_DYNTEXT, DYNDYNTEXT_VAR},
    {"dyn_bit32", DYNBIT32_VAR, DPELEMENT_DYN32BIT, NO_VAR},
    {"dyn_char", DYNCHAR_VAR, DPELEMENT_DYNCHAR, NO_VAR},
    {"dyn_long", DYNLONG_VAR, DPELEMENT_DYNLONG, NO_VAR},
    {"dyn_ulong", DYNULONG_VAR, DPELEMENT_DYNULONG, NO_VAR},
    {"dyn_bit64", DYNBIT64_VAR, DPELEMENT_DYN64BIT, NO_VAR},
    {"dyn_anytype", DYNANYTYPE_VAR, DPELEMENT_NOELEMENT, DYNDYNANYTYPE_VAR},
    {"dyn_mapping", DYNMAPPING_VAR, DPELEMENT_NOELEMENT, NO_VAR},
    {"dyn_dyn_anytype", DYNDYNANYTYPE_VAR, DPELEMENT_NOELEMENT, NO_VAR},
    {"dyn_dyn_string", DYNDYNTEXT_VAR, DPELEMENT_NOELEMENT, NO_VAR},
    {"dyn", DYN_VAR, DPELEMENT_NOELEMENT, NO_VAR},
    {"struct", NO_VAR, DPELEMENT_RECORD, NO_VAR},
    {"typeref", NO_VAR, DPELEMENT_TYPEREF, NO_VAR},
};

template <typename Code>
const TypeRow* find(Code TypeRow::*column, Code code, Code none) {
  for (const TypeRow& row : kTypes) {
    if (code != none && row.*column == code)
      return &row;
  }
  return nullptr;
}

}  // namespace

const TypeRow* rowOf(VariableType type) {
  return find(&TypeRow::variable, type, NO_VAR);
}
const TypeRow* rowOf(DpElementType type) {
  return find(&TypeRow::element, type, DPELEMENT_NOELEMENT);
}
const TypeRow* rowOfDyn(VariableType dyn) {
  return find(&TypeRow::dyn, dyn, NO_VAR);
}

}  // namespace host_detail

// Every element type but the two that hold other elements carries a value of its own.
int DpElType::isLeafType(DpElementType type) {
  return host_detail::rowOf(type) != nullptr && type != DPELEMENT_RECORD &&
                 type != DPELEMENT_TYPEREF
             ? 1
             : 0;
}

int DpElType::isDynType(DpElementType type) {
  const host_detail::TypeRow* row = host_detail::rowOf(type);
  return row != nullptr && std::strncmp(row->name, "dyn_", 4) == 0 ? 1 : 0;
}

const char* DpElType::getName(DpElementType type) {
  const host_detail::TypeRow* row = host_detail::rowOf(type);
  return row != nullptr ? row->name : "unknown";
}
