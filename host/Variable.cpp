#include "host/Variable.hpp"

#include "host/Variables.hpp"

namespace {

struct TypeRow {
  VariableType type;
  const char* name;
  VariableType dynType;  // the dyn of this element type; NO_VAR when it has none
};

// Every type code the stand-in knows, with its CTRL name and the code of its dyn.
constexpr TypeRow kTypes[] = {
    {TIME_VAR, "time", DYNTIME_VAR},
    {BIT_VAR, "bool", DYNBIT_VAR},
    {INTEGER_VAR, "int", DYNINTEGER_VAR},
    {UINTEGER_VAR, "uint", DYNUINTEGER_VAR},
    {FLOAT_VAR, "float", DYNFLOAT_VAR},
    {TEXT_VAR, "string", DYNTEXT_VAR},
    {BIT32_VAR, "bit32", DYNBIT32_VAR},
    {CHAR_VAR, "char", DYNCHAR_VAR},
    {LONG_VAR, "long", DYNLONG_VAR},
    {ULONG_VAR, "ulong", DYNULONG_VAR},
    {BIT64_VAR, "bit64", DYNBIT64_VAR},
    {ANYTYPE_VAR, "anytype", DYNANYTYPE_VAR},
    {MAPPING_VAR, "mapping", DYNMAPPING_VAR},
    {DYNTIME_VAR, "dyn_time", NO_VAR},
    {DYNBIT_VAR, "dyn_bool", NO_VAR},
    {DYNINTEGER_VAR, "dyn_int", NO_VAR},
    {DYNUINTEGER_VAR, "dyn_uint", NO_VAR},
    {DYNFLOAT_VAR, "dyn_float", NO_VAR},
    {DYNTEXT_VAR, "dyn_string", DYNDYNTEXT_VAR},
    {DYNBIT32_VAR, "dyn_bit32", NO_VAR},
    {DYNCHAR_VAR, "dyn_char", NO_VAR},
    {DYNLONG_VAR, "dyn_long", NO_VAR},
    {DYNULONG_VAR, "dyn_ulong", NO_VAR},
    {DYNBIT64_VAR, "dyn_bit64", NO_VAR},
    {DYNANYTYPE_VAR, "dyn_anytype", DYNDYNANYTYPE_VAR},
    {DYNMAPPING_VAR, "dyn_mapping", NO_VAR},
    {DYNDYNANYTYPE_VAR, "dyn_dyn_anytype", NO_VAR},
    {DYNDYNTEXT_VAR, "dyn_dyn_string", NO_VAR},
    {DYN_VAR, "dyn", NO_VAR},
};

const TypeRow* findType(VariableType type) {
  for (const TypeRow& row : kTypes) {
    if (row.type == type)
      return &row;
  }
  return nullptr;
}

// The element type of a dyn code, or NO_VAR when `type` is no dyn code.
VariableType elementTypeOf(VariableType type) {
  for (const TypeRow& row : kTypes) {
    if (row.dynType == type && type != NO_VAR)
      return row.type;
  }
  return NO_VAR;
}

}  // namespace

Variable::~Variable() = default;

const char* Variable::getTypeName(VariableType type) {
  const TypeRow* row = findType(type);
  return row != nullptr ? row->name : "unknown";
}

VariableType Variable::dynTypeOf(VariableType elementType) {
  const TypeRow* row = findType(elementType);
  return row != nullptr && row->dynType != NO_VAR ? row->dynType : DYN_VAR;
}

Variable* Variable::allocate(VariableType type) {
  switch (type) {
    case TIME_VAR:
      return new TimeVar();
    case BIT_VAR:
      return new BitVar();
    case INTEGER_VAR:
      return new IntegerVar();
    case UINTEGER_VAR:
      return new UIntegerVar();
    case FLOAT_VAR:
      return new FloatVar();
    case TEXT_VAR:
      return new TextVar();
    case BIT32_VAR:
      return new Bit32Var();
    case CHAR_VAR:
      return new CharVar();
    case LONG_VAR:
      return new LongVar();
    case ULONG_VAR:
      return new ULongVar();
    case BIT64_VAR:
      return new Bit64Var();
    case ANYTYPE_VAR:
      return new AnyTypeVar();
    case MAPPING_VAR:
      return new MappingVar();
    case DYN_VAR:
      return new DynVar(NO_VAR);
    default:
      break;
  }
  VariableType element = elementTypeOf(type);
  return element != NO_VAR ? new DynVar(element) : nullptr;
}
