#include "config/Vocabulary.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace trel::quorlinsrv {
namespace {

// Every word a config file may use, with its code, written down independently of the module.
struct Word {
  const char* vocabulary;
  const char* word;
  std::int32_t code;
};

const Word kWords[] = {
    {"data type", "boolean", 0}, {"data type", "byte", 1},     {"data type", "short", 2},
    {"data type", "long", 3},    {"data type", "longlong", 4}, {"data type", "float", 9},
    {"data type", "double", 10}, {"data type", "string", 11},  {"direction", "in/out", 0},
    {"direction", "out", 1},     {"direction", "in", 2},       {"time type", "none", 0},
    {"time type", "double", 1},  {"time type", "longlong", 2}, {"time type", "longlongnano", 3},
};

// Runs the parse of `vocabulary` on `word` with the code preset to `code`.
bool parse(const std::string& vocabulary, const std::string& word, std::int32_t& code,
           std::string& error) {
  if (vocabulary == "data type") {
    auto value = static_cast<ValueType>(code);
    const bool ok = parseValueType(word, value, error);
    code = static_cast<std::int32_t>(value);
    return ok;
  }
  if (vocabulary == "direction") {
    auto value = static_cast<Direction>(code);
    const bool ok = parseDirection(word, value, error);
    code = static_cast<std::int32_t>(value);
    return ok;
  }
  auto value = static_cast<TimeType>(code);
  const bool ok = parseTimeType(word, value, error);
  code = static_cast<std::int32_t>(value);
  return ok;
}

const std::string& nameOf(const std::string& vocabulary, std::int32_t code) {
  if (vocabulary == "data type") {
    return valueTypeName(static_cast<ValueType>(code));
  }
  if (vocabulary == "direction") {
    return directionName(static_cast<Direction>(code));
  }
  return timeTypeName(static_cast<TimeType>(code));
}

TEST(Vocabulary, EveryWordParsesToItsCodeAndLeavesTheErrorAlone) {
  for (const Word& row : kWords) {
    SCOPED_TRACE(std::string(row.vocabulary) + " " + row.word);
    std::int32_t code = -7;
    std::string error = "earlier error";
    EXPECT_TRUE(parse(row.vocabulary, row.word, code, error));
    EXPECT_EQ(code, row.code);
    EXPECT_EQ(error, "earlier error");
  }
}

TEST(Vocabulary, EveryCodeNamesItsWord) {
  for (const Word& row : kWords) {
    SCOPED_TRACE(std::string(row.vocabulary) + " " + row.word);
    EXPECT_EQ(nameOf(row.vocabulary, row.code), row.word);
  }
}

TEST(Vocabulary, UnknownWordReplacesTheErrorAndKeepsTheCode) {
  const struct {
    const char* vocabulary;
    std::string word;
    std::string error;
  } cases[] = {
      {"data type", "Boolean", "unknown data type 'Boolean'"},
      {"data type", "bool", "unknown data type 'bool'"},
      {"data type", "uint8", "unknown data type 'uint8'"},
      {"data type", "none", "unknown data type 'none'"},
      {"data type", "double ", "unknown data type 'double '"},
      {"direction", "both", "unknown direction 'both'"},
      {"direction", "In", "unknown direction 'In'"},
      {"direction", " in", "unknown direction ' in'"},
      {"direction", "in ", "unknown direction 'in '"},
      {"direction", "in/", "unknown direction 'in/'"},
      {"direction", "", "unknown direction ''"},
      {"time type", "", "unknown time type ''"},
      {"time type", "string", "unknown time type 'string'"},
      {"time type", "longlongnan", "unknown time type 'longlongnan'"},
      {"time type", std::string("none\0x", 6), std::string("unknown time type 'none\0x'", 26)},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(std::string(row.vocabulary) + " '" + row.word + "'");
    std::int32_t code = 42;
    std::string error = "an earlier error that must go";
    EXPECT_FALSE(parse(row.vocabulary, row.word, code, error));
    EXPECT_EQ(code, 42);
    EXPECT_EQ(error, row.error);
  }
}

TEST(Vocabulary, CodeWithoutWordIsUnknown) {
  const struct {
    const char* vocabulary;
    std::int32_t code;
  } cases[] = {
      {"data type", 5},  {"data type", 6},  {"data type", 7},         {"data type", 8},
      {"data type", -1}, {"data type", 12}, {"data type", INT32_MIN}, {"direction", 3},
      {"direction", -1}, {"time type", 4},  {"time type", -2},        {"time type", INT32_MAX},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(std::string(row.vocabulary) + " " + std::to_string(row.code));
    EXPECT_EQ(nameOf(row.vocabulary, row.code), "unknown ???");
  }
}

TEST(Vocabulary, WordListsAreOrderedByCode) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(valueTypeNames(),
            (Words{"boolean", "byte", "short", "long", "longlong", "float", "double", "string"}));
  EXPECT_EQ(directionNames(), (Words{"in/out", "out", "in"}));
  EXPECT_EQ(timeTypeNames(), (Words{"none", "double", "longlong", "longlongnano"}));
}

TEST(Vocabulary, SharedConstants) {
  EXPECT_EQ(kUnknownName, "unknown ???");
  EXPECT_EQ(kClassIntroducer, "_instance_of_");
  EXPECT_EQ(kKeyValueSeparator, "=");
}

TEST(Vocabulary, NameReferencesStayTheSameObject) {
  EXPECT_EQ(&directionName(Direction::Out), &directionName(Direction::Out));
  EXPECT_EQ(&valueTypeName(ValueType::UInt8), &kUnknownName);
}

}  // namespace
}  // namespace trel::quorlinsrv
