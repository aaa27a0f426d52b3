// One property mapping of one device: its attributes, its line range, its errors, and what the
// checks derive from it (the resolved element, the parsed vocabulary codes and the converters).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "config/AttributeIndex.hpp"
#include "config/MessageForm.hpp"
#include "config/Vocabulary.hpp"
#include "ds/ConverterRegistry.hpp"
#include "host/DpTypes.hpp"

namespace trel::quorlinsrv {

// The occurrence rules' messages, with the attribute's display name (and count).
inline constexpr MessageForm<2> kRepeatedAttribute{
    {"attribute '", "' appeared ", " times for this block"}};
inline constexpr MessageForm<1> kMissingAttribute{
    {"mandatory attribute '", "' didn't appear in config file"}};
inline constexpr MessageForm<1> kEmptyAttribute{
    {"the value of mandatory attribute '", "' is empty in config file"}};

// The element check's messages that the program recognises.
inline constexpr MessageForm<0> kAliasUnknown{{"Failed to convert alias to DP/DPE name"}};
inline constexpr MessageForm<1> kUnknownDpe{{"Unknown DPE ", ""}};

class QuorlinServerConfigDpeBlock {
 public:
  QuorlinServerConfigDpeBlock();
  QuorlinServerConfigDpeBlock(const QuorlinServerConfigDpeBlock&) = delete;
  QuorlinServerConfigDpeBlock& operator=(const QuorlinServerConfigDpeBlock&) = delete;
  virtual ~QuorlinServerConfigDpeBlock();

  // Records one occurrence of the attribute `index` from file line `line` and widens the range.
  // Only the first occurrence's value is kept, and it is not copied: `value` must stay valid as
  // long as the block (the parser's values view the text of the file, which its blocks keep).
  void setAttribute(std::uint32_t line, AttributeIndex index, std::string_view value);
  // Appends a block-level message (line feed separated) and widens the range to `line`.
  void addError(std::uint32_t line, const std::string& message);
  // True when nothing was recorded: no block error and no attribute occurrence.
  bool isEmpty() const;

  std::string_view attributeValue(AttributeIndex index) const { return values_[index]; }
  // Valid while the block lives and its errors are not changed; "" when there is none.
  const std::string& attributeError(AttributeIndex index) const {
    return errors_ == nullptr ? kNoText : errors_->attributes[index];
  }
  // Replaces the error of the attribute `index`.
  void setAttributeError(AttributeIndex index, std::string text);
  // The block-level messages, joined by line feeds; "" when there are none.
  const std::string& blockError() const;

  // The block error if any, else the first attribute error in index order, else "".
  const std::string& errorText() const;
  bool hasErrors() const { return errors_ != nullptr && !errorText().empty(); }
  // "line(s) F...L: " + errorText() ("...L" left out while lastLine is 0).
  std::string positionedErrorText() const;

  // Runs every per-block check; each stores its findings as attribute errors.
  void validate();
  // Clears attributes, errors, line range, array-ness and converters; derived codes stay.
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

  DpIdentifier dpId;
  DpElementType elementType = DPELEMENT_NOELEMENT;
  Direction direction{};
  ValueType valueType{};
  TimeType timeType{};
  bool isArray = false;
  ds::SetterFn setter = nullptr;
  ds::GetterFn getter = nullptr;
  std::uint32_t firstLine = 0;
  std::uint32_t lastLine = 0;

 private:
  // A block's texts of errors, held only once one is set: most blocks have none.
  struct Errors {
    std::string block;
    std::array<std::string, kAttributeCount> attributes;
  };
  static const std::string kNoText;

  Errors& errors();
  bool hasAttributeError(AttributeIndex index) const { return !attributeError(index).empty(); }
  void widenRange(std::uint32_t line);
  // Applies the occurrence rules (repeated; mandatory but missing or empty) to the attribute
  // `index` unless it has an error already. True when it has no error afterwards. Inline for the
  // common case, one occurrence of a value, which builds no message.
  bool checkOccurrence(AttributeIndex index, bool mandatory) {
    const std::uint32_t count = counts_[index];
    const bool kept = count == 1 ? !mandatory || !values_[index].empty() : count == 0 && !mandatory;
    return kept ? !hasAttributeError(index) : reportOccurrence(index);
  }
  // The rules broken: sets the attribute's message unless it has an error already; false.
  bool reportOccurrence(AttributeIndex index);
  // Parses the attribute's word into `code`; a parse error becomes the attribute's error.
  template <typename Code>
  bool parseWord(AttributeIndex index, bool (*parse)(std::string_view, Code&, std::string&),
                 Code& code);

  bool checkDirection();
  bool checkValueType();
  bool checkTimeType();

  // The eight attributes, indexed by AttributeIndex: the first value and the count of each.
  std::array<std::string_view, kAttributeCount> values_;
  std::array<std::uint32_t, kAttributeCount> counts_{};
  std::unique_ptr<Errors> errors_;
};

}  // namespace trel::quorlinsrv
