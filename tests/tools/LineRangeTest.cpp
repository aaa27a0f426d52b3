// The line range texts of the module's result, including those no config file produces.
#include <gtest/gtest.h>

#include "common/Findings.hpp"

namespace trel::quorlinsrv {
namespace {

TEST(Findings, LineRanges) {
  struct Row {
    const char* text;
    bool ok;
    unsigned first, last;
  };
  const Row rows[] = {{"12...15", true, 12, 15}, {"7...7", true, 7, 7}, {"0...???", true, 0, 0},
                      {"...5", false, 0, 0},     {"5...", false, 0, 0}, {"5...x", false, 0, 0},
                      {"5-6", false, 0, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    unsigned first = 99, last = 99;
    ASSERT_EQ(parseLineRange(row.text, first, last), row.ok);
    if (row.ok) {
      EXPECT_EQ(std::make_pair(first, last), std::make_pair(row.first, row.last));
    }
  }
}

}  // namespace
}  // namespace trel::quorlinsrv
