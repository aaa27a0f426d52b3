#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "config/QuorlinServerConfigDpeBlock.hpp"
#include "tests/golden/DpConfigurationFixture.hpp"

namespace trel::quorlinsrv {
namespace {

using Block = QuorlinServerConfigDpeBlock;

const char* const kDataPoints = R"(
type Range 1
  min 22
type Supply 1
  voltage 22
  history 6
  state 1
    on 23
  limits 41 Range
dp PS1 Supply
alias ps1 PS1.
alias ps1_voltage PS1.voltage
alias nowhere PS9.voltage
)";

class DpeBlockTest : public test::DpConfigurationFixture {
 protected:
  DpeBlockTest() : DpConfigurationFixture(kDataPoints) {}
};

using KeyLines = std::vector<std::pair<AttributeIndex, std::string>>;

// A block as the reader leaves it: the key lines from line 10 on, then the header's names.
void fill(Block& block, const KeyLines& lines) {
  std::uint32_t line = 10;
  // A block keeps views of its values: the texts stay for the whole test program.
  static std::deque<std::string> texts;
  for (const auto& [index, value] : lines) {
    block.setAttribute(line++, index, texts.emplace_back(value));
  }
}

TEST_F(DpeBlockTest, FreshBlockIsEmptyAndHasNoLines) {
  Block block;
  EXPECT_TRUE(block.isEmpty());
  EXPECT_FALSE(block.hasErrors());
  EXPECT_EQ(block.errorText(), "");
  EXPECT_EQ(block.positionedErrorText(), "line(s) 0: ");
}

TEST_F(DpeBlockTest, BlockErrorsJoinByLineFeedAndWidenTheRange) {
  Block block;
  block.addError(5, "a");
  block.addError(6, "b");
  EXPECT_FALSE(block.isEmpty());
  EXPECT_EQ(block.blockError(), "a\nb");
  EXPECT_EQ(block.firstLine, 5u);
  EXPECT_EQ(block.lastLine, 6u);
  EXPECT_EQ(block.positionedErrorText(), "line(s) 5...6: a\nb");
}

TEST_F(DpeBlockTest, OneLineBlockShowsItsLineTwice) {
  Block block;
  block.setAttribute(7, kProperty, "p");
  block.setAttributeError(kProperty, "bad");
  EXPECT_FALSE(block.isEmpty());
  EXPECT_EQ(block.positionedErrorText(), "line(s) 7...7: bad");
}

TEST_F(DpeBlockTest, ErrorTextPrefersBlockErrorThenLowestAttributeIndex) {
  Block block;
  block.setAttributeError(kProperty, "property error");
  block.setAttributeError(kTime, "time error");
  EXPECT_EQ(block.errorText(), "property error");
  block.setAttributeError(kDpe, "dpe error");
  EXPECT_EQ(block.errorText(), "dpe error");
  block.addError(3, "syntax");
  EXPECT_EQ(block.errorText(), "syntax");
  EXPECT_TRUE(block.hasErrors());
}

TEST_F(DpeBlockTest, ResetKeepsDerivedCodes) {
  Block block;
  fill(block, {{kDirection, "out"}, {kValue, "long"}, {kDpe, "PS1.history"}});
  block.validate();
  ASSERT_TRUE(block.isArray);
  block.addError(30, "x");
  block.reset();
  EXPECT_TRUE(block.isEmpty());
  EXPECT_FALSE(block.isArray);
  EXPECT_EQ(block.firstLine, 0u);
  EXPECT_EQ(block.lastLine, 0u);
  EXPECT_EQ(block.direction, Direction::Out);
  EXPECT_EQ(block.valueType, ValueType::Int32);
}

// One block's key lines and the errors validate must leave on each attribute.
struct ValidateRow {
  const char* what;
  KeyLines lines;
  std::vector<std::pair<AttributeIndex, std::string>> expectedErrors;  // all others empty
};

const KeyLines kValid = {{kDeviceName, "Dev"}, {kProperty, "P"},    {kDirection, "in/out"},
                         {kValue, "float"},    {kTime, "longlong"}, {kDpe, "PS1.voltage"}};

KeyLines validWith(const KeyLines& changes) {
  KeyLines lines;
  for (const auto& line : kValid) {
    bool replaced = false;
    for (const auto& change : changes) {
      replaced = replaced || change.first == line.first;
    }
    if (!replaced) {
      lines.push_back(line);
    }
  }
  lines.insert(lines.end(), changes.begin(), changes.end());
  return lines;
}

KeyLines validWithout(AttributeIndex index) {
  KeyLines lines;
  for (const auto& line : kValid) {
    if (line.first != index) {
      lines.push_back(line);
    }
  }
  return lines;
}

const std::string kBothEmpty = "both alias and DPE name are empty";

const ValidateRow kValidateRows[] = {
    {"all valid", kValid, {}},
    {"device name missing",
     validWithout(kDeviceName),
     {{kDeviceName, "mandatory attribute 'Quorlin device name' didn't appear in config file"}}},
    {"device name empty",
     validWith({{kDeviceName, ""}}),
     {{kDeviceName,
       "the value of mandatory attribute 'Quorlin device name' is empty in config "
       "file"}}},
    {"property twice",
     validWith({{kProperty, "P"}, {kProperty, "Q"}}),
     {{kProperty, "attribute 'property' appeared 2 times for this block"}}},
    {"direction missing",
     validWithout(kDirection),
     {{kDirection, "mandatory attribute 'direction' didn't appear in config file"}}},
    {"direction upper case",
     validWith({{kDirection, "IN"}}),
     {{kDirection, "unknown direction 'IN'"}}},
    {"value empty",
     validWith({{kValue, ""}}),
     {{kValue, "the value of mandatory attribute 'value' is empty in config file"}}},
    {"value unknown", validWith({{kValue, "Boolean"}}), {{kValue, "unknown data type 'Boolean'"}}},
    {"time absent", validWithout(kTime), {}},
    {"time empty", validWith({{kTime, ""}}), {}},
    {"time unknown", validWith({{kTime, "seconds"}}), {{kTime, "unknown time type 'seconds'"}}},
    {"time twice, second empty",
     validWith({{kTime, "none"}, {kTime, ""}}),
     {{kTime, "attribute 'time' appeared 2 times for this block"}}},
    {"neither dpe nor alias", validWithout(kDpe), {{kDpe, kBothEmpty}, {kAlias, kBothEmpty}}},
    {"dpe and alias given empty",
     validWith({{kDpe, ""}, {kAlias, ""}}),
     {{kDpe, kBothEmpty}, {kAlias, kBothEmpty}}},
    {"several errors at once",
     {{kDeviceName, "Dev"}, {kDirection, "both"}, {kValue, "float"}, {kValue, "long"}},
     {{kProperty, "mandatory attribute 'property' didn't appear in config file"},
      {kDirection, "unknown direction 'both'"},
      {kValue, "attribute 'value' appeared 2 times for this block"},
      {kDpe, kBothEmpty},
      {kAlias, kBothEmpty}}},
};

TEST_F(DpeBlockTest, ValidateStoresEachFindingOnItsAttribute) {
  for (const ValidateRow& row : kValidateRows) {
    SCOPED_TRACE(row.what);
    Block block;
    fill(block, row.lines);
    block.validate();
    for (std::int32_t i = 0; i < kAttributeCount; ++i) {
      const auto index = static_cast<AttributeIndex>(i);
      std::string expected;
      for (const auto& [errorIndex, text] : row.expectedErrors) {
        expected = errorIndex == index ? text : expected;
      }
      EXPECT_EQ(block.attributeError(index), expected) << "attribute " << i;
    }
    EXPECT_EQ(block.blockError(), "");
  }
}

TEST_F(DpeBlockTest, ValidateParsesTheWordsIntoCodes) {
  Block block;
  fill(block, kValid);
  block.validate();
  EXPECT_EQ(block.direction, Direction::InOut);
  EXPECT_EQ(block.valueType, ValueType::Float);
  EXPECT_EQ(block.timeType, TimeType::LongLong);
  EXPECT_FALSE(block.isArray);
}

TEST_F(DpeBlockTest, MissingTimeMeansNoneAndFailedWordsLeaveCodesAlone) {
  Block block;
  fill(block, validWith({{kDirection, "sideways"}, {kValue, "int"}, {kTime, ""}}));
  block.direction = Direction::In;
  block.valueType = ValueType::String;
  block.timeType = TimeType::Double;
  block.validate();
  EXPECT_EQ(block.direction, Direction::In);
  EXPECT_EQ(block.valueType, ValueType::String);
  EXPECT_EQ(block.timeType, TimeType::None);
}

TEST_F(DpeBlockTest, ValidateKeepsAHeaderErrorOnTheDeviceName) {
  Block block;
  fill(block, kValid);
  block.setAttributeError(kDeviceName, "header error");
  block.validate();
  EXPECT_EQ(block.attributeError(kDeviceName), "header error");
  EXPECT_EQ(block.errorText(), "header error");
}

// How "dpe" and "alias" resolve against the configuration above.
struct DpeRow {
  const char* what;
  KeyLines lines;
  std::string dpeError;
  std::string aliasError;
  bool found;
  bool isArray;
  std::string dpeName;
};

const DpeRow kDpeRows[] = {
    {"leaf", {{kDpe, "PS1.voltage"}}, "", "", true, false, "PS1.voltage"},
    {"leaf with system name",
     {{kDpe, "System1:PS1.voltage"}},
     "",
     "",
     true,
     false,
     "System1:PS1.voltage"},
    {"dyn leaf", {{kDpe, "PS1.history"}}, "", "", true, true, "PS1.history"},
    {"leaf below a reference", {{kDpe, "PS1.limits.min"}}, "", "", true, false, "PS1.limits.min"},
    {"alias of a leaf", {{kAlias, "ps1_voltage"}}, "", "", true, false, "PS1.voltage"},
    {"alias of the root plus dpe",
     {{kDpe, "voltage"}, {kAlias, "ps1"}},
     "",
     "",
     true,
     false,
     "PS1.voltage"},
    {"alias plus dpe, appended without separator",
     {{kDpe, ".voltage"}, {kAlias, "ps1"}},
     "Unknown DPE PS1..voltage",
     "Unknown DPE PS1..voltage",
     false,
     false,
     "PS1..voltage"},
    {"unknown element",
     {{kDpe, "PS1.missing"}},
     "Unknown DPE PS1.missing",
     "Unknown DPE PS1.missing",
     false,
     false,
     "PS1.missing"},
    {"alias of an unknown element",
     {{kAlias, "nowhere"}},
     "Unknown DPE PS9.voltage",
     "Unknown DPE PS9.voltage",
     false,
     false,
     "PS9.voltage"},
    {"struct",
     {{kDpe, "PS1.state"}},
     "DPE PS1.state is not a leaf, i.e element does NOT have original config",
     "DPE PS1.state is not a leaf, i.e element does NOT have original config",
     false,
     false,
     "PS1.state"},
    {"type reference",
     {{kDpe, "PS1.limits"}},
     "DPE PS1.limits is not a leaf, i.e element does NOT have original config",
     "DPE PS1.limits is not a leaf, i.e element does NOT have original config",
     false,
     false,
     "PS1.limits"},
    {"alias of the root alone",
     {{kAlias, "ps1"}},
     "DPE PS1. is not a leaf, i.e element does NOT have original config",
     "DPE PS1. is not a leaf, i.e element does NOT have original config",
     false,
     false,
     "PS1."},
    {"unknown alias, valid dpe not looked up alone",
     {{kDpe, "PS1.voltage"}, {kAlias, "no_such_alias"}},
     "",
     "Failed to convert alias to DP/DPE name",
     false,
     false,
     ""},
    {"dpe three times: alias neither checked nor resolved",
     {{kDpe, "PS1.voltage"}, {kDpe, "x"}, {kDpe, "y"}, {kAlias, "a"}, {kAlias, "b"}},
     "attribute 'dpe' appeared 3 times for this block",
     "",
     false,
     false,
     "unchanged"},
    {"alias twice",
     {{kDpe, "voltage"}, {kAlias, "ps1"}, {kAlias, "ps1"}},
     "",
     "attribute 'alias' appeared 2 times for this block",
     false,
     false,
     "unchanged"},
};

TEST_F(DpeBlockTest, CheckDpeResolvesTheElementThroughTheHost) {
  for (const DpeRow& row : kDpeRows) {
    SCOPED_TRACE(row.what);
    Block block;
    fill(block, row.lines);
    EXPECT_EQ(block.checkDpe(), row.found);
    EXPECT_EQ(block.attributeError(kDpe), row.dpeError);
    EXPECT_EQ(block.attributeError(kAlias), row.aliasError);
    EXPECT_EQ(block.isArray, row.isArray);
  }
}

TEST_F(DpeBlockTest, CheckDpeRecordsIdentifierAndTypeOfTheElement) {
  Block block;
  fill(block, {{kDpe, "PS1.history"}});
  ASSERT_TRUE(block.checkDpe());
  DpIdentifier expected;
  ASSERT_TRUE(DpConfiguration::instance().findElement("PS1.history", expected));
  EXPECT_EQ(block.dpId, expected);
  EXPECT_EQ(block.elementType, DPELEMENT_DYNFLOAT);
}

}  // namespace
}  // namespace trel::quorlinsrv
