// The benchmark generator: deterministic for a seed, and its files mean what it says they mean:
// the parser finds errors in exactly the blocks it made faulty, each for the fault it was given,
// and the DP list reader accepts its DP list as the same configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "bench/gen/ConfigGenerator.hpp"
#include "parser/QuorlinServerConfigParser.hpp"
#include "tools/DpListReader.hpp"

namespace trel::quorlinsrv::bench {
namespace {

GeneratorOptions smallOptions() {
  GeneratorOptions options;
  options.blocks = 4000;
  options.propertiesPerDevice = 8;
  options.classes = 12;
  options.faultShare = 0.05;
  options.seed = 7;
  return options;
}

struct Outcome {
  QuorlinServerConfigParser::BlockList blocks;
  std::string summary;
  std::string comment;
};

// Reads and validates `text` against the host configuration that `set` fills.
Outcome validate(const GeneratedSet& set, const std::string& text) {
  DpConfiguration& config = DpConfiguration::instance();
  config.clear();
  std::string error;
  EXPECT_TRUE(fillDpConfiguration(set, config, error)) << error;
  Outcome outcome;
  QuorlinServerConfigParser parser;
  std::istringstream input(text);
  parser.readLines(input, outcome.blocks);
  parser.validateBlocks(outcome.blocks, outcome.summary);
  outcome.comment = parser.comment;
  return outcome;
}

bool anyErrorContains(const QuorlinServerConfigDpeBlock& block, const std::string& part) {
  for (int index = 0; index < kAttributeCount; ++index) {
    if (block.attributeError(static_cast<AttributeIndex>(index)).find(part) != std::string::npos) {
      return true;
    }
  }
  return false;
}

TEST(BenchGenerator, SameSeedGivesTheSameBytesAndAnotherSeedOthers) {
  GeneratorOptions options = smallOptions();
  ConfigCounts first;
  ConfigCounts second;
  const std::string text = configText(planSet(options), first);
  EXPECT_EQ(text, configText(planSet(options), second));
  EXPECT_EQ(dpListText(planSet(options)), dpListText(planSet(options)));
  options.seed = 8;
  ConfigCounts other;
  EXPECT_NE(text, configText(planSet(options), other));
}

TEST(BenchGenerator, CountsDescribeTheText) {
  const GeneratedSet set = planSet(smallOptions());
  ConfigCounts counts;
  const std::string text = configText(set, counts);
  EXPECT_EQ(counts.bytes, text.size());
  EXPECT_EQ(counts.lines, static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n')));
  EXPECT_EQ(counts.blocks, 4000u);
  EXPECT_EQ(set.devices.size(), 500u);
  // 5 % of 4000 blocks, within what chance allows.
  EXPECT_GT(counts.faultyBlocks(), 150u);
  EXPECT_LT(counts.faultyBlocks(), 250u);
  for (std::uint64_t perKind : counts.faults) {
    EXPECT_GT(perKind, 0u);
  }
}

TEST(BenchGenerator, WithoutFaultsTheConfigIsValid) {
  GeneratorOptions options = smallOptions();
  options.faultShare = 0.0;
  const GeneratedSet set = planSet(options);
  ConfigCounts counts;
  const Outcome outcome = validate(set, configText(set, counts));
  EXPECT_EQ(outcome.summary, "");
  EXPECT_EQ(outcome.blocks.size(), counts.blocks);
  EXPECT_EQ(outcome.comment.substr(0, 1), "#");
  EXPECT_EQ(std::count(outcome.comment.begin(), outcome.comment.end(), '\n'),
            options.commentLines - 1);
}

TEST(BenchGenerator, EachFaultShowsOnItsBlockWithItsMessage) {
  const GeneratedSet set = planSet(smallOptions());
  ConfigCounts counts;
  const Outcome outcome = validate(set, configText(set, counts));
  ASSERT_EQ(outcome.blocks.size(), counts.blocks);
  EXPECT_EQ(outcome.summary, "Validation error(s)");

  std::uint64_t withErrors = 0;
  std::uint64_t unknownElement = 0;
  std::uint64_t badWord = 0;
  std::uint64_t repeated = 0;
  std::uint64_t mismatch = 0;
  for (const auto& block : outcome.blocks) {
    withErrors += block->hasErrors() ? 1 : 0;
    unknownElement += anyErrorContains(*block, "Unknown DPE ") ? 1 : 0;
    badWord += (anyErrorContains(*block, "unknown direction '") ||
                anyErrorContains(*block, "unknown data type '") ||
                anyErrorContains(*block, "unknown time type '"))
                   ? 1
                   : 0;
    repeated += anyErrorContains(*block, "attribute 'property' appeared 2 times") ? 1 : 0;
    mismatch += block->attributeError(kClassName).find(") does not correspond to direction ") !=
                        std::string::npos
                    ? 1
                    : 0;
  }
  EXPECT_EQ(withErrors, counts.faultyBlocks());
  EXPECT_EQ(unknownElement, counts.faults[static_cast<unsigned>(FaultKind::kUnknownElement)]);
  EXPECT_EQ(badWord, counts.faults[static_cast<unsigned>(FaultKind::kBadWord)]);
  EXPECT_EQ(repeated, counts.faults[static_cast<unsigned>(FaultKind::kRepeatedAttribute)]);
  EXPECT_EQ(mismatch, counts.faults[static_cast<unsigned>(FaultKind::kClassMismatch)]);
}

TEST(BenchGenerator, DpListReadsAsTheConfigurationItDescribes) {
  const GeneratedSet set = planSet(smallOptions());
  std::istringstream input(dpListText(set));
  DpList list;
  std::string error;
  ASSERT_TRUE(readDpList(input, "bench.dpl", list, error)) << error;
  DpConfiguration fromList;
  std::vector<DpListSummary> summaries;
  ASSERT_TRUE(loadDpLists({list}, fromList, summaries, error)) << error;

  DpConfiguration direct;
  ASSERT_TRUE(fillDpConfiguration(set, direct, error)) << error;
  EXPECT_EQ(fromList.getTypeCount(), set.classes.size());
  EXPECT_EQ(fromList.getDataPointCount(), set.devices.size());
  EXPECT_EQ(fromList.getTypeCount(), direct.getTypeCount());
  EXPECT_EQ(fromList.getElementCount(), direct.getElementCount());
  EXPECT_EQ(fromList.getAliasCount(), direct.getAliasCount());
  EXPECT_GT(fromList.getAliasCount(), 0u);

  // Every element a block names resolves the same way in both.
  for (const DeviceSpec& device : set.devices) {
    for (const PropertySpec& property : set.classes[device.classIndex].properties) {
      const std::string name = device.name + "." + property.element;
      DpIdentifier id;
      DpElementType listed = DPELEMENT_NOELEMENT;
      ASSERT_TRUE(fromList.findElement(name, id)) << name;
      ASSERT_TRUE(fromList.findElementType(id, listed)) << name;
      EXPECT_EQ(listed, property.elementType) << name;
    }
  }
}

}  // namespace
}  // namespace trel::quorlinsrv::bench
