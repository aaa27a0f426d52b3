#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/QuorlinServerConfigDpeBlock.hpp"
#include "ds/ConverterRegistry.hpp"
#include "tests/golden/DpConfigurationFixture.hpp"

namespace trel::quorlinsrv {
namespace {

using Block = QuorlinServerConfigDpeBlock;

// A float, a text, a time, a dyn float and a dyn time element, and a struct.
const char* const kDataPoints = R"(
type Plant 1
  voltage 22
  label 25
  stamp 26
  history 6
  stamps 10
  state 1
    on 23
dp P1 Plant
alias p1 P1.
alias p1_stamp P1.stamp
)";

class TypeCompatibilityTest : public test::DpConfigurationFixture {
 protected:
  TypeCompatibilityTest() : DpConfigurationFixture(kDataPoints) {}
};

using KeyLines = std::vector<std::pair<AttributeIndex, std::string>>;

void fill(Block& block, const KeyLines& lines) {
  std::uint32_t line = 1;
  // A block keeps views of its values: the texts stay for the whole test program.
  static std::deque<std::string> texts;
  for (const auto& [index, value] : lines) {
    block.setAttribute(line++, index, texts.emplace_back(value));
  }
}

const std::string kTimeToLongLong = "conversion from time to scalar longlong is not implemented";
const std::string kLongLongToTime = "conversion from scalar longlong to time is not implemented";

// A block whose element was resolved through the host and whose direction and data type codes
// were set as their word checks set them.
void prepare(Block& block, const KeyLines& elementLines, Direction direction, ValueType valueType) {
  fill(block, elementLines);
  block.checkDpe();
  block.direction = direction;
  block.valueType = valueType;
}

struct GateRow {
  const char* what;
  KeyLines elementLines;  // "dpe"/"alias" lines
  Direction direction;
  ValueType valueType;
  std::pair<AttributeIndex, std::string> earlierError;  // set after the element check
};

const KeyLines kVoltage = {{kDpe, "P1.voltage"}};
const KeyLines kStamp = {{kDpe, "P1.stamp"}};
const KeyLines kStamps = {{kDpe, "P1.stamps"}};
// Rows whose element check failed by itself clear an error that is not there.
const std::pair<AttributeIndex, std::string> kNoEarlierError = {kTime, ""};

// A lookup that ran anyway would keep a converter for the float element, or write a message for
// the time element, the unresolved ones included.
const GateRow kGateRows[] = {
    {"dpe twice",
     {{kDpe, "P1.voltage"}, {kDpe, "P1.voltage"}},
     Direction::InOut,
     ValueType::Float,
     kNoEarlierError},
    {"alias unknown",
     {{kDpe, "P1.voltage"}, {kAlias, "nowhere"}},
     Direction::InOut,
     ValueType::Float,
     kNoEarlierError},
    {"element not a leaf",
     {{kDpe, "P1.state"}},
     Direction::InOut,
     ValueType::Float,
     kNoEarlierError},
    {"value error, float",
     kVoltage,
     Direction::InOut,
     ValueType::Float,
     {kValue, "unknown data type 'int'"}},
    {"value error, time",
     kStamp,
     Direction::InOut,
     ValueType::Int64,
     {kValue, "unknown data type 'int'"}},
    {"direction error, float",
     kVoltage,
     Direction::InOut,
     ValueType::Float,
     {kDirection, "unknown direction 'IN'"}},
    {"direction error, time",
     kStamp,
     Direction::Out,
     ValueType::Int64,
     {kDirection, "unknown direction 'IN'"}},
};

TEST_F(TypeCompatibilityTest, AnEarlierErrorOnTheFourGatingAttributesSuppressesTheLookups) {
  for (const GateRow& row : kGateRows) {
    SCOPED_TRACE(row.what);
    Block block;
    prepare(block, row.elementLines, row.direction, row.valueType);
    block.setAttributeError(row.earlierError.first, row.earlierError.second);
    const std::string dpeError = block.attributeError(kDpe);
    const std::string aliasError = block.attributeError(kAlias);
    ASSERT_FALSE(dpeError.empty() && aliasError.empty() && row.earlierError.second.empty());
    EXPECT_TRUE(block.checkTypeCompatibility());
    EXPECT_EQ(block.attributeError(kDpe), dpeError);
    EXPECT_EQ(block.attributeError(kAlias), aliasError);
    EXPECT_EQ(block.setter, nullptr);
    EXPECT_EQ(block.getter, nullptr);
  }
}

TEST_F(TypeCompatibilityTest, ErrorsOnOtherAttributesDoNotGate) {
  Block block;
  prepare(block, kStamp, Direction::Out, ValueType::Int64);
  for (AttributeIndex index : {kClassName, kDeviceName, kProperty, kTime}) {
    block.setAttributeError(index, "earlier");
  }
  block.addError(1, "syntax");
  EXPECT_FALSE(block.checkTypeCompatibility());
  EXPECT_EQ(block.attributeError(kDpe), kTimeToLongLong);
  EXPECT_EQ(block.attributeError(kAlias), kTimeToLongLong);
}

using SetterKey = std::optional<ds::SetterKey>;
using GetterKey = std::optional<ds::GetterKey>;
constexpr std::nullopt_t kNull = std::nullopt;

struct LookupRow {
  const char* what;
  KeyLines elementLines;
  Direction direction;
  ValueType valueType;
  std::string message;  // expected on "dpe" and "alias"; empty: nothing missing
  SetterKey setter;     // the key whose converter the block keeps; kNull: none kept
  GetterKey getter;
};

const LookupRow kLookupRows[] = {
    {"out: only the setter", kVoltage, Direction::Out, ValueType::Float, "",
     ds::SetterKey{DPELEMENT_FLOAT, ValueType::Float, 0}, kNull},
    {"in: only the getter", kVoltage, Direction::In, ValueType::Int16, "", kNull,
     ds::GetterKey{ValueType::Int16, 0, DPELEMENT_FLOAT}},
    {"in/out: both, element through an alias",
     {{kAlias, "p1"}, {kDpe, "label"}},
     Direction::InOut,
     ValueType::Bool,
     "",
     ds::SetterKey{DPELEMENT_TEXT, ValueType::Bool, 0},
     ds::GetterKey{ValueType::Bool, 0, DPELEMENT_TEXT}},
    {"dyn element, in/out: both as arrays",
     {{kDpe, "P1.history"}},
     Direction::InOut,
     ValueType::String,
     "",
     ds::SetterKey{DPELEMENT_DYNFLOAT, ValueType::String, 1},
     ds::GetterKey{ValueType::String, 1, DPELEMENT_DYNFLOAT}},
    // A time element is served for "double" only.
    {"time, in/out double", kStamp, Direction::InOut, ValueType::Double, "",
     ds::SetterKey{DPELEMENT_TIME, ValueType::Double, 0},
     ds::GetterKey{ValueType::Double, 0, DPELEMENT_TIME}},
    {"time, out longlong", kStamp, Direction::Out, ValueType::Int64, kTimeToLongLong, kNull, kNull},
    {"time, in longlong", kStamp, Direction::In, ValueType::Int64, kLongLongToTime, kNull, kNull},
    {"time, in/out longlong: the setter's message", kStamp, Direction::InOut, ValueType::Int64,
     kTimeToLongLong, kNull, kNull},
    {"time through an alias, out boolean",
     {{kAlias, "p1_stamp"}},
     Direction::Out,
     ValueType::Bool,
     "conversion from time to scalar boolean is not implemented",
     kNull,
     kNull},
    {"dyn time, in/out double", kStamps, Direction::InOut, ValueType::Double, "",
     ds::SetterKey{DPELEMENT_DYNTIME, ValueType::Double, 1},
     ds::GetterKey{ValueType::Double, 1, DPELEMENT_DYNTIME}},
    {"dyn time, in string", kStamps, Direction::In, ValueType::String,
     "conversion from 1-dimensional array of string to dyn_time is not implemented", kNull, kNull},
    {"dyn time, out float", kStamps, Direction::Out, ValueType::Float,
     "conversion from dyn_time to array of float is not implemented", kNull, kNull},
};

TEST_F(TypeCompatibilityTest, LooksUpTheConvertersThatTheDirectionNeeds) {
  for (const LookupRow& row : kLookupRows) {
    SCOPED_TRACE(row.what);
    Block block;
    prepare(block, row.elementLines, row.direction, row.valueType);
    ASSERT_EQ(block.attributeError(kDpe), "");
    EXPECT_EQ(block.checkTypeCompatibility(), row.message.empty());
    EXPECT_EQ(block.attributeError(kDpe), row.message);
    EXPECT_EQ(block.attributeError(kAlias), row.message);
    EXPECT_EQ(block.setter, row.setter ? ds::setterRegistry().at(*row.setter) : nullptr);
    EXPECT_EQ(block.getter, row.getter ? ds::getterRegistry().at(*row.getter) : nullptr);
  }
}

// The same check as the last step of validate, fed by the words of the file.
struct ValidateRow {
  const char* what;
  KeyLines lines;
  std::string dpeError;  // the same on "alias"
  bool setterKept;
  bool getterKept;
};

KeyLines stampBlock(const char* direction, const char* value) {
  return {{kDeviceName, "Dev"},
          {kProperty, "P"},
          {kDpe, "P1.stamp"},
          {kDirection, direction},
          {kValue, value}};
}

const ValidateRow kValidateRows[] = {
    {"time, in/out double", stampBlock("in/out", "double"), "", true, true},
    {"time, out longlong", stampBlock("out", "longlong"), kTimeToLongLong, false, false},
    {"time, in longlong", stampBlock("in", "longlong"), kLongLongToTime, false, false},
    {"time, direction in upper case", stampBlock("IN", "longlong"), "", false, false},
    {"time, value unknown", stampBlock("in", "int"), "", false, false},
    {"time, no direction",
     {{kDeviceName, "Dev"}, {kProperty, "P"}, {kDpe, "P1.stamp"}, {kValue, "long"}},
     "",
     false,
     false},
    {"time, no property still checked",
     {{kDeviceName, "Dev"}, {kDpe, "P1.stamp"}, {kDirection, "out"}, {kValue, "short"}},
     "conversion from time to scalar short is not implemented",
     false,
     false},
};

TEST_F(TypeCompatibilityTest, ValidateEndsWithTheCompatibilityCheck) {
  for (const ValidateRow& row : kValidateRows) {
    SCOPED_TRACE(row.what);
    Block block;
    fill(block, row.lines);
    block.validate();
    EXPECT_EQ(block.attributeError(kDpe), row.dpeError);
    EXPECT_EQ(block.attributeError(kAlias), row.dpeError);
    EXPECT_EQ(block.setter != nullptr, row.setterKept);
    EXPECT_EQ(block.getter != nullptr, row.getterKept);
  }
}

TEST_F(TypeCompatibilityTest, FreshAndResetBlocksHoldNoConverters) {
  Block block;
  EXPECT_EQ(block.setter, nullptr);
  EXPECT_EQ(block.getter, nullptr);
  fill(block, {{kDpe, "P1.voltage"}, {kDirection, "in/out"}, {kValue, "float"}});
  block.validate();
  ASSERT_NE(block.setter, nullptr);
  ASSERT_NE(block.getter, nullptr);
  block.reset();
  EXPECT_EQ(block.setter, nullptr);
  EXPECT_EQ(block.getter, nullptr);
}

}  // namespace
}  // namespace trel::quorlinsrv
