// Every getter run against the in-memory container: what it builds from a scalar, from absent,
// empty and filled arrays, and how it reports a read that fails.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "ds/ConverterRegistry.hpp"
#include "tests/ds/ConversionRules.hpp"
#include "tests/ds/MemoryDataObject.hpp"

namespace {

using rules::Combination;

struct GetterRun {
  std::shared_ptr<Variable> result;
  std::string error;
  std::vector<MemoryDataObject::Call> calls;
};

// Runs the getter of `combination` for the name "n" on `memory`.
GetterRun runGetter(const Combination& combination, MemoryDataObject& memory) {
  GetterRun run;
  run.error = "before";
  const ds::GetterFn getter =
      ds::findGetter(static_cast<ds::ValueType>(combination.valueType), combination.isArray,
                     static_cast<DpElementType>(combination.dpeType()), run.error);
  if (getter == nullptr) {
    ADD_FAILURE() << "no getter: " << run.error;
    return run;
  }
  run.result = getter(memory, "n", run.error);
  run.calls = memory.calls();
  return run;
}

bool buildsText(const Combination& combination) {
  return combination.hostClass->variableType == TEXT_VAR && combination.valueType == rules::kString;
}

// Stores under "n" a scalar or an array of `count` elements of the combination's value type;
// strings are "text 0", "text 1", ..., other values their type's default.
void store(MemoryDataObject& memory, const Combination& combination, std::size_t count) {
  rules::withValueType(combination.valueType, [&](auto types) {
    using Types = decltype(types);
    using Element = typename Types::Element;
    auto values = std::make_shared<std::vector<Element>>(count);
    for (std::size_t index = 0; index < count; ++index) {
      if constexpr (std::is_same_v<Element, std::string>)
        (*values)[index] = "text " + std::to_string(index);
    }
    if (combination.isArray) {
      memory.putArray("n", values);
    } else {
      memory.putScalar("n",
                       count > 0 ? typename Types::Scalar((*values)[0]) : typename Types::Scalar());
    }
  });
}

std::vector<std::string> textsOf(const Variable* result) {
  std::vector<std::string> texts;
  const auto* dyn = dynamic_cast<const DynVar*>(result);
  for (unsigned index = 0; dyn != nullptr && index < dyn->getNumberOfItems(); ++index) {
    const auto* text = dynamic_cast<const TextVar*>(dyn->getAt(index));
    texts.push_back(text != nullptr ? static_cast<const char*>(*text) : "not a TextVar");
  }
  return texts;
}

TEST(GetterFamily, ReadsItsValueTypeAndBuildsOnlyTextFromStrings) {
  for (const Combination& combination : rules::servedCombinations()) {
    SCOPED_TRACE(combination.describe());
    MemoryDataObject memory;
    store(memory, combination, 3);
    const GetterRun run = runGetter(combination, memory);
    EXPECT_EQ(run.error, "before");
    ASSERT_EQ(run.calls.size(), 1u);
    EXPECT_EQ(run.calls.front().operation, combination.isArray ? "readArray" : "readScalar");
    rules::withValueType(combination.valueType, [&](auto types) {
      using Types = decltype(types);
      EXPECT_EQ(run.calls.front().type, combination.isArray
                                            ? std::type_index(typeid(typename Types::Element))
                                            : std::type_index(typeid(typename Types::Scalar)));
    });
    if (!buildsText(combination)) {
      EXPECT_EQ(run.result, nullptr);
    } else if (combination.isArray) {
      ASSERT_NE(run.result, nullptr);
      EXPECT_EQ(run.result->isA(), DYNTEXT_VAR);
      EXPECT_EQ(textsOf(run.result.get()),
                (std::vector<std::string>{"text 0", "text 1", "text 2"}));
    } else {
      ASSERT_NE(run.result, nullptr);
      ASSERT_EQ(run.result->isA(), TEXT_VAR);
      EXPECT_STREQ(static_cast<const char*>(static_cast<const TextVar&>(*run.result)), "text 0");
    }
  }
}

TEST(GetterFamily, AbsentOrEmptyArrayGivesAnEmptyDynVarOfTheElementClass) {
  for (const Combination& combination : rules::servedCombinations()) {
    if (!combination.isArray)
      continue;
    for (bool absent : {true, false}) {
      SCOPED_TRACE(combination.describe() + (absent ? ", absent" : ", empty"));
      MemoryDataObject memory;
      if (!absent)
        store(memory, combination, 0);
      const GetterRun run = runGetter(combination, memory);
      EXPECT_EQ(run.error, "before");
      const auto* dyn = dynamic_cast<const DynVar*>(run.result.get());
      ASSERT_NE(dyn, nullptr);
      EXPECT_EQ(dyn->getNumberOfItems(), 0u);
      EXPECT_EQ(dyn->getElementType(), combination.hostClass->variableType);
    }
  }
}

TEST(GetterFamily, ReportsAStandardReadFailureWithItsLabel) {
  for (const Combination& combination : rules::servedCombinations()) {
    SCOPED_TRACE(combination.describe());
    MemoryDataObject memory;
    store(memory, combination, 1);
    memory.failWith("n", "link lost");
    const GetterRun run = runGetter(combination, memory);
    const std::string label = std::string(rules::kLibraryWords[combination.valueType]) +
                              (combination.isArray ? " array" : " scalar");
    EXPECT_EQ(run.result, nullptr);
    EXPECT_EQ(run.error,
              "failed to get " + label + " value with name 'n' from incoming data: link lost");
  }
}

TEST(GetterFamily, LetsOtherExceptionsOfTheReadPassThrough) {
  for (const Combination& combination : rules::servedCombinations()) {
    SCOPED_TRACE(combination.describe());
    MemoryDataObject memory;
    memory.failWithNonStandard("n");
    EXPECT_THROW(runGetter(combination, memory), NonStandardError);
  }
}

}  // namespace
