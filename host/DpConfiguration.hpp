// The data point configuration that Manager answers from: an in-memory store that a host program
// or a test fills with data point types, data points and aliases before any query.
//
// Types are kept as their DP list defines them, never expanded: an element name is resolved by
// walking it from the data point's type, through type references, one name at a time. So a
// configuration takes memory in proportion to its definitions, however its references fan out.
//
// Filling is not thread-safe; queries are const and may run from many threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/DpTypes.hpp"
#include "host/HostApi.hpp"

// One element of a data point type as a DP list writes it. A type is the list of its elements
// in definition order, depth first, its root first.
struct HOST_API DpTypeElement {
  std::string name;
  DpElementType type = DPELEMENT_RECORD;
  std::uint32_t depth = 0;  // 0 for the root; an element's children are one deeper
  // For DPELEMENT_TYPEREF: the type whose root's children the reference reaches under its name.
  std::string referencedType;

  friend bool operator==(const DpTypeElement& a, const DpTypeElement& b) {
    return a.name == b.name && a.type == b.type && a.depth == b.depth &&
           a.referencedType == b.referencedType;
  }
};

class HOST_API DpConfiguration {
 public:
  // Receives an element's name below the data point ("" for the root, "a", "a.b", ...) and type;
  // returns false to end the walk.
  using ElementVisitor = std::function<bool(std::string_view name, DpElementType type)>;

  // The store that Manager's queries read: the host's own, or the one selected.
  static DpConfiguration& instance();
  // Makes `config` (null: the host's own) the store that Manager's queries read; the caller keeps
  // it alive while it is selected. A program that switches between several sets of DP lists loads
  // each set once, into a store of its own, and selects the one in force.
  static void select(DpConfiguration* config);

  DpConfiguration();
  DpConfiguration(const DpConfiguration&) = delete;
  DpConfiguration& operator=(const DpConfiguration&) = delete;
  ~DpConfiguration();

  // Forgets every type, data point and alias; the system name stays.
  void clear();
  // The local system's name, accepted as prefix "NAME:" of queried names; default "System1".
  void setSystemName(std::string name);
  const std::string& getSystemName() const;

  // Adds the type whose elements are `elements` (the root's name is the type's). False, with
  // `error` set, when the name is empty or taken, or the depths do not form one tree.
  bool addType(const std::vector<DpTypeElement>& elements, std::string& error);
  bool hasType(std::string_view name) const;
  // The first cycle of type references reachable from the type `typeName`, as the types along it
  // with the first repeated at the end ("A", "B", "A"); empty when there is none. References are
  // followed in definition order; types found free of cycles are not walked again until a type is
  // added.
  std::vector<std::string> findCycle(std::string_view typeName);
  // Adds a data point of the type `typeName` (a reference to a type that is not known reaches no
  // elements). False, with `error` set, when the name is taken or empty, the type is unknown, or
  // type references reachable from it form a cycle.
  bool addDataPoint(const std::string& name, const std::string& typeName, std::string& error);
  // Adds an alias of the element `elementName`, written "DP.elem.sub", or "DP." for a data
  // point's root. The element is not checked. False, with `error` set, when the alias is empty or
  // already defined.
  bool addAlias(const std::string& alias, const std::string& elementName, std::string& error);

  std::size_t getTypeCount() const;
  std::size_t getDataPointCount() const;
  std::size_t getAliasCount() const;

  // The element name of `alias` exactly as it was defined.
  bool findAlias(std::string_view alias, std::string& elementName) const;
  // Resolves "DP.elem", "DP." or "DP" (the root), each optionally prefixed by "SYSTEM:". The
  // identifier numbers the element's definition in its type: elements reached through two
  // references to one type share it, as they share their type.
  bool findElement(std::string_view name, DpIdentifier& id) const;
  bool findElementType(const DpIdentifier& id, DpElementType& type) const;

  // The type of the data point `name` ("SYSTEM:" prefix allowed), "" when there is none.
  std::string_view findDataPointType(std::string_view name) const;
  // Every data point with the name of its type, and every alias with its element, unordered.
  void forEachDataPoint(const std::function<void(std::string_view, std::string_view)>& visit) const;
  void forEachAlias(const std::function<void(std::string_view, std::string_view)>& visit) const;
  // The element `from` (as "") and the elements below it, which `findElement` finds under the
  // same names after from's: depth first in definition order, through type references, without
  // recursion.
  void forEachElement(DpIdentifier from, const ElementVisitor& visit) const;

 private:
  struct Store;
  std::unique_ptr<Store> store_;
};
