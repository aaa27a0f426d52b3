// Every served setter and getter run against the in-memory container: what it writes or builds,
// which values it refuses, and how it reports a write or read that fails.
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

// The C++ type a converter of `combination` hands the container.
std::type_index containerType(const Combination& combination) {
  std::type_index type = typeid(void);
  rules::withValueType(combination.valueType, [&](auto types) {
    using Types = decltype(types);
    type = combination.isArray ? std::type_index(typeid(typename Types::Element))
                               : std::type_index(typeid(typename Types::Scalar));
  });
  return type;
}

std::unique_ptr<DynVar> dynOf(VariableType type, const std::vector<Variable* (*)()>& makers) {
  auto dyn = std::make_unique<DynVar>(type);
  for (auto make : makers)
    dyn->append(make != nullptr ? make() : nullptr);
  return dyn;
}

std::string castMessage(const std::string& expected, const std::string& actual) {
  return "cast error: expected Variable type is " + expected + ", but real type is " + actual;
}

// Runs the setter of `combination` on `value` under the name "n"; `error` starts as "before".
bool runSetter(const Combination& combination, Variable& value, MemoryDataObject* memory,
               std::string& error) {
  error = "before";
  const ds::SetterFn setter =
      ds::findSetter(static_cast<DpElementType>(combination.dpeType()),
                     static_cast<ds::ValueType>(combination.valueType), combination.isArray, error);
  EXPECT_NE(setter, nullptr) << error;
  std::shared_ptr<DataObject> out(memory, [](DataObject*) {});
  const bool stored = setter != nullptr && setter(&value, out, "n", error);
  EXPECT_EQ(out.get(), memory);
  return stored;
}

TEST(SetterFamily, WritesItsClassRefusesOthersAndReportsFailures) {
  for (const Combination& combination : rules::servedCombinations()) {
    SCOPED_TRACE(combination.describe());
    const rules::HostClass& own = *combination.hostClass;
    const std::size_t index = static_cast<std::size_t>(&own - rules::kHostClasses.data());
    const rules::HostClass& other = rules::kHostClasses[(index + 1) % rules::kHostClasses.size()];
    // Its own class: the scalar, or a dyn of three slots, the middle one null.
    auto ownValue = [&]() -> std::unique_ptr<Variable> {
      if (!combination.isArray)
        return std::unique_ptr<Variable>(own.make());
      return dynOf(own.variableType, {own.make, nullptr, own.make});
    };
    std::string error;
    MemoryDataObject memory;
    EXPECT_TRUE(runSetter(combination, *ownValue(), &memory, error));
    EXPECT_EQ(error, "before");
    ASSERT_EQ(memory.calls().size(), 1u);
    const MemoryDataObject::Call& call = memory.calls().front();
    EXPECT_EQ(call.operation, combination.isArray ? "writeArray" : "writeScalar");
    EXPECT_EQ(call.name, "n");
    EXPECT_EQ(call.type, containerType(combination));
    EXPECT_EQ(call.count, combination.isArray ? 3u : 1u);
    EXPECT_TRUE(call.allDefault);

    std::vector<std::pair<std::unique_ptr<Variable>, std::string>> refused;
    if (combination.isArray) {
      refused.emplace_back(own.make(), castMessage("dyn", own.typeName));
      refused.emplace_back(dynOf(own.variableType, {own.make, other.make, own.make}),
                           castMessage(own.typeName, other.typeName));
      refused.emplace_back(dynOf(other.variableType, {other.make}),
                           castMessage(own.typeName, other.typeName));
      DynVar empty(MAPPING_VAR);  // an empty dyn of any element type is an empty array
      MemoryDataObject emptyWrite;
      EXPECT_TRUE(runSetter(combination, empty, &emptyWrite, error));
      ASSERT_EQ(emptyWrite.calls().size(), 1u);
      EXPECT_EQ(emptyWrite.calls().front().count, 0u);
    } else {
      refused.emplace_back(other.make(), castMessage(own.typeName, other.typeName));
      refused.emplace_back(dynOf(own.variableType, {own.make}),
                           castMessage(own.typeName, "dyn_" + own.typeName));
    }
    for (auto& [value, message] : refused) {
      MemoryDataObject untouched;
      EXPECT_FALSE(runSetter(combination, *value, &untouched, error));
      EXPECT_EQ(error, message);
      EXPECT_TRUE(untouched.calls().empty());
    }

    MemoryDataObject failing;
    failing.failWith("n", "storage refused");
    EXPECT_FALSE(runSetter(combination, *ownValue(), &failing, error));
    const std::string shown = combination.valueType == rules::kString ? "" : "0";
    EXPECT_EQ(error, "failed to set " + std::string(rules::kLibraryWords[combination.valueType]) +
                         (combination.isArray ? " array of 3 elements" : " scalar value " + shown) +
                         " under the name 'n': storage refused");
    MemoryDataObject throwing;
    throwing.failWithNonStandard("n");
    EXPECT_THROW(runSetter(combination, *ownValue(), &throwing, error), NonStandardError);
  }
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
    if (combination.isArray)
      memory.putArray("n", values);
    else
      memory.putScalar("n",
                       count > 0 ? typename Types::Scalar((*values)[0]) : typename Types::Scalar());
  });
}

