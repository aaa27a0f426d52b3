#include "config/QuorlinServerConfigDpeBlock.hpp"

#include <algorithm>
#include <sstream>
#include <utility>

namespace trel::quorlinsrv {

const std::string QuorlinServerConfigDpeBlock::kNoText;

QuorlinServerConfigDpeBlock::QuorlinServerConfigDpeBlock() = default;

QuorlinServerConfigDpeBlock::~QuorlinServerConfigDpeBlock() = default;

QuorlinServerConfigDpeBlock::Errors& QuorlinServerConfigDpeBlock::errors() {
  if (errors_ == nullptr) {
    errors_ = std::make_unique<Errors>();
  }
  return *errors_;
}

void QuorlinServerConfigDpeBlock::widenRange(std::uint32_t line) {
  if (firstLine == 0) {
    firstLine = line;
  }
  lastLine = line;
}

void QuorlinServerConfigDpeBlock::setAttribute(std::uint32_t line, AttributeIndex index,
                                               std::string_view value) {
  if (counts_[index] == 0) {
    values_[index] = value;  // a repeat keeps the first value
  }
  ++counts_[index];
  widenRange(line);
}

void QuorlinServerConfigDpeBlock::addError(std::uint32_t line, const std::string& message) {
  std::string& text = errors().block;
  if (!text.empty()) {
    text += '\n';
  }
  text += message;
  widenRange(line);
}

bool QuorlinServerConfigDpeBlock::isEmpty() const {
  return blockError().empty() && std::all_of(counts_.begin(), counts_.end(),
                                             [](std::uint32_t count) { return count == 0; });
}

void QuorlinServerConfigDpeBlock::setAttributeError(AttributeIndex index, std::string text) {
  if (errors_ != nullptr || !text.empty()) {
    errors().attributes[index] = std::move(text);
  }
}

const std::string& QuorlinServerConfigDpeBlock::blockError() const {
  return errors_ == nullptr ? kNoText : errors_->block;
}

const std::string& QuorlinServerConfigDpeBlock::errorText() const {
  if (errors_ == nullptr) {
    return kNoText;
  }
  if (!errors_->block.empty()) {
    return errors_->block;
  }
  for (const std::string& error : errors_->attributes) {
    if (!error.empty()) {
      return error;
    }
  }
  return kNoText;
}

std::string QuorlinServerConfigDpeBlock::positionedErrorText() const {
  std::ostringstream text;
  text << "line(s) " << firstLine;
  if (lastLine != 0) {
    text << "..." << lastLine;
  }
  text << ": " << errorText();
  return text.str();
}

bool QuorlinServerConfigDpeBlock::reportOccurrence(AttributeIndex index) {
  if (hasAttributeError(index)) {
    return false;  // the first error stays
  }
  const std::uint32_t count = counts_[index];
  const std::string_view name = attributeRow(index).displayName;
  setAttributeError(index, count >= 2   ? kRepeatedAttribute(name, count)
                           : count == 0 ? kMissingAttribute(name)
                                        : kEmptyAttribute(name));
  return false;
}

template <typename Code>
bool QuorlinServerConfigDpeBlock::parseWord(AttributeIndex index,
                                            bool (*parse)(std::string_view, Code&, std::string&),
                                            Code& code) {
  std::string error;
  if (parse(values_[index], code, error)) {
    return true;
  }
  setAttributeError(index, std::move(error));
  return false;
}

bool QuorlinServerConfigDpeBlock::checkDirection() {
  return checkOccurrence(kDirection, true) && parseWord(kDirection, &parseDirection, direction);
}

bool QuorlinServerConfigDpeBlock::checkValueType() {
  return checkOccurrence(kValue, true) && parseWord(kValue, &parseValueType, valueType);
}

bool QuorlinServerConfigDpeBlock::checkTimeType() {
  if (!checkOccurrence(kTime, false)) {
    return false;
  }
  if (values_[kTime].empty()) {
    // No "time" key, or one without a word: the property carries no time stamp.
    timeType = TimeType::None;
    return true;
  }
  return parseWord(kTime, &parseTimeType, timeType);
}

void QuorlinServerConfigDpeBlock::validate() {
  checkOccurrence(kDeviceName, true);
  checkOccurrence(kProperty, true);
  checkDirection();
  checkValueType();
  checkTimeType();
  checkDpe();
  checkTypeCompatibility();
}

void QuorlinServerConfigDpeBlock::reset() {
  values_ = {};
  counts_ = {};
  errors_.reset();
  isArray = false;
  setter = nullptr;
  getter = nullptr;
  firstLine = 0;
  lastLine = 0;
}

}  // namespace trel::quorlinsrv
