// Findings taken from a module outcome, and the four output formats over them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "host/Variables.hpp"
#include "tools/Findings.hpp"
#include "tools/Formats.hpp"

namespace trel::quorlinsrv {
namespace {

// A block with device D, property P at lines 3...5 and no errors.
BlockOutcome cleanBlock() {
  BlockOutcome block;
  block.fields[kFieldDevice].text = "D";
  block.fields[kFieldProperty].text = "P";
  block.fields[kFieldLineNo].text = "3...5";
  return block;
}

void setError(BlockOutcome& block, BlockField field, const std::string& error) {
  block.fields[field].ok = false;
  block.fields[field].error = error;
}

FileOutcome outcomeWith(std::vector<BlockOutcome> blocks, std::string errMsg) {
  FileOutcome outcome;
  outcome.file = "a.cfg";
  outcome.errMsg = std::move(errMsg);
  outcome.result = outcome.errMsg.empty() ? 0 : -1;
  outcome.blocks = std::move(blocks);
  return outcome;
}

std::string keysAndMessages(const std::vector<Finding>& findings) {
  std::string text;
  for (const Finding& f : findings)
    text += f.key + "@" + std::to_string(f.firstLine) + "-" + std::to_string(f.lastLine) + ":" +
            f.message + ";";
  return text;
}

TEST(Findings, OnePerErrorWithTheBlockLinesAndElementErrorsOnce) {
  BlockOutcome syntax = cleanBlock();
  syntax.syntax = "Line 3: a\nb";
  setError(syntax, kFieldLineNo, syntax.syntax);  // the mapping repeats it under lineNo
  BlockOutcome viaDpe = cleanBlock();
  viaDpe.fields[kFieldDpe].text = "X.y";
  setError(viaDpe, kFieldDpe, "Unknown DPE X.y");
  setError(viaDpe, kFieldAlias, "Unknown DPE X.y");
  setError(viaDpe, kFieldTimeType, "unknown time type 's'");
  BlockOutcome viaAlias = cleanBlock();
  viaAlias.fields[kFieldAlias].text = "al";
  viaAlias.fields[kFieldLineNo].text = "9...???";
  setError(viaAlias, kFieldDpe, "DPE X. is not a leaf");
  setError(viaAlias, kFieldAlias, "DPE X. is not a leaf");
  BlockOutcome both = cleanBlock();
  setError(both, kFieldAlias, "Failed to convert alias to DP/DPE name");
  setError(both, kFieldClass, "Class C: m");
  EXPECT_EQ(keysAndMessages(findingsOf(
                outcomeWith({syntax, viaDpe, viaAlias, both, cleanBlock()}, kValidationErrors))),
            "syntax@3-5:Line 3: a;syntax@3-5:b;dpe@3-5:Unknown DPE X.y;"
            "timeType@3-5:unknown time type 's';alias@9-0:DPE X. is not a leaf;"
            "class@3-5:Class C: m;alias@3-5:Failed to convert alias to DP/DPE name;");
}

TEST(Findings, FileLevelTexts) {
  struct Row {
    std::string errMsg;
    std::size_t blockErrors;
    const char* expected;
  };
  const Row rows[] = {
      {"", 0, ""},
      {"failed to open file ", 0, "file@0-0:failed to open file ;"},
      {"No configuration found in file", 0, "file@0-0:No configuration found in file;"},
      {kValidationErrors, 1, "property@3-5:x;"},
      {kValidationErrors, 0, "file@0-0:Validation error(s);"},  // never a silent failure
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.errMsg);
    BlockOutcome block = cleanBlock();
    if (row.blockErrors)
      setError(block, kFieldProperty, "x");
    EXPECT_EQ(keysAndMessages(findingsOf(outcomeWith({block}, row.errMsg))), row.expected);
  }
}

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

TEST(Findings, CountsWithErrorsOnlyTakeTheIntegerForAllBlocks) {
  BlockOutcome failing = cleanBlock();
  setError(failing, kFieldDirection, "unknown direction 'x'");
  FileOutcome outcome = outcomeWith({failing}, kValidationErrors);
  outcome.errorsOnly = true;
  outcome.result = 4;
  BlockCounts counts = countBlocks(outcome);
  EXPECT_EQ(counts.blocks, 4u);
  EXPECT_EQ(counts.withFindings, 1u);
}

TEST(Findings, ResultMappingOfAnotherShapeIsRefused) {
  MappingVar mapping;
  for (const char* key : {"class", "device", "property", "alias", "dpe", "direction", "valueType",
                          "timeType", "lineNo"})
    mapping.setAt(new TextVar(key), new DynVar(DYNANYTYPE_VAR));
  mapping.setAt(new TextVar("syntax"), new DynVar(TEXT_VAR));
  FileOutcome outcome;
  std::string error;
  EXPECT_FALSE(readResultMapping(mapping, outcome, error));  // no "comment"
  mapping.setAt(new TextVar("comment"), new TextVar("#c"));
  EXPECT_TRUE(readResultMapping(mapping, outcome, error)) << error;
  EXPECT_EQ(outcome.comment, "#c");
  static_cast<DynVar*>(mapping.getAt("syntax"))->append(new TextVar(""));
  EXPECT_FALSE(readResultMapping(mapping, outcome, error));
  EXPECT_NE(error.find("differ in length"), std::string::npos);
}

Report reportOf(std::vector<FileOutcome> outcomes) {
  Report report{"quorlin-validate", "1.2.3", "316000", {}};
  for (FileOutcome& outcome : outcomes)
    report.files.push_back(makeFileReport(std::move(outcome)));
  return report;
}

Report sampleReport() {
  BlockOutcome block = cleanBlock();
  setError(block, kFieldValueType, "unknown data type 'text'");
  FileOutcome missing = outcomeWith({}, "failed to open file ");
  missing.file = "b, c:d.cfg";
  return reportOf({outcomeWith({block, cleanBlock()}, kValidationErrors), missing});
}

TEST(Formats, TextLinesAndSummaries) {
  std::ostringstream out, quiet, color;
  writeText(sampleReport(), TextStyle{false, false}, out);
  EXPECT_EQ(out.str(),
            "a.cfg:3: error: [D.P] valueType: unknown data type 'text'\n"
            "a.cfg: 2 blocks, 1 with findings\n"
            "b, c:d.cfg: error: failed to open file \n"
            "b, c:d.cfg: 0 blocks, 0 with findings\n"
            "2 files, 2 blocks, 1 with findings\n");
  writeText(sampleReport(), TextStyle{false, true}, quiet);
  EXPECT_EQ(quiet.str().find("blocks"), std::string::npos);
  writeText(sampleReport(), TextStyle{true, true}, color);
  EXPECT_NE(color.str().find("\033[1;31merror:\033[0m"), std::string::npos);
}

TEST(Formats, GithubCommandsEscapeDataAndProperties) {
  std::ostringstream out;
  writeGithub(sampleReport(), out);
  EXPECT_EQ(out.str(),
            "::error file=a.cfg,line=3,endLine=5,title=valueType::unknown data type 'text'\n"
            "::error file=b%2C c%3Ad.cfg,title=file::failed to open file \n");
  EXPECT_EQ(escapeWorkflowData("100% a:b,\r\n"), "100%25 a:b,%0D%0A");
  EXPECT_EQ(escapeWorkflowProperty("100% a:b,\r\n"), "100%25 a%3Ab%2C%0D%0A");
}

TEST(Formats, JsonReplacesInvalidUtf8AndKeepsKeyOrder) {
  BlockOutcome block = cleanBlock();
  setError(block, kFieldDpe, "Unknown DPE K\xfchler");
  std::ostringstream out;
  writeJson(reportOf({outcomeWith({block}, kValidationErrors)}), out);
  auto json = nlohmann::ordered_json::parse(out.str());
  EXPECT_EQ(json["module"], "316000");
  auto& file = json["files"][0];
  std::vector<std::string> keys;
  for (auto& item : file.items())
    keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"file", "result", "errMsg", "comment", "blocks",
                                            "findings"}));
  EXPECT_EQ(file["blocks"][0]["dpe"]["error"], "Unknown DPE K\xef\xbf\xbdhler");
  EXPECT_EQ(file["blocks"][0]["dpe"]["ok"], false);
  EXPECT_EQ(file["blocks"][0]["lineNo"]["text"], "3...5");
}

TEST(Formats, UrisOfPaths) {
  EXPECT_EQ(pathToUri("cfg/a b.cfg"), "cfg/a%20b.cfg");
  EXPECT_EQ(pathToUri("/srv/K\xfc.cfg"), "file:///srv/K%FC.cfg");
  EXPECT_EQ(pathToUri("x%y#z?"), "x%25y%23z%3F");
}

}  // namespace
}  // namespace trel::quorlinsrv
