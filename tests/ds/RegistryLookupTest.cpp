// The two registries against the rule of which combinations are served, over a wide range of
// element types, value types and array flags, with every miss message checked in full.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "ds/ConverterRegistry.hpp"
#include "tests/ds/ConversionRules.hpp"

namespace {

using ds::ValueType;

std::vector<int> elementTypesTried() {
  std::vector<int> codes = {127, 255, 1000, INT_MAX, INT_MIN};
  for (int code = -5; code <= 70; ++code)
    codes.push_back(code);
  return codes;
}

const std::vector<std::int64_t> kArraynessTried = {-1, 0, 1, 2};

std::string setterMiss(int dpeType, int valueType, std::int64_t isArray) {
  return "conversion from " + rules::elementTypeName(dpeType) + " to " +
         (isArray != 0 ? "array of " : "scalar ") + rules::configWord(valueType) +
         " is not implemented";
}

std::string getterMiss(int valueType, std::int64_t dimensions, int dpeType) {
  const std::string shape =
      dimensions != 0 ? std::to_string(dimensions) + "-dimensional array of " : "scalar ";
  return "conversion from " + shape + rules::configWord(valueType) + " to " +
         rules::elementTypeName(dpeType) + " is not implemented";
}

TEST(RegistryLookup, EveryTripleHitsExactlyWhenServedAndMissesWithItsMessage) {
  int hits = 0;
  for (int dpeType : elementTypesTried()) {
    for (int valueType = -2; valueType <= 14; ++valueType) {
      for (std::int64_t arrayness : kArraynessTried) {
        SCOPED_TRACE("dpe " + std::to_string(dpeType) + ", value type " +
                     std::to_string(valueType) + ", array " + std::to_string(arrayness));
        const bool served = rules::servingClass(dpeType, valueType, arrayness) != nullptr;
        const auto dpe = static_cast<DpElementType>(dpeType);
        const auto type = static_cast<ValueType>(valueType);

        std::string error = "left by the caller";
        const ds::SetterFn setter = ds::findSetter(dpe, type, static_cast<int>(arrayness), error);
        EXPECT_EQ(setter != nullptr, served);
        EXPECT_EQ(error, served ? "left by the caller" : setterMiss(dpeType, valueType, arrayness));

        error = "left by the caller";
        const ds::GetterFn getter = ds::findGetter(type, arrayness, dpe, error);
        EXPECT_EQ(getter != nullptr, served);
        EXPECT_EQ(error, served ? "left by the caller" : getterMiss(valueType, arrayness, dpeType));
        hits += served ? 1 : 0;
      }
    }
  }
  EXPECT_EQ(hits, 244);
}

TEST(RegistryLookup, MissMessagesReadAsWritten) {
  struct Row {
    bool setter;
    int dpeType;
    int valueType;
    std::int64_t arrayness;
    const char* message;
  };
  const Row rows[] = {
      {true, 26, 4, 0, "conversion from time to scalar longlong is not implemented"},
      {false, 26, 4, 0, "conversion from scalar longlong to time is not implemented"},
      {false, 26, 11, 1,
       "conversion from 1-dimensional array of string to time is not implemented"},
      {true, 20, 5, 1, "conversion from uint to array of unknown ??? is not implemented"},
      {true, 5, 3, 0, "conversion from dyn_int to scalar long is not implemented"},
      {true, 21, 0, 2, "conversion from int to array of boolean is not implemented"},
      {false, 21, 10, 2, "conversion from 2-dimensional array of double to int is not implemented"},
      {false, 5, 9, -1,
       "conversion from -1-dimensional array of float to dyn_int is not implemented"},
      {false, 6, 10, INT64_MIN,
       "conversion from -9223372036854775808-dimensional array of double to dyn_float is not "
       "implemented"},
      {true, 41, 12, 0, "conversion from typeref to scalar unknown ??? is not implemented"},
      {false, 99, -1, 0, "conversion from scalar unknown ??? to unknown is not implemented"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    std::string error;
    const auto dpe = static_cast<DpElementType>(row.dpeType);
    const auto type = static_cast<ValueType>(row.valueType);
    const bool found =
        row.setter ? ds::findSetter(dpe, type, static_cast<int>(row.arrayness), error) != nullptr
                   : ds::findGetter(type, row.arrayness, dpe, error) != nullptr;
    EXPECT_FALSE(found);
    EXPECT_EQ(error, row.message);
  }
}

}  // namespace
