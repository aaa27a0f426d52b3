#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "parser/QuorlinServerConfigParser.hpp"

namespace trel::quorlinsrv {
namespace {

namespace fs = std::filesystem;

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
