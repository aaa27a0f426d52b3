#include <gtest/gtest.h>

#include "host/DpConfiguration.hpp"
#include "host/Manager.hpp"

namespace {

DpTypeNode leaf(const char* name, DpElementType type) {
  return DpTypeNode{name, type, {}, {}};
}

class DpConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DpConfiguration& config = DpConfiguration::instance();
    config.clear();
    std::string error;
    DpTypeNode range{"Range", DPELEMENT_RECORD, {}, {leaf("min", DPELEMENT_FLOAT)}};
    ASSERT_TRUE(config.addType(range, error)) << error;
    DpTypeNode supply{"PowerSupply",
                      DPELEMENT_RECORD,
                      {},
                      {leaf("voltage", DPELEMENT_FLOAT), leaf("history", DPELEMENT_DYNFLOAT),
                       DpTypeNode{"limits", DPELEMENT_TYPEREF, "Range", {}},
                       DpTypeNode{"vendor", DPELEMENT_TYPEREF, "NotExported", {}},
                       DpTypeNode{"state", DPELEMENT_RECORD, {}, {leaf("on", DPELEMENT_BIT)}}}};
    ASSERT_TRUE(config.addType(supply, error)) << error;
    ASSERT_TRUE(config.addType(leaf("EB_Int", DPELEMENT_INT), error)) << error;
    ASSERT_TRUE(config.addDataPoint("PS1", "PowerSupply", error)) << error;
    ASSERT_TRUE(config.addDataPoint("Counter7", "EB_Int", error)) << error;
    ASSERT_TRUE(config.addAlias("ps1_voltage", "PS1.voltage", error)) << error;
    ASSERT_TRUE(config.addAlias("ps1", "PS1.", error)) << error;
  }
  void TearDown() override { DpConfiguration::instance().clear(); }
};

TEST_F(DpConfigurationTest, ResolvesNamesWithAndWithoutSystemPrefixAndRootDot) {
  struct Row {
    const char* name;
    int found;
    DpElementType type;
  };
  const Row rows[] = {
      {"PS1.voltage", 1, DPELEMENT_FLOAT},
      {"System1:PS1.voltage", 1, DPELEMENT_FLOAT},
      {"PS1", 1, DPELEMENT_RECORD},
      {"PS1.", 1, DPELEMENT_RECORD},
      {"System1:PS1.", 1, DPELEMENT_RECORD},
      {"PS1.history", 1, DPELEMENT_DYNFLOAT},
      {"PS1.state.on", 1, DPELEMENT_BIT},
      {"PS1.limits", 1, DPELEMENT_TYPEREF},
      {"PS1.limits.min", 1, DPELEMENT_FLOAT},
      {"PS1.vendor", 1, DPELEMENT_TYPEREF},
      {"Counter7", 1, DPELEMENT_INT},
      {"Counter7.", 1, DPELEMENT_INT},
      {"System2:PS1.voltage", 0, DPELEMENT_NOELEMENT},
      {"PS1.Voltage", 0, DPELEMENT_NOELEMENT},
      {"PS1.voltage.", 0, DPELEMENT_NOELEMENT},
      {"", 0, DPELEMENT_NOELEMENT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DpIdentifier id;
    ASSERT_EQ(Manager::getId(row.name, id), row.found);
    if (row.found == 0)
      continue;
    DpElementType type = DPELEMENT_NOELEMENT;
    ASSERT_EQ(Manager::getElementType(id, type), 1);
    EXPECT_EQ(type, row.type);
  }
  DpElementType type;
  EXPECT_EQ(Manager::getElementType(DpIdentifier{99, 0}, type), 0);
}

TEST_F(DpConfigurationTest, AliasGivesTheElementNameAsDefined) {
  CharString name;
  ASSERT_EQ(Manager::getName("ps1_voltage", name), 1);
  EXPECT_STREQ(name, "PS1.voltage");
  ASSERT_EQ(Manager::getName("ps1", name), 1);
  EXPECT_STREQ(name, "PS1.");
  EXPECT_EQ(Manager::getName("unknown", name), 0);
}

TEST_F(DpConfigurationTest, RejectsDuplicatesUnknownTypesAndReferenceCycles) {
  DpConfiguration& config = DpConfiguration::instance();
  std::string error;
  EXPECT_FALSE(config.addDataPoint("PS1", "PowerSupply", error));
  EXPECT_FALSE(config.addDataPoint("PS2", "NoSuchType", error));
  EXPECT_FALSE(config.addAlias("ps1", "PS1.voltage", error));
  ASSERT_TRUE(config.addType(
      DpTypeNode{"A", DPELEMENT_RECORD, {}, {DpTypeNode{"b", DPELEMENT_TYPEREF, "B", {}}}}, error));
  ASSERT_TRUE(config.addType(
      DpTypeNode{"B", DPELEMENT_RECORD, {}, {DpTypeNode{"a", DPELEMENT_TYPEREF, "A", {}}}}, error));
  std::size_t elements = config.getElementCount();
  error.clear();
  EXPECT_FALSE(config.addDataPoint("Loop", "A", error));
  EXPECT_NE(error.find("cycle"), std::string::npos) << error;
  EXPECT_EQ(config.getElementCount(), elements);  // nothing of the failed data point stays
  DpIdentifier id;
  EXPECT_EQ(Manager::getId("Loop.", id), 0);
}

TEST(DpElTypeTest, NamesLeavesAndDyns) {
  struct Row {
    int code;
    const char* name;
    int leaf;
    int dyn;
  };
  const Row rows[] = {{1, "struct", 0, 0},     {19, "char", 1, 0},      {20, "uint", 1, 0},
                      {21, "int", 1, 0},       {22, "float", 1, 0},     {23, "bool", 1, 0},
                      {24, "bit32", 1, 0},     {25, "string", 1, 0},    {26, "time", 1, 0},
                      {50, "bit64", 1, 0},     {54, "long", 1, 0},      {58, "ulong", 1, 0},
                      {3, "dyn_char", 1, 1},   {4, "dyn_uint", 1, 1},   {5, "dyn_int", 1, 1},
                      {6, "dyn_float", 1, 1},  {7, "dyn_bool", 1, 1},   {8, "dyn_bit32", 1, 1},
                      {9, "dyn_string", 1, 1}, {10, "dyn_time", 1, 1},  {51, "dyn_bit64", 1, 1},
                      {55, "dyn_long", 1, 1},  {59, "dyn_ulong", 1, 1}, {41, "typeref", 0, 0},
                      {0, "unknown", 0, 0},    {2, "unknown", 0, 0},    {-1, "unknown", 0, 0},
                      {42, "unknown", 0, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    auto type = static_cast<DpElementType>(row.code);
    EXPECT_STREQ(DpElType::getName(type), row.name);
    EXPECT_EQ(DpElType::isLeafType(type) != 0, row.leaf != 0);
    EXPECT_EQ(DpElType::isDynType(type) != 0, row.dyn != 0);
  }
}

}  // namespace
