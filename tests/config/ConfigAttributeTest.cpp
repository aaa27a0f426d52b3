#include "config/ConfigAttribute.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trel::quorlinsrv {
namespace {

struct CheckRow {
  const char* what;
  bool mandatory;
  std::vector<std::string> occurrences;
  std::string earlierError;
  std::string expectedError;
};

const CheckRow kCheckRows[] = {
    {"optional, absent", false, {}, "", ""},
    {"optional, once", false, {"x"}, "", ""},
    {"optional, once and empty", false, {""}, "", ""},
    {"optional, twice", false, {"x", "y"}, "", "attribute 'time' appeared 2 times for this block"},
    {"mandatory, absent", true, {}, "", "mandatory attribute 'time' didn't appear in config file"},
    {"mandatory, once and empty",
     true,
     {""},
     "",
     "the value of mandatory attribute 'time' is empty in config file"},
    {"mandatory, once", true, {"x"}, "", ""},
    {"mandatory, three times, first empty",
     true,
     {"", "a", "b"},
     "",
     "attribute 'time' appeared 3 times for this block"},
    {"earlier error stays", true, {}, "earlier", "earlier"},
    {"earlier error stays over a repeat", false, {"a", "b"}, "earlier", "earlier"},
};

TEST(ConfigAttributeTest, CheckAppliesOccurrenceRulesOnce) {
  for (const CheckRow& row : kCheckRows) {
    SCOPED_TRACE(row.what);
    ConfigAttribute attribute("time");
    for (const std::string& value : row.occurrences) {
      attribute.set(value);
    }
    attribute.error = row.earlierError;
    EXPECT_EQ(attribute.check(row.mandatory), row.expectedError.empty());
    EXPECT_EQ(attribute.getError(), row.expectedError);
    if (!row.expectedError.empty()) {
      // Whatever a later check would find, the first message stays.
      EXPECT_FALSE(attribute.check(!row.mandatory));
      EXPECT_EQ(attribute.getError(), row.expectedError);
    }
  }
}

TEST(ConfigAttributeTest, SetKeepsTheFirstValueAndCountsEveryOccurrence) {
  ConfigAttribute attribute("property");
  attribute.set("first");
  attribute.set("second");
  attribute.set("");
  EXPECT_EQ(attribute.getValue(), "first");
  EXPECT_EQ(attribute.count, 3u);
}

TEST(ConfigAttributeTest, ResetClearsEverythingButTheName) {
  ConfigAttribute attribute("alias");
  attribute.set("a");
  attribute.check(true);
  attribute.error = "some error";
  attribute.reset();
  EXPECT_EQ(attribute.name, "alias");
  EXPECT_EQ(attribute.getValue(), "");
  EXPECT_EQ(attribute.count, 0u);
  EXPECT_EQ(attribute.getError(), "");
}

}  // namespace
}  // namespace trel::quorlinsrv
