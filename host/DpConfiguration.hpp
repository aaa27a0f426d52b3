// The data point configuration that Manager answers from: an in-memory store that a host program
// or a test fills with data point types, data points and aliases before any query.
//
// Filling is not thread-safe; queries are const and may run from many threads at once.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/DpTypes.hpp"
#include "host/HostApi.hpp"

// One element of a data point type, with the elements below it.
struct HOST_API DpTypeNode {
  std::string name;
  DpElementType type = DPELEMENT_RECORD;
  // For DPELEMENT_TYPEREF: the type whose elements the reference reaches under its own name.
  std::string referencedType;
  std::vector<DpTypeNode> children;
};

class HOST_API DpConfiguration {
 public:
  // The store that Manager's queries read.
  static DpConfiguration& instance();

  DpConfiguration();
  DpConfiguration(const DpConfiguration&) = delete;
  DpConfiguration& operator=(const DpConfiguration&) = delete;
  ~DpConfiguration();

  // Forgets every type, data point and alias; the system name stays.
  void clear();
  // The local system's name, accepted as prefix "NAME:" of queried names; default "System1".
  void setSystemName(std::string name);
  const std::string& getSystemName() const;

  // Adds a type called `root.name`. False, with `error` set, when that name is already taken.
  bool addType(DpTypeNode root, std::string& error);
  bool hasType(std::string_view name) const;
  // Adds a data point of the type `typeName` and all its elements, following type references
  // (a reference to a type that is not known reaches no elements). False, with `error` set, when
  // the name is taken or empty, the type is unknown, or type references form a cycle.
  bool addDataPoint(const std::string& name, const std::string& typeName, std::string& error);
  // Adds an alias of the element `elementName`, written "DP.elem.sub", or "DP." for a data
  // point's root. The element is not checked. False, with `error` set, when the alias is empty or
  // already defined.
  bool addAlias(const std::string& alias, const std::string& elementName, std::string& error);

  std::size_t getTypeCount() const;
  std::size_t getDataPointCount() const;
  std::size_t getElementCount() const;
  std::size_t getAliasCount() const;

  // The element name of `alias` exactly as it was defined.
  bool findAlias(std::string_view alias, std::string& elementName) const;
  // Resolves "DP.elem", "DP." or "DP" (the root), each optionally prefixed by "SYSTEM:".
  bool findElement(std::string_view name, DpIdentifier& id) const;
  bool findElementType(const DpIdentifier& id, DpElementType& type) const;

 private:
  struct Store;
  std::unique_ptr<Store> store_;
};
