// The host manager's queries of the data point configuration (answered from DpConfiguration).
#pragma once

#include "host/CharString.hpp"
#include "host/DpTypes.hpp"
#include "host/HostApi.hpp"

class HOST_API Manager {
 public:
  // Nonzero when `alias` is known; `name` then holds the element name as the alias defines it.
  static int getName(const char* alias, CharString& name);
  // Nonzero when an element called `name` exists; `id` then identifies it.
  static int getId(const char* name, DpIdentifier& id);
  // Nonzero when `id` names an existing element; `type` then holds its element type.
  static int getElementType(const DpIdentifier& id, DpElementType& type);
};
