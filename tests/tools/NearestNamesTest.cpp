// The nearest-name search behind the hints, on a set small enough to be scanned and on one large
// enough to be looked up through its index: both must find the same names.
#include <gtest/gtest.h>

#include "common/Hints.hpp"

namespace trel::quorlinsrv {
namespace {

struct Row {
  const char* query;
  std::vector<std::string> expected;
};

// A few names that the rows aim at, then "Pump_1000", ... up to `count` names.
std::vector<std::string> names(std::size_t count) {
  std::vector<std::string> result = {"Compressor", "Valve", "boolean", "booleans"};
  for (std::size_t i = 0; result.size() < count; ++i)
    result.push_back("Pump_" + std::to_string(1000 + i));
  return result;
}

TEST(NearestNames, ScannedAndIndexedSetsAgree) {
  const Row rows[] = {
      {"COMPRESSOR", {"Compressor"}},  // equal but for case
      {"Compresor", {"Compressor"}},   // one edit
      {"Compressorr", {"Compressor"}},
      {"Vlave", {"Valve"}},               // a transposition is two edits
      {"Valvx", {"Valve"}},               // found through the names' last-byte deletions
      {"Valvex", {"Valve"}},              // found through the query's last-byte deletion
      {"bool", {"boolean", "booleans"}},  // the beginning of names, shorter first
      {"PUMP_1999", {"Pump_1999"}},
      {"Valve", {}},  // a name of the set needs no hint
      {"Xylophone", {}},
  };
  for (std::size_t count : {std::size_t{50}, std::size_t{2000}}) {
    NearestNames index(names(count));
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(row.query) + " among " + std::to_string(count) + " names");
      if (count < 1000 && std::string(row.query) == "PUMP_1999")
        continue;  // not in the small set
      EXPECT_EQ(index.nearest(row.query), row.expected);
    }
  }
}

}  // namespace
}  // namespace trel::quorlinsrv