std::shared_ptr<Variable> runGetter(const Combination& combination, MemoryDataObject& memory,
                                    std::string& error) {
  error = "before";
  const ds::GetterFn getter =
      ds::findGetter(static_cast<ds::ValueType>(combination.valueType), combination.isArray,
                     static_cast<DpElementType>(combination.dpeType()), error);
  EXPECT_NE(getter, nullptr) << error;
  return getter != nullptr ? getter(memory, "n", error) : nullptr;
}

// The texts of a TextVar or of a dyn of them; what is not text shows as "?".
std::vector<std::string> textsOf(const Variable* result) {
  if (const auto* text = dynamic_cast<const TextVar*>(result))
    return {static_cast<const char*>(*text)};
  std::vector<std::string> texts;
  const auto* dyn = dynamic_cast<const DynVar*>(result);
  for (unsigned index = 0; dyn != nullptr && index < dyn->getNumberOfItems(); ++index) {
    const auto* text = dynamic_cast<const TextVar*>(dyn->getAt(index));
    texts.push_back(text != nullptr ? static_cast<const char*>(*text) : "?");
  }
  return texts;
}

TEST(GetterFamily, ReadsItsTypeBuildsOnlyTextAndReportsFailures) {
  for (const Combination& combination : rules::servedCombinations()) {
    SCOPED_TRACE(combination.describe());
    std::string error;
    MemoryDataObject memory;
    store(memory, combination, 3);
    std::shared_ptr<Variable> result = runGetter(combination, memory, error);
    EXPECT_EQ(error, "before");
    ASSERT_EQ(memory.calls().size(), 1u);
    EXPECT_EQ(memory.calls().front().operation, combination.isArray ? "readArray" : "readScalar");
    EXPECT_EQ(memory.calls().front().type, containerType(combination));
    const bool text =
        combination.hostClass->variableType == TEXT_VAR && combination.valueType == rules::kString;
    if (!text) {
      EXPECT_EQ(result, nullptr);
    } else {
      ASSERT_NE(result, nullptr);
      EXPECT_EQ(result->isA(), combination.isArray ? DYNTEXT_VAR : TEXT_VAR);
      const std::vector<std::string> texts = {"text 0", "text 1", "text 2"};
      EXPECT_EQ(
          textsOf(result.get()),
          std::vector<std::string>(texts.begin(), texts.begin() + (combination.isArray ? 3 : 1)));
    }
    for (bool absent : {true, false}) {
      if (!combination.isArray)
        break;
      MemoryDataObject nothing;
      if (!absent)
        store(nothing, combination, 0);
      result = runGetter(combination, nothing, error);
      const auto* dyn = dynamic_cast<const DynVar*>(result.get());
      ASSERT_NE(dyn, nullptr) << (absent ? "absent" : "empty");
      EXPECT_EQ(dyn->getNumberOfItems(), 0u);
      EXPECT_EQ(dyn->getElementType(), combination.hostClass->variableType);
    }
    MemoryDataObject failing;
    store(failing, combination, 1);
    failing.failWith("n", "link lost");
    EXPECT_EQ(runGetter(combination, failing, error), nullptr);
    EXPECT_EQ(error, "failed to get " + std::string(rules::kLibraryWords[combination.valueType]) +
                         (combination.isArray ? " array" : " scalar") +
                         " value with name 'n' from incoming data: link lost");
    MemoryDataObject throwing;
    throwing.failWithNonStandard("n");
    EXPECT_THROW(runGetter(combination, throwing, error), NonStandardError);
  }
}

}  // namespace
