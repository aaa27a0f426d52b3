// Every setter run against the in-memory container: what it stores, which values it refuses and
// how it reports a write that fails.
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

struct SetterRun {
  bool stored = false;
  std::string error;
  std::vector<MemoryDataObject::Call> calls;
};

// Runs the setter of `combination` on `value` under the name "n"; `prepare` sets the container up.
SetterRun runSetter(const Combination& combination, Variable& value,
                    void (*prepare)(MemoryDataObject&) = nullptr) {
  SetterRun run;
  run.error = "before";
  const ds::SetterFn setter = ds::findSetter(static_cast<DpElementType>(combination.dpeType()),
                                             static_cast<ds::ValueType>(combination.valueType),
                                             combination.isArray, run.error);
  if (setter == nullptr) {
    ADD_FAILURE() << "no setter: " << run.error;
    return run;
  }
  auto memory = std::make_shared<MemoryDataObject>();
  if (prepare != nullptr)
    prepare(*memory);
  std::shared_ptr<DataObject> out = memory;
  run.stored = setter(&value, out, "n", run.error);
  EXPECT_EQ(out.get(), memory.get());
  run.calls = memory->calls();
  return run;
}

const rules::HostClass& otherClass(const rules::HostClass& hostClass) {
  const std::size_t index = static_cast<std::size_t>(&hostClass - rules::kHostClasses.data());
  return rules::kHostClasses[(index + 1) % rules::kHostClasses.size()];
}

// A DynVar of `type` elements holding new instances from `makers` (null makers leave the slot
// null).
std::unique_ptr<DynVar> dynOf(VariableType type, const std::vector<Variable* (*)()>& makers) {
  auto dyn = std::make_unique<DynVar>(type);
  for (auto make : makers)
    dyn->append(make != nullptr ? make() : nullptr);
  return dyn;
}

// A value of the combination's own class: the scalar, or a dyn of three slots, the middle one null.
std::unique_ptr<Variable> ownValue(const Combination& combination) {
  const auto make = combination.hostClass->make;
  if (!combination.isArray)
    return std::unique_ptr<Variable>(make());
  return dynOf(combination.hostClass->variableType, {make, nullptr, make});
}

std::string castMessage(const std::string& expected, const std::string& actual) {
  return "cast error: expected Variable type is " + expected + ", but real type is " + actual;
}

TEST(SetterFamily, StoresTheDefaultOfItsValueTypeForAValueOfItsClass) {
  for (const Combination& combination : rules::servedCombinations()) {
    SCOPED_TRACE(combination.describe());
    std::unique_ptr<Variable> value = ownValue(combination);
    const SetterRun run = runSetter(combination, *value);
    EXPECT_TRUE(run.stored);
    EXPECT_EQ(run.error, "before");
    ASSERT_EQ(run.calls.size(), 1u);
    const MemoryDataObject::Call& call = run.calls.front();
    EXPECT_EQ(call.operation, combination.isArray ? "writeArray" : "writeScalar");
    EXPECT_EQ(call.name, "n");
    rules::withValueType(combination.valueType, [&](auto types) {
      using Types = decltype(types);
      EXPECT_EQ(call.type, combination.isArray ? std::type_index(typeid(typename Types::Element))
                                               : std::type_index(typeid(typename Types::Scalar)));
    });
    EXPECT_EQ(call.count, combination.isArray ? 3u : 1u);
    EXPECT_TRUE(call.allDefault);
  }
}

TEST(SetterFamily, RefusesValuesOfAnotherClassAndWritesNothing) {
  for (const Combination& combination : rules::servedCombinations()) {
    const rules::HostClass& own = *combination.hostClass;
    const rules::HostClass& other = otherClass(own);
    struct Case {
      std::unique_ptr<Variable> value;
      std::string message;
    };
    std::vector<Case> cases;
    if (combination.isArray) {
      cases.push_back({std::unique_ptr<Variable>(own.make()), castMessage("dyn", own.typeName)});
      cases.push_back({dynOf(own.variableType, {own.make, other.make, own.make}),
                       castMessage(own.typeName, other.typeName)});
      cases.push_back(
          {dynOf(other.variableType, {other.make}), castMessage(own.typeName, other.typeName)});
    } else {
      cases.push_back(
          {std::unique_ptr<Variable>(other.make()), castMessage(own.typeName, other.typeName)});
      cases.push_back(
          {dynOf(own.variableType, {own.make}), castMessage(own.typeName, "dyn_" + own.typeName)});
    }
    for (Case& refused : cases) {
      SCOPED_TRACE(combination.describe() + ": " + refused.message);
      const SetterRun run = runSetter(combination, *refused.value);
      EXPECT_FALSE(run.stored);
      EXPECT_EQ(run.error, refused.message);
      EXPECT_TRUE(run.calls.empty());
    }
  }
}

TEST(SetterFamily, EmptyDynVarOfAnyElementTypeWritesAnEmptyArray) {
  for (const Combination& combination : rules::servedCombinations()) {
    if (!combination.isArray)
      continue;
    SCOPED_TRACE(combination.describe());
    DynVar empty(MAPPING_VAR);
    const SetterRun run = runSetter(combination, empty);
    EXPECT_TRUE(run.stored);
    EXPECT_EQ(run.error, "before");
    ASSERT_EQ(run.calls.size(), 1u);
    EXPECT_EQ(run.calls.front().count, 0u);
  }
}

TEST(SetterFamily, ReportsAStandardWriteFailureWithTheValueOrCount) {
  for (const Combination& combination : rules::servedCombinations()) {
    SCOPED_TRACE(combination.describe());
    std::unique_ptr<Variable> value = ownValue(combination);
    const SetterRun run = runSetter(combination, *value, [](MemoryDataObject& memory) {
      memory.failWith("n", "storage refused");
    });
    const std::string word = rules::kLibraryWords[combination.valueType];
    const std::string shown = combination.valueType == rules::kString ? "" : "0";
    const std::string what =
        combination.isArray ? " array of 3 elements" : " scalar value " + shown;
    EXPECT_FALSE(run.stored);
    EXPECT_EQ(run.error, "failed to set " + word + what + " under the name 'n': storage refused");
  }
}

TEST(SetterFamily, LetsOtherExceptionsOfTheWritePassThrough) {
  for (const Combination& combination : rules::servedCombinations()) {
    SCOPED_TRACE(combination.describe());
    std::unique_ptr<Variable> value = ownValue(combination);
    EXPECT_THROW(runSetter(combination, *value,
                           [](MemoryDataObject& memory) { memory.failWithNonStandard("n"); }),
                 NonStandardError);
  }
}

}  // namespace
