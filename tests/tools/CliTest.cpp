// quorlin-validate run as a process: exit codes, formats, refused inputs, --output.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <nlohmann/json.hpp>

#include "tests/tools/RunProgram.hpp"

namespace trel::quorlinsrv::test {
namespace {

using Json = nlohmann::json;

const std::string kProgram = QUORLIN_VALIDATE_PATH;
const std::string kExamples = std::string(QUORLIN_SOURCE_DIR) + "/examples/";
const std::string kPlant = kExamples + "plant.dpl";
const std::string kValid = kExamples + "valid.cfg";
const std::string kInvalid = kExamples + "invalid.cfg";
const std::string kMisbehaving = QUORLIN_MISBEHAVING_MODULE_PATH;

RunResult run(std::vector<std::string> args) {
  return runProgram(kProgram, args);
}

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  while (dirent* entry = d ? readdir(d) : nullptr) {
    std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(name);
  }
  if (d)
    closedir(d);
  return names;
}

struct ExitCase {
  const char* what;
  std::vector<std::string> args;
  int code;
  const char* stderrFragment;  // "" when standard error must stay empty
};

void PrintTo(const ExitCase& c, std::ostream* os) {
  *os << c.what;
}

class ExitCodes : public testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodes, AreDocumented) {
  RunResult result = run(GetParam().args);
  EXPECT_EQ(result.exitCode, GetParam().code) << result.err;
  if (*GetParam().stderrFragment == '\0') {
    EXPECT_EQ(result.err, "");
  } else {
    EXPECT_NE(result.err.find(GetParam().stderrFragment), std::string::npos) << result.err;
  }
  if (GetParam().code == 2) {
    EXPECT_EQ(result.out, "");  // a failed run writes nothing
  }
}

