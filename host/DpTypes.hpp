// Data point element identifiers and element types, and the host's queries about element types.
#pragma once

#include <cstdint>

#include "host/HostApi.hpp"

// Element type codes of data point elements. Any int may occur; the named ones are known.
enum DpElementType : std::int32_t {
  DPELEMENT_NOELEMENT = 0,
  DPELEMENT_RECORD = 1,
  DPELEMENT_DYNCHAR = 3,
  DPELEMENT_DYNUINT = 4,
  DPELEMENT_DYNINT = 5,
  DPELEMENT_DYNFLOAT = 6,
  DPELEMENT_DYNBIT = 7,
  DPELEMENT_DYN32BIT = 8,
  DPELEMENT_DYNTEXT = 9,
  DPELEMENT_DYNTIME = 10,
  DPELEMENT_CHAR = 19,
  DPELEMENT_UINT = 20,
  DPELEMENT_INT = 21,
  DPELEMENT_FLOAT = 22,
  DPELEMENT_BIT = 23,
  DPELEMENT_32BIT = 24,
  DPELEMENT_TEXT = 25,
  DPELEMENT_TIME = 26,
  DPELEMENT_TYPEREF = 41,
  DPELEMENT_64BIT = 50,
  DPELEMENT_DYN64BIT = 51,
  DPELEMENT_LONG = 54,
  DPELEMENT_DYNLONG = 55,
  DPELEMENT_ULONG = 58,
  DPELEMENT_DYNULONG = 59,
};

// Identifies one element of one data point.
struct HOST_API DpIdentifier {
  std::uint32_t dp = 0;       // 1-based number of the data point; 0 for none
  std::uint32_t element = 0;  // number of the element within the data point's type; 0 = root
};

class HOST_API DpElType {
 public:
  // Nonzero for the element types that carry a value of their own (not struct, not typeref).
  static int isLeafType(DpElementType type);
  // Nonzero for the dyn (array) element types.
  static int isDynType(DpElementType type);
  // The CTRL type name in lower case ("int", "dyn_string", "struct", ...), "unknown" for others.
  static const char* getName(DpElementType type);
};
