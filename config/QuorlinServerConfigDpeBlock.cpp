#include "config/QuorlinServerConfigDpeBlock.hpp"

#include <sstream>
#include <utility>

namespace trel::quorlinsrv {

namespace {

// Parses the attribute's word into `code`; the parse error (or "") becomes the attribute's error.
template <typename Code>
bool parseWord(ConfigAttribute& attribute, bool (*parse)(std::string, Code&, std::string&),
               Code& code) {
  std::string error;
  parse(attribute.value, code, error);
  attribute.error = error;
  return error.empty();
}

}  // namespace

QuorlinServerConfigDpeBlock::QuorlinServerConfigDpeBlock()
    : attributes{ConfigAttribute(attributeRow(kClassName).displayName),
                 ConfigAttribute(attributeRow(kDeviceName).displayName),
                 ConfigAttribute(attributeRow(kDpe).displayName),
                 ConfigAttribute(attributeRow(kAlias).displayName),
                 ConfigAttribute(attributeRow(kProperty).displayName),
                 ConfigAttribute(attributeRow(kDirection).displayName),
                 ConfigAttribute(attributeRow(kValue).displayName),
                 ConfigAttribute(attributeRow(kTime).displayName)} {
  reset();
}

QuorlinServerConfigDpeBlock::~QuorlinServerConfigDpeBlock() = default;

void QuorlinServerConfigDpeBlock::widenRange(std::uint32_t line) {
  if (firstLine == 0) {
    firstLine = line;
  }
  lastLine = line;
}

void QuorlinServerConfigDpeBlock::setAttribute(std::uint32_t line, AttributeIndex index,
                                               std::string_view value) {
  attribute(index).set(value);
  widenRange(line);
}

void QuorlinServerConfigDpeBlock::addError(std::uint32_t line, const std::string& message) {
  if (!blockError.empty()) {
    blockError += '\n';
  }
  blockError += message;
  widenRange(line);
}

bool QuorlinServerConfigDpeBlock::isEmpty() const {
  if (!blockError.empty()) {
    return false;
  }
  for (const ConfigAttribute& attribute : attributes) {
    if (attribute.count != 0) {
      return false;
    }
  }
  return true;
}

const std::string& QuorlinServerConfigDpeBlock::attributeValue(AttributeIndex index) const {
  return attribute(index).value;
}

const std::string& QuorlinServerConfigDpeBlock::attributeError(AttributeIndex index) const {
  return attribute(index).error;
}

void QuorlinServerConfigDpeBlock::setAttributeError(AttributeIndex index, std::string text) {
  attribute(index).error = std::move(text);
}

const std::string& QuorlinServerConfigDpeBlock::errorText() const {
  if (!blockError.empty()) {
    return blockError;
  }
  for (const ConfigAttribute& attribute : attributes) {
    if (!attribute.error.empty()) {
      return attribute.error;
    }
  }
  static const std::string kNone;
  return kNone;
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

bool QuorlinServerConfigDpeBlock::checkDirection() {
  ConfigAttribute& word = attribute(kDirection);
  return word.check(true) && parseWord(word, &parseDirection, direction);
}

bool QuorlinServerConfigDpeBlock::checkValueType() {
  ConfigAttribute& word = attribute(kValue);
  return word.check(true) && parseWord(word, &parseValueType, valueType);
}

bool QuorlinServerConfigDpeBlock::checkTimeType() {
  ConfigAttribute& word = attribute(kTime);
  if (!word.check(false)) {
    return false;
  }
  if (word.value.empty()) {
    // No "time" key, or one without a word: the property carries no time stamp.
    timeType = TimeType::None;
    return true;
  }
  return parseWord(word, &parseTimeType, timeType);
}

void QuorlinServerConfigDpeBlock::validate() {
  attribute(kDeviceName).check(true);
  attribute(kProperty).check(true);
  checkDirection();
  checkValueType();
  checkTimeType();
  checkDpe();
  checkTypeCompatibility();
}

void QuorlinServerConfigDpeBlock::reset() {
  for (ConfigAttribute& attribute : attributes) {
    attribute.reset();
  }
  isArray = false;
  setter = nullptr;
  getter = nullptr;
  blockError.clear();
  firstLine = 0;
  lastLine = 0;
}

}  // namespace trel::quorlinsrv
