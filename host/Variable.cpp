#include "host/Variable.hpp"

#include "host/TypeTable.hpp"
#include "host/Variables.hpp"

Variable::~Variable() = default;

const char* Variable::getTypeName(VariableType type) {
  const host_detail::TypeRow* row = host_detail::rowOf(type);
  return row != nullptr ? row->name : "unknown";
}

VariableType Variable::dynTypeOf(VariableType elementType) {
  const host_detail::TypeRow* row = host_detail::rowOf(elementType);
  return row != nullptr && row->dyn != NO_VAR ? row->dyn : DYN_VAR;
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
  const host_detail::TypeRow* row = host_detail::rowOfDyn(type);
  return row != nullptr ? new DynVar(row->variable) : nullptr;
}
