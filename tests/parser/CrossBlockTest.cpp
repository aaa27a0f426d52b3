#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "parser/QuorlinServerConfigParser.hpp"
#include "tests/golden/DpConfigurationFixture.hpp"

namespace trel::quorlinsrv {
namespace {

const char* const kDataPoints = R"(
type Plant 1
  s 21
  a 5
dp X Plant
)";

// The four lines of one mapping of a scalar element (an array one with `element` "X.a").
std::string mapping(const std::string& property, const std::string& direction,
                    const std::string& value, const std::string& element = "X.s") {
  return "dpe=" + element + "\nproperty=" + property + "\ndirection=" + direction +
         "\nvalue=" + value + "\n";
}

struct Finding {
  std::size_t block;  // 1-based
  AttributeIndex attribute;
  std::string text;
};

struct CrossRow {
  const char* what;
  std::string text;
  std::vector<Finding> findings;  // every attribute error of every block
  std::string summary;
};

const std::string kNoProperty = "there is no such property in device ";

const CrossRow kCrossRows[] = {
    {"devices of one class alike",
     "[P1 _instance_of_ K]\n" + mapping("Speed", "in", "long") + "time=double\n" +
         mapping("Flow", "out", "float", "X.a") + "[P2 _instance_of_ K]\n" +
         mapping("Flow", "out", "float", "X.a") + mapping("Speed", "in", "long") + "time=double\n",
     {},
     ""},
    {"direction differs",
     "#\n#\n[Pump1 _instance_of_ Pump]\n" + mapping("Speed", "out", "long") +
         std::string(11, '\n') + "[Pump2 _instance_of_ Pump]\n" + mapping("Speed", "in", "long") +
         "\n\n",
     {{2, kClassName,
       "Class Pump: direction in of property Speed found in device Pump2 (lines 20...25) does "
       "not correspond to direction out of the same property in device Pump1, starting at line "
       "4"}},
     "Validation error(s)"},
    {"rank differs",
     "#\n#\n[Pump1 _instance_of_ Pump]\n" + mapping("Speed", "out", "long") +
         std::string(11, '\n') + "[Pump2 _instance_of_ Pump]\n" +
         mapping("Speed", "out", "long", "X.a") + "\n\n",
     {{2, kClassName,
       "Class Pump: rank 1 of property Speed found in device Pump2 (lines 20...25) does not "
       "correspond to rank 0 of the same property in device Pump1, starting at line 4"}},
     "Validation error(s)"},
    {"own time error skips the time test",
     "[P1 _instance_of_ K]\n" + mapping("Speed", "in", "long") + "time=longlong\n" +
         "[P2 _instance_of_ K]\n" + mapping("Speed", "in", "long") + "time=bogus\n",
     {{2, kTime, "unknown time type 'bogus'"}},
     "Validation error(s)"},
    {"missing property named once, by the first device lacking it",
     "[R _instance_of_ K]\n" + mapping("A", "in", "long") + mapping("B", "in", "long") +
         mapping("C", "in", "long") + "[D2 _instance_of_ K]\n" + mapping("A", "in", "long") +
         "[D3 _instance_of_ K]\n" + mapping("B", "in", "long"),
     {{1, kClassName,
       "Class K: property A found in device R (lines 2...5), but " + kNoProperty +
           "D3, starting at line 20"},
      {2, kClassName,
       "Class K: property B found in device R (lines 6...9), but " + kNoProperty +
           "D2, starting at line 15"},
      {3, kClassName,
       "Class K: property C found in device R (lines 10...13), but " + kNoProperty +
           "D2, starting at line 15"}},
     "Validation error(s)"},
    {"device seen again is compared with its own first run",
     "[D1 _instance_of_ K]\n" + mapping("A", "in", "long") + "[D2 _instance_of_ K]\n" +
         mapping("A", "in", "long") + "[D1 _instance_of_ K]\n" + mapping("B", "in", "long"),
     {{1, kClassName,
       "Class K: property A found in device D1 (lines 2...5), but " + kNoProperty +
           "D1, starting at line 12"},
      {3, kDeviceName, "Quorlin device name is not unique"},
      {3, kClassName,
       "Class K: property B found in device D1 (lines 12...15), but " + kNoProperty +
           "D1, starting at line 2"}},
     "Validation error(s)"},
    {"repeated property replaces its own repeat message",
     "[D1]\n" + mapping("A", "in", "long") + "dpe=X.s\nproperty=A\nproperty=A\ndirection=in\n" +
         "value=long\n",
     {{2, kProperty, "Property name is not unique within device"}},
     "Validation error(s)"},
};

class CrossBlockTest : public test::DpConfigurationFixture {
 protected:
  CrossBlockTest() : DpConfigurationFixture(kDataPoints) {}
};

TEST_F(CrossBlockTest, FindingsLandOnTheAttributesTheyConcern) {
  for (const CrossRow& row : kCrossRows) {
    SCOPED_TRACE(row.what);
    QuorlinServerConfigParser parser;
    QuorlinServerConfigParser::BlockList blocks;
    std::istringstream input(row.text);
    parser.readLines(input, blocks);
    std::string error;
    EXPECT_EQ(parser.validateBlocks(blocks, error), row.summary.empty());
    EXPECT_EQ(error, row.summary);
    for (std::size_t b = 0; b < blocks.size(); ++b) {
      EXPECT_EQ(blocks[b]->blockError(), "") << "block " << b + 1;
      for (std::int32_t i = 0; i < kAttributeCount; ++i) {
        const auto index = static_cast<AttributeIndex>(i);
        std::string expected;
        for (const Finding& finding : row.findings) {
          if (finding.block == b + 1 && finding.attribute == index) {
            expected = finding.text;
          }
        }
        EXPECT_EQ(blocks[b]->attributeError(index), expected)
            << "block " << b + 1 << ", attribute " << i;
      }
    }
  }
}

TEST_F(CrossBlockTest, NoBlocksMeansNoConfiguration) {
  QuorlinServerConfigParser parser;
  std::string error;
  EXPECT_FALSE(parser.validateBlocks({}, error));
  EXPECT_EQ(error, "No configuration found in file");
}

}  // namespace
}  // namespace trel::quorlinsrv
