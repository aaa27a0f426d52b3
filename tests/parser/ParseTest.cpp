#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "parser/QuorlinServerConfigParser.hpp"

namespace trel::quorlinsrv {
namespace {

namespace fs = std::filesystem;

TEST(ParseTest, FileProblemsStopBeforeReading) {
  struct Row {
    const char* what;
    std::string fileName;
    std::string error;
  };
  const Row rows[] = {
      {"empty name", "", "empty config file name"},
      {"no such file", (fs::temp_directory_path() / "quorlin-no-such-file.txt").string(),
       "failed to open file "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    QuorlinServerConfigParser parser;
    std::string error;
    EXPECT_TRUE(parser.parse(row.fileName, error).empty());
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(parser.comment, "");
  }
}

TEST(ParseTest, ReadsTheFileAndLeavesItUnchanged) {
  const fs::path path = fs::temp_directory_path() / "quorlin-parse-test.txt";
  const std::string text = "#only a comment\n\n#and another\n";
  std::ofstream(path, std::ios::binary) << text;
  QuorlinServerConfigParser parser;
  std::string error;
  EXPECT_TRUE(parser.parse(path.string(), error).empty());
  EXPECT_EQ(error, "No configuration found in file");
  EXPECT_EQ(parser.comment, "#only a comment\n#and another");
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
  fs::remove(path);
}

}  // namespace
}  // namespace trel::quorlinsrv
