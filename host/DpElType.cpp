#include "host/DpTypes.hpp"

namespace {

struct ElementTypeRow {
  DpElementType type;
  const char* name;
  bool leaf;
  bool dyn;
};

// The element types the host knows, with their CTRL names.
constexpr ElementTypeRow kElementTypes[] = {
    {DPELEMENT_RECORD, "struct", false, false},    {DPELEMENT_TYPEREF, "typeref", false, false},
    {DPELEMENT_CHAR, "char", true, false},         {DPELEMENT_UINT, "uint", true, false},
    {DPELEMENT_INT, "int", true, false},           {DPELEMENT_FLOAT, "float", true, false},
    {DPELEMENT_BIT, "bool", true, false},          {DPELEMENT_32BIT, "bit32", true, false},
    {DPELEMENT_TEXT, "string", true, false},       {DPELEMENT_TIME, "time", true, false},
    {DPELEMENT_64BIT, "bit64", true, false},       {DPELEMENT_LONG, "long", true, false},
    {DPELEMENT_ULONG, "ulong", true, false},       {DPELEMENT_DYNCHAR, "dyn_char", true, true},
    {DPELEMENT_DYNUINT, "dyn_uint", true, true},   {DPELEMENT_DYNINT, "dyn_int", true, true},
    {DPELEMENT_DYNFLOAT, "dyn_float", true, true}, {DPELEMENT_DYNBIT, "dyn_bool", true, true},
    {DPELEMENT_DYN32BIT, "dyn_bit32", true, true}, {DPELEMENT_DYNTEXT, "dyn_string", true, true},
    {DPELEMENT_DYNTIME, "dyn_time", true, true},   {DPELEMENT_DYN64BIT, "dyn_bit64", true, true},
    {DPELEMENT_DYNLONG, "dyn_long", true, true},   {DPELEMENT_DYNULONG, "dyn_ulong", true, true},
};

const ElementTypeRow* findElementType(DpElementType type) {
  for (const ElementTypeRow& row : kElementTypes) {
    if (row.type == type)
      return &row;
  }
  return nullptr;
}

}  // namespace

int DpElType::isLeafType(DpElementType type) {
  const ElementTypeRow* row = findElementType(type);
  return row != nullptr && row->leaf ? 1 : 0;
}

int DpElType::isDynType(DpElementType type) {
  const ElementTypeRow* row = findElementType(type);
  return row != nullptr && row->dyn ? 1 : 0;
}

const char* DpElType::getName(DpElementType type) {
  const ElementTypeRow* row = findElementType(type);
  return row != nullptr ? row->name : "unknown";
}
