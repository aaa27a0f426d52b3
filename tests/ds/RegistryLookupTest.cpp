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

}  // namespace
