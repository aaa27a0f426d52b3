#include "config/Vocabulary.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace trel::quorlinsrv {
namespace {

// One vocabulary as a config file sees it, written down independently of the module.
template <class Code>
struct Expected {
  bool (*parse)(std::string, Code&, std::string&);
  const std::string& (*name)(Code);
  std::vector<std::string> (*list)();
  std::vector<std::pair<std::string, std::int32_t>> wordsByCode;
  const char* errorPrefix;
  std::vector<std::string> unknownWords;
  std::vector<std::int32_t> codesWithoutWord;
};

template <class Code>
void checkVocabulary(const Expected<Code>& expected) {
  std::vector<std::string> words;
  for (const auto& [word, code] : expected.wordsByCode) {
    SCOPED_TRACE(word);
    Code parsed = static_cast<Code>(-7);
    std::string error = "earlier error";
    EXPECT_TRUE(expected.parse(word, parsed, error));
    EXPECT_EQ(static_cast<std::int32_t>(parsed), code);
    EXPECT_EQ(error, "earlier error") << "success leaves the error text alone";
    EXPECT_EQ(expected.name(static_cast<Code>(code)), word);
    words.push_back(word);
  }
  EXPECT_EQ(expected.list(), words) << "words in ascending code order";
  for (const std::string& word : expected.unknownWords) {
    SCOPED_TRACE("'" + word + "'");
    Code parsed = static_cast<Code>(42);
    std::string error = "an earlier error that must go";
    EXPECT_FALSE(expected.parse(word, parsed, error));
    EXPECT_EQ(static_cast<std::int32_t>(parsed), 42);
    EXPECT_EQ(error, expected.errorPrefix + word + "'");
  }
  for (std::int32_t code : expected.codesWithoutWord) {
    SCOPED_TRACE(code);
    EXPECT_EQ(&expected.name(static_cast<Code>(code)), &kUnknownName);
  }
}

TEST(Vocabulary, DataTypes) {
  checkVocabulary<ValueType>(
      {parseValueType,
       valueTypeName,
       valueTypeNames,
       {{"boolean", 0},
        {"byte", 1},
        {"short", 2},
        {"long", 3},
        {"longlong", 4},
        {"float", 9},
        {"double", 10},
        {"string", 11}},
       "unknown data type '",
       {"Boolean", "bool", "uint8", "none", "double ", " long", "", std::string("byte\0", 5)},
       {5, 6, 7, 8, 12, -1, INT32_MIN}});
}

TEST(Vocabulary, Directions) {
  checkVocabulary<Direction>({parseDirection,
                              directionName,
                              directionNames,
                              {{"in/out", 0}, {"out", 1}, {"in", 2}},
                              "unknown direction '",
                              {"both", "In", " in", "in ", "in/", "out/in", ""},
                              {3, -1, INT32_MAX}});
  EXPECT_EQ(static_cast<int>(Direction::InOut), 0);
  EXPECT_EQ(static_cast<int>(Direction::Out), 1);
  EXPECT_EQ(static_cast<int>(Direction::In), 2);
}

TEST(Vocabulary, TimeTypes) {
  checkVocabulary<TimeType>({parseTimeType,
                             timeTypeName,
                             timeTypeNames,
                             {{"none", 0}, {"double", 1}, {"longlong", 2}, {"longlongnano", 3}},
                             "unknown time type '",
                             {"", "string", "longlongnan", "None"},
                             {4, -2}});
}

TEST(Vocabulary, SharedConstants) {
  EXPECT_EQ(kUnknownName, "unknown ???");
  EXPECT_EQ(kClassIntroducer, "_instance_of_");
  EXPECT_EQ(kKeyValueSeparator, "=");
}

}  // namespace
}  // namespace trel::quorlinsrv
