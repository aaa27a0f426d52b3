// The validator's JSON on the golden cases of the validation suite must tell what their golden
// outcome tells: the integer, errMsg, the comment and every block's entries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/tools/RunProgram.hpp"

namespace trel::quorlinsrv::test {
namespace {

using Json = nlohmann::json;

const std::string kSource = QUORLIN_SOURCE_DIR;

// Undoes the quoting of golden files: \" \\ \n \r \t \xNN inside double quotes. `pos` moves past.
std::string unquote(const std::string& line, std::size_t& pos) {
  std::string text;
  pos = line.find('"', pos) + 1;
  while (pos < line.size() && line[pos] != '"') {
    char c = line[pos++];
    if (c == '\\') {
      char e = line[pos++];
      if (e == 'x') {
        c = static_cast<char>(std::stoi(line.substr(pos, 2), nullptr, 16));
        pos += 2;
      } else {
        c = e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
      }
    }
    text += c;
  }
  ++pos;
  return text;
}

// The golden outcome in the shape of the validator's JSON entry of one file.
Json goldenAsJson(const std::string& expected) {
  Json file{{"blocks", Json::array()}};
  std::istringstream in(expected);
  for (std::string line; std::getline(in, line);) {
    std::size_t pos = 0;
    std::string key = line.substr(0, line.find_first_of(": "));
    if (key == "result") {
      file["result"] = std::stoi(line.substr(8));
    } else if (key == "errMsg" || key == "comment") {
      file[key] = unquote(line, pos);
    } else if (key == "block") {
      file["blocks"].push_back(Json::object());
    } else if (line.size() > 2 && line[0] == ' ' && line[2] != ' ') {
      std::istringstream words(line);
      words >> key;
      Json& block = file["blocks"].back();
      if (key == "syntax") {
        block[key] = unquote(line, pos);
        continue;
      }
      std::string text = unquote(line, pos);
      bool ok = line.compare(pos, 3, " ok") == 0;
      std::string error = ok ? "" : unquote(line, pos);
      block[key] = Json{{"error", error}, {"ok", ok}, {"text", text}};
    }
  }
  return file;
}

struct GoldenCase {
  const char* name;
  const char* dpList;  // below tests/tools/dpl/, or the example plant
};

void PrintTo(const GoldenCase& c, std::ostream* os) {
  *os << c.name;
}

// Every case with each validation function that it has a golden outcome for.
std::vector<std::tuple<GoldenCase, bool>> casesWithOutcomes(std::vector<GoldenCase> cases) {
  std::vector<std::tuple<GoldenCase, bool>> runs;
  for (const GoldenCase& golden : cases) {
    std::string dir = kSource + "/tests/golden/cases/" + golden.name + "/";
    for (bool errorsOnly : {false, true}) {
      const char* expected = errorsOnly ? "expected-errors-only.txt" : "expected-all.txt";
      if (access((dir + expected).c_str(), F_OK) == 0)
        runs.emplace_back(golden, errorsOnly);
    }
  }
  return runs;
}

class GoldenCases : public testing::TestWithParam<std::tuple<GoldenCase, bool>> {};

TEST_P(GoldenCases, JsonAgreesWithTheGoldenOutcome) {
  auto [golden, errorsOnly] = GetParam();
  std::string dir = kSource + "/tests/golden/cases/" + golden.name + "/";
  std::string expected =
      readFile(dir + (errorsOnly ? "expected-errors-only.txt" : "expected-all.txt"));
  std::string config = dir + "config.txt";
  if (access((dir + "filename.txt").c_str(), F_OK) == 0) {
    std::string named = readFile(dir + "filename.txt");
    named = named.substr(0, named.find('\n'));
    config = named.empty() ? "" : dir + named;
  }
  std::string dpList = *golden.dpList ? kSource + "/tests/tools/dpl/" + golden.dpList
                                      : kSource + "/examples/plant.dpl";
  std::vector<std::string> args{"--format", "json", "--dp-list", dpList, config};
  if (errorsOnly)
    args.insert(args.begin(), "--errors-only");
  RunResult result = runProgram(QUORLIN_VALIDATE_PATH, args);
  Json goldenJson = goldenAsJson(expected);
  ASSERT_EQ(result.exitCode, goldenJson["errMsg"] == "" ? 0 : 1) << result.err;
  Json file = Json::parse(result.out)["files"][0];
  EXPECT_EQ(file["file"], config);
  file.erase("file");
  file.erase("findings");  // the program's own view of the blocks
  EXPECT_EQ(file, goldenJson) << "diff: " << Json::diff(goldenJson, file).dump();
}

INSTANTIATE_TEST_SUITE_P(
    Suite, GoldenCases,
    testing::ValuesIn(casesWithOutcomes(
        {GoldenCase{"class_mismatches", "class_mismatches.dpl"},
         GoldenCase{"class_missing_properties", "class_missing_properties.dpl"},
         GoldenCase{"device_and_property_uniqueness", "device_and_property_uniqueness.dpl"},
         GoldenCase{"element_resolution", "element_resolution.dpl"},
         GoldenCase{"errors_only", "t_abc.dpl"}, GoldenCase{"example_file", "example_file.dpl"},
         GoldenCase{"file_comments_only", ""}, GoldenCase{"file_empty", ""},
         GoldenCase{"file_empty_name", ""}, GoldenCase{"file_missing", ""},
         GoldenCase{"repeated_and_missing", "repeated_and_missing.dpl"},
         GoldenCase{"syntax_and_headers", "t_abc.dpl"},
         GoldenCase{"vocabulary_errors", "vocabulary_errors.dpl"}})),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) ? "_errorsOnly" : "_all");
    });

}  // namespace
}  // namespace trel::quorlinsrv::test
