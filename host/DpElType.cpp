#include <cstring>

#include "host/DpTypes.hpp"
#include "host/TypeTable.hpp"
#include "host/Variables.hpp"

namespace host_detail {

namespace {

template <typename Class>
Variable* make() {
  return new Class();
}

// Every type the host knows, with its CTRL name, its codes as variable and as element, and how a
// variable of it is made.
constexpr TypeRow kTypes[] = {
    {"time", TIME_VAR, DPELEMENT_TIME, DYNTIME_VAR, make<TimeVar>},
    {"bool", BIT_VAR, DPELEMENT_BIT, DYNBIT_VAR, make<BitVar>},
    {"int", INTEGER_VAR, DPELEMENT_INT, DYNINTEGER_VAR, make<IntegerVar>},
    {"uint", UINTEGER_VAR, DPELEMENT_UINT, DYNUINTEGER_VAR, make<UIntegerVar>},
    {"float", FLOAT_VAR, DPELEMENT_FLOAT, DYNFLOAT_VAR, make<FloatVar>},
    {"string", TEXT_VAR, DPELEMENT_TEXT, DYNTEXT_VAR, make<TextVar>},
    {"bit32", BIT32_VAR, DPELEMENT_32BIT, DYNBIT32_VAR, make<Bit32Var>},
    {"char", CHAR_VAR, DPELEMENT_CHAR, DYNCHAR_VAR, make<CharVar>},
    {"long", LONG_VAR, DPELEMENT_LONG, DYNLONG_VAR, make<LongVar>},
    {"ulong", ULONG_VAR, DPELEMENT_ULONG, DYNULONG_VAR, make<ULongVar>},
    {"bit64", BIT64_VAR, DPELEMENT_64BIT, DYNBIT64_VAR, make<Bit64Var>},
    {"anytype", ANYTYPE_VAR, DPELEMENT_NOELEMENT, DYNANYTYPE_VAR, make<AnyTypeVar>},
    {"mapping", MAPPING_VAR, DPELEMENT_NOELEMENT, DYNMAPPING_VAR, make<MappingVar>},
    {"dyn_time", DYNTIME_VAR, DPELEMENT_DYNTIME, NO_VAR, nullptr},
    {"dyn_bool", DYNBIT_VAR, DPELEMENT_DYNBIT, NO_VAR, nullptr},
    {"dyn_int", DYNINTEGER_VAR, DPELEMENT_DYNINT, NO_VAR, nullptr},
    {"dyn_uint", DYNUINTEGER_VAR, DPELEMENT_DYNUINT, NO_VAR, nullptr},
    {"dyn_float", DYNFLOAT_VAR, DPELEMENT_DYNFLOAT, NO_VAR, nullptr},
    {"dyn_string", DYNTEXT_VAR, DPELEMENT_DYNTEXT, DYNDYNTEXT_VAR, nullptr},
    {"dyn_bit32", DYNBIT32_VAR, DPELEMENT_DYN32BIT, NO_VAR, nullptr},
    {"dyn_char", DYNCHAR_VAR, DPELEMENT_DYNCHAR, NO_VAR, nullptr},
    {"dyn_long", DYNLONG_VAR, DPELEMENT_DYNLONG, NO_VAR, nullptr},
    {"dyn_ulong", DYNULONG_VAR, DPELEMENT_DYNULONG, NO_VAR, nullptr},
    {"dyn_bit64", DYNBIT64_VAR, DPELEMENT_DYN64BIT, NO_VAR, nullptr},
    {"dyn_anytype", DYNANYTYPE_VAR, DPELEMENT_NOELEMENT, DYNDYNANYTYPE_VAR, nullptr},
    {"dyn_mapping", DYNMAPPING_VAR, DPELEMENT_NOELEMENT, NO_VAR, nullptr},
    {"dyn_dyn_anytype", DYNDYNANYTYPE_VAR, DPELEMENT_NOELEMENT, NO_VAR, nullptr},
    {"dyn_dyn_string", DYNDYNTEXT_VAR, DPELEMENT_NOELEMENT, NO_VAR, nullptr},
    {"dyn", DYN_VAR, DPELEMENT_NOELEMENT, NO_VAR, make<DynVar>},
    {"struct", NO_VAR, DPELEMENT_RECORD, NO_VAR, nullptr},
    {"typeref", NO_VAR, DPELEMENT_TYPEREF, NO_VAR, nullptr},
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
