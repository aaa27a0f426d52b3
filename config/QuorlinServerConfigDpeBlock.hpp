// One property mapping of one device: its attributes, its line range, its errors, and what the
// checks derive from it (the resolved element, the parsed vocabulary codes and the converters).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/AttributeIndex.hpp"
#include "config/ConfigAttribute.hpp"
#include "config/Vocabulary.hpp"
#include "ds/ConverterRegistry.hpp"
#include "host/DpTypes.hpp"

namespace trel::quorlinsrv {

class QuorlinServerConfigDpeBlock {
 public:
  // Creates the eight attributes with their display names, then resets.
  QuorlinServerConfigDpeBlock();
  QuorlinServerConfigDpeBlock(const QuorlinServerConfigDpeBlock&) = delete;
  QuorlinServerConfigDpeBlock& operator=(const QuorlinServerConfigDpeBlock&) = delete;
  virtual ~QuorlinServerConfigDpeBlock();

  // Records one occurrence of the attribute `index` from file line `line` and widens the range.
  void setAttribute(std::uint32_t line, AttributeIndex index, std::string_view value);
  // Appends a block-level message (line feed separated) and widens the range to `line`.
  void addError(std::uint32_t line, const std::string& message);
  // True when nothing was recorded: no block error and no attribute occurrence.
  bool isEmpty() const;

  // Views of the block's own texts: valid while the block lives and the attribute is not changed.
  const std::string& attributeValue(AttributeIndex index) const;
  const std::string& attributeError(AttributeIndex index) const;
  // Replaces the error of the attribute `index`.
  void setAttributeError(AttributeIndex index, std::string text);

  // The block error if any, else the first attribute error in index order, else "".
  const std::string& errorText() const;
  bool hasErrors() const { return !errorText().empty(); }
  // "line(s) F...L: " + errorText() ("...L" left out while lastLine is 0).
  std::string positionedErrorText() const;

  // Runs every per-block check; each stores its findings as attribute errors.
  void validate();
  // Clears attributes, block error, line range, array-ness and converters; derived codes stay.
  void reset();

  // Resolves "alias"/"dpe" to an element of the host's configuration and records its id, type
  // and array-ness. True when the element exists and is a leaf; else the reason is stored in the
  // "dpe" and "alias" errors (or in the one attribute whose occurrences are wrong).
  bool checkDpe();

  // Looks up the setter (directions with an outgoing side) and then the getter (with an incoming
  // side) for the element type, data type and array-ness, and keeps them. Skipped, returning
  // true, when "dpe", "alias", "value" or "direction" already has an error. False when a needed
  // converter is missing; the registry's message then replaces the "dpe" and "alias" errors.
  bool checkTypeCompatibility();

  // Indexed by AttributeIndex; always the eight attributes, in index order.
  std::array<ConfigAttribute, kAttributeCount> attributes;
  std::string dpeName;
  DpIdentifier dpId;
  DpElementType elementType = DPELEMENT_NOELEMENT;
  Direction direction{};
  ValueType valueType{};
  bool isArray = false;
  ds::SetterFn setter = nullptr;
  ds::GetterFn getter = nullptr;
  TimeType timeType{};
  std::string blockError;
  std::uint32_t firstLine = 0;
  std::uint32_t lastLine = 0;

 private:
  ConfigAttribute& attribute(AttributeIndex index) { return attributes.at(index); }
  const ConfigAttribute& attribute(AttributeIndex index) const { return attributes.at(index); }
  void widenRange(std::uint32_t line);

  bool checkDirection();
  bool checkValueType();
  bool checkTimeType();
};

}  // namespace trel::quorlinsrv
