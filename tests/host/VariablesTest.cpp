#include <gtest/gtest.h>

#include <memory>

#include "host/Variables.hpp"

namespace {

TEST(VariableTypeTest, NamesAndDynCodesOfTheCodesModulesRelyOn) {
  struct Row {
    VariableType type;
    const char* name;
  };
  const Row rows[] = {
      {INTEGER_VAR, "int"},
      {TEXT_VAR, "string"},
      {static_cast<VariableType>(0x120000), "dyn_string"},
      {static_cast<VariableType>(0x180000), "anytype"},
      {static_cast<VariableType>(0x230000), "dyn_anytype"},
      {static_cast<VariableType>(0x3a0000), "mapping"},
      {BIT_VAR, "bool"},
      {static_cast<VariableType>(0x12345), "unknown"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_STREQ(Variable::getTypeName(row.type), row.name);
  }
  EXPECT_EQ(DynVar(TEXT_VAR).isA(), 0x120000u);
  EXPECT_EQ(DynVar(ANYTYPE_VAR).isA(), 0x230000u);
  EXPECT_EQ(DynVar(static_cast<VariableType>(0x230000)).isA(), DYNDYNANYTYPE_VAR);
  EXPECT_EQ(DynVar(static_cast<VariableType>(0x10000)).isA(), DYN_VAR);
}

TEST(VariableTest, ConvertingAssignmentIntoEveryScalarClass) {
  TextVar text;
  text = IntegerVar(-42);
  EXPECT_STREQ(text, "-42");
  text = BitVar(true);
  EXPECT_STREQ(text, "TRUE");
  text = FloatVar(1.5);
  EXPECT_STREQ(text, "1.5");

  IntegerVar number;
  number = TextVar("17 apples");
  EXPECT_EQ(number.getValue(), 17);
  number = TextVar("none");
  EXPECT_EQ(number.getValue(), 0);
  number = FloatVar(1e20);  // clamped, never undefined
  EXPECT_EQ(number.getValue(), 2147483647);

  UIntegerVar unsignedNumber;
  unsignedNumber = IntegerVar(-3);
  EXPECT_EQ(unsignedNumber.getValue(), 0u);

  BitVar bit;
  bit = TextVar("TRUE");
  EXPECT_TRUE(bit.getValue());
  bit = IntegerVar(0);
  EXPECT_FALSE(bit.getValue());

  // An anytype is looked through; a container does not convert into a scalar.
  AnyTypeVar any(new IntegerVar(7));
  text = any;
  EXPECT_STREQ(text, "7");
  TextVar unchanged("keep");
  EXPECT_FALSE(unchanged.assign(MappingVar()));
  EXPECT_STREQ(unchanged, "keep");
}

TEST(VariableTest, TextKeepsEmbeddedNulBytes) {
  TextVar text("ab\0cd", 5);
  EXPECT_EQ(text.getValue().len(), 5u);
  EXPECT_STREQ(text, "ab");
  TextVar copy(text);
  EXPECT_EQ(copy.getValue().str(), std::string("ab\0cd", 5));
}

TEST(DynVarTest, OwnsItsElementsAndConvertsOnAssignment) {
  DynVar strings(TEXT_VAR);
  strings.append(new TextVar("a"));
  strings.append(nullptr);
  strings.append(IntegerVar(3));  // a copy; the element keeps its own class
  EXPECT_EQ(strings.getNumberOfItems(), 3u);
  EXPECT_EQ(strings.getAt(1), nullptr);
  EXPECT_EQ(strings.getAt(99), nullptr);

  DynVar converted(TEXT_VAR);
  ASSERT_TRUE(converted.assign(strings));
  ASSERT_EQ(converted.getNumberOfItems(), 3u);
  EXPECT_EQ(converted.getAt(2)->isA(), TEXT_VAR);
  EXPECT_STREQ(*static_cast<TextVar*>(converted.getAt(2)), "3");

  std::unique_ptr<Variable> copy(strings.clone());
  strings.clear();
  EXPECT_EQ(static_cast<DynVar&>(*copy).getNumberOfItems(), 3u);
}

TEST(MappingVarTest, KeepsInsertionOrderAndReplacesEqualKeys) {
  MappingVar mapping;
  mapping.setAt(new TextVar("zeta"), new IntegerVar(1));
  mapping.setAt(new TextVar("alpha"), new IntegerVar(2));
  mapping.setAt(new TextVar("zeta"), new IntegerVar(3));
  ASSERT_EQ(mapping.getNumberOfItems(), 2u);
  EXPECT_STREQ(*static_cast<const TextVar*>(mapping.getKey(0)), "zeta");
  EXPECT_EQ(static_cast<IntegerVar*>(mapping.getValue(0))->getValue(), 3);
  EXPECT_EQ(static_cast<IntegerVar*>(mapping.getAt("alpha"))->getValue(), 2);
  EXPECT_EQ(mapping.getAt("missing"), nullptr);
}

}  // namespace