std::string fifo() {
  static std::string path = makeTempDir() + "/fifo";
  mkfifo(path.c_str(), 0600);
  return path;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ExitCodes,
    testing::Values(
        ExitCase{"valid", {"--dp-list", kPlant, kValid}, 0, ""},
        ExitCase{"two valid", {"--dp-list", kPlant, kValid, "-q", kValid}, 0, ""},
        ExitCase{"findings", {"--dp-list", kPlant, kValid, kInvalid}, 1, ""},
        ExitCase{"missing file", {"--dp-list", kPlant, "/nonexistent.cfg"}, 1, ""},
        ExitCase{"empty name", {"--dp-list", kPlant, ""}, 1, ""},
        ExitCase{"no CONFIG", {"--dp-list", kPlant}, 2, "no CONFIG"},
        ExitCase{"no DP list", {kValid}, 2, "--dp-list"},
        ExitCase{"unknown option", {"--frobnicate", kValid}, 2, "frobnicate"},
        ExitCase{"unknown format", {"--format", "xml", "--dp-list", kPlant, kValid}, 2, "xml"},
        ExitCase{"list and CONFIG", {"--list", "directions", kValid}, 2, "no CONFIG"},
        ExitCase{"unknown list", {"--list", "colours"}, 2, "colours"},
        ExitCase{"unreadable DP list",
                 {"--dp-list", "/nonexistent.dpl", kValid},
                 2,
                 "/nonexistent.dpl: error: cannot open"},
        ExitCase{"malformed DP list",
                 {"--dp-list", kValid, kValid},
                 2,
                 "valid.cfg:3: error: line outside any table"},
        ExitCase{"no module",
                 {"--module", "/nonexistent.so", "--list", "directions"},
                 2,
                 "cannot load module"},
        ExitCase{"not a module",
                 {"--module", QUORLIN_HOST_LIBRARY_PATH, "--list", "directions"},
                 2,
                 "does not export newExternHdl"},
        ExitCase{"refused call",
                 {"--module", kMisbehaving, "--format", "json", "--dp-list", kPlant, kValid},
                 2,
                 "host error: WARNING, CTRL, 75, quorlin-validate, refuse, Not enough"},
        ExitCase{"result without lists",
                 {"--module", kMisbehaving, "--errors-only", "--dp-list", kPlant, kValid},
                 2,
                 "has no list \"class\""},
        ExitCase{"miscounted list",
                 {"--module", kMisbehaving, "--list", "directions"},
                 2,
                 "returned 5 for a list of 0 words"},
        ExitCase{"directory", {"--dp-list", kPlant, kExamples}, 2, "a directory"},
        ExitCase{"device", {"--dp-list", kPlant, "/dev/null"}, 2, "a device"},
        ExitCase{"FIFO", {"--dp-list", kPlant, fifo()}, 2, "a FIFO"},
        ExitCase{"valid pattern", {"--check-regexp", "[a-z]+"}, 0, ""},
        ExitCase{"invalid pattern", {"--check-regexp", "(a"}, 1, ""}),
    [](const auto& info) {
      std::string name = info.param.what;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

TEST(Cli, ListsTheAllowedWords) {
  struct Row {
    const char* list;
    const char* words;
  };
  const Row rows[] = {
      {"directions", "in/out\nout\nin\n"},
      {"data-types", "boolean\nbyte\nshort\nlong\nlonglong\nfloat\ndouble\nstring\n"},
      {"time-types", "none\ndouble\nlonglong\nlonglongnano\n"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.list);
    RunResult result = run({"--list", row.list});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, row.words);
  }
  EXPECT_NE(run({"--check-regexp", "*a"}).out, "");  // the module's message
  RunResult version = run({"--version"});
  EXPECT_EQ(version.out.substr(0, 17), "quorlin-validate ");
  EXPECT_NE(version.out.find("module 316000 "), std::string::npos);
}

TEST(Cli, TextNamesEachFindingAtItsText) {
  RunResult result = run({"--dp-list", kPlant, kInvalid});
  const std::string file = kInvalid;
  for (const std::string& line :
       {file + ":21:6: error: [PS2.Current] timeType: unknown time type 'seconds'\n",
        file + ":40:5: error: [Counter7.Missing] dpe: Unknown DPE C7.missing\n",
        file + ":50:1: error: [Pump1.Speed] syntax: Line 50: unexpected key 'colour'\n",
        file + ": 11 blocks, 9 with findings\n"}) {
    EXPECT_NE(result.out.find(line), std::string::npos) << line << "in\n" << result.out;
  }
  RunResult quiet = run({"-q", "--dp-list", kPlant, kInvalid});
  std::size_t errors = 0;
  for (std::size_t at = quiet.out.find(" error: "); at != std::string::npos;
       at = quiet.out.find(" error: ", at + 1))
    ++errors;
  EXPECT_EQ(errors, 9u);
  EXPECT_EQ(quiet.out.find("blocks"), std::string::npos);
}

TEST(Cli, VerboseTellsWhatTheDpListHeld) {
  RunResult result = run({"-v", "--dp-list", kPlant, kValid});
  EXPECT_NE(result.err.find("plant.dpl: 5 types, 7 data points, 3 aliases"), std::string::npos);
  EXPECT_NE(result.err.find("left out 2 internal data points"), std::string::npos);
  EXPECT_NE(result.err.find("plant.dpl:24: note: Pump.vendor"), std::string::npos) << result.err;
}

TEST(Cli, JsonHoldsTheModuleOutcomeOfEveryFile) {
  RunResult all = run({"--format", "json", "--dp-list", kPlant, kInvalid, "missing.cfg"});
  Json json = Json::parse(all.out);
  ASSERT_EQ(json["files"].size(), 2u);
  EXPECT_EQ(json["files"][0]["result"], -1);
  EXPECT_EQ(json["files"][0]["errMsg"], "Validation error(s)");
  EXPECT_EQ(json["files"][0]["comment"], "# The test stand with one finding of each kind.");
  EXPECT_EQ(json["files"][0]["blocks"].size(), 11u);
  EXPECT_EQ(json["files"][1]["file"], "missing.cfg");
  EXPECT_EQ(json["files"][1]["errMsg"], "failed to open file ");
  RunResult errorsOnly = run({"--errors-only", "--format", "json", "--dp-list", kPlant, kInvalid});
  Json only = Json::parse(errorsOnly.out);
  EXPECT_EQ(only["files"][0]["result"], 11);
  EXPECT_EQ(only["files"][0]["blocks"].size(), 9u);
}

TEST(Cli, SarifHasTheRequiredPropertiesAndOneResultPerFinding) {
  RunResult result = run({"--format", "sarif", "--dp-list", kPlant, kInvalid});
  EXPECT_EQ(result.exitCode, 1);
  Json sarif = Json::parse(result.out);
  EXPECT_EQ(sarif["version"], "2.1.0");
  ASSERT_EQ(sarif["runs"].size(), 1u);
  const Json& run = sarif["runs"][0];
  const Json& driver = run["tool"]["driver"];
  ASSERT_TRUE(driver["name"].is_string());
  std::vector<std::string> ids;
  for (const Json& rule : driver["rules"])
    ids.push_back(rule.at("id"));
  EXPECT_EQ(ids,
            (std::vector<std::string>{"class", "device", "property", "alias", "dpe", "direction",
                                      "valueType", "timeType", "syntax", "file"}));
  ASSERT_EQ(run["results"].size(), 9u);
  for (const Json& r : run["results"]) {
    EXPECT_TRUE(r.at("message").at("text").is_string());
    EXPECT_EQ(r["level"], "error");
    EXPECT_EQ(ids.at(r["ruleIndex"]), r["ruleId"]);
    const Json& location = r["locations"][0]["physicalLocation"];
    EXPECT_NE(location["artifactLocation"]["uri"].get<std::string>().find("invalid.cfg"),
              std::string::npos);
    EXPECT_GE(location["region"]["endLine"], location["region"]["startLine"]);
  }
  EXPECT_EQ(run["results"][1]["locations"][0]["physicalLocation"]["region"],
            Json::parse(R"({"startLine": 21, "startColumn": 6, "endLine": 21, "endColumn": 13})"));
  EXPECT_EQ(run["results"][1]["relatedLocations"][0]["physicalLocation"]["region"],
            Json::parse(R"({"startLine": 17, "endLine": 22})"));
}

TEST(Cli, OutputIsWholeOrUntouched) {
  std::string dir = makeTempDir();
  std::string target = dir + "/report.json";
  RunResult ok = run({"--format", "json", "--output", target, "--dp-list", kPlant, kInvalid});
  EXPECT_EQ(ok.exitCode, 1);
  EXPECT_EQ(ok.out, "");
  EXPECT_TRUE(Json::accept(readFile(target)));  // complete
  writeFile(target, "previous");
  RunResult failed = run({"--output", target, "--dp-list", "/nonexistent.dpl", kValid});
  EXPECT_EQ(failed.exitCode, 2);
  EXPECT_EQ(readFile(target), "previous");
  EXPECT_EQ(filesIn(dir), std::vector<std::string>{"report.json"});  // no temporary file left
  RunResult noDir = run({"--output", dir + "/no/such/dir/r.txt", "--dp-list", kPlant, kValid});
  EXPECT_EQ(noDir.exitCode, 2);
  EXPECT_NE(noDir.err.find("r.txt: error:"), std::string::npos);
  unlink(target.c_str());
  rmdir(dir.c_str());
}

}  // namespace
}  // namespace trel::quorlinsrv::test
