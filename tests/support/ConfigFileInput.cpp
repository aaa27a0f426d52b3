// The config file input: the bytes validated by the module's functions 0 and 1, then rendered.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/Findings.hpp"
#include "common/Formats.hpp"
#include "common/Hints.hpp"
#include "tests/support/FuzzInputs.hpp"
#include "tests/support/LoadedModule.hpp"
#include "tests/support/RuleCheck.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::fuzz {

namespace {

constexpr std::string_view kWhitespace = " \t\n\v\f\r";

// Lines as a line reader counts them: each line feed ends one, and a last line needs none.
std::size_t lineCount(std::string_view bytes) {
  const auto feeds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  return feeds + (!bytes.empty() && bytes.back() != '\n' ? 1 : 0);
}

bool anyError(const BlockOutcome& block) {
  return !block.syntax.empty() ||
         std::any_of(block.fields.begin(), block.fields.end(),
                     [](const CheckedText& field) { return !field.error.empty(); });
}

bool sameBlock(const BlockOutcome& a, const BlockOutcome& b) {
  for (std::size_t f = 0; f < kBlockFieldCount; ++f) {
    const CheckedText& x = a.fields[f];
    const CheckedText& y = b.fields[f];
    if (x.text != y.text || x.ok != y.ok || x.error != y.error) {
      return false;
    }
  }
  return a.syntax == b.syntax;
}

bool trimmedAlready(const std::string& text) {
  return text.empty() || (kWhitespace.find(text.front()) == std::string_view::npos &&
                          kWhitespace.find(text.back()) == std::string_view::npos);
}

// Rules that hold for every block that function 0 returns.
void checkBlock(const BlockOutcome& block, std::size_t lines, RuleCheck& rules) {
  for (std::size_t f = 0; f < kBlockFieldCount; ++f) {
    const CheckedText& field = block.fields[f];
    const std::string key = blockFieldKey(static_cast<BlockField>(f));
    rules.require(field.ok == field.error.empty(), "ok flag and error text disagree", key);
    if (f == kFieldLineNo) {
      continue;
    }
    rules.require(field.text.find('\n') == std::string::npos, "a value holds a line feed", key);
    rules.require(trimmedAlready(field.text), "a value keeps surrounding whitespace", key);
    if (f != kFieldClass && f != kFieldDevice) {
      rules.require(field.text.find('=') == std::string::npos, "a key line value holds '='", key);
    }
  }
  unsigned first = 0;
  unsigned last = 0;
  const CheckedText& lineNo = block.fields[kFieldLineNo];
  rules.require(parseLineRange(lineNo.text, first, last), "line range unreadable", lineNo.text);
  rules.require(first >= 1 && first <= last && last <= lines, "line range outside the file",
                lineNo.text);
  rules.require(lineNo.error == block.syntax, "lineNo error differs from the block's own error");
}

// Every comment line is a line whose first non-blank byte is '#'.
void checkComment(const std::string& comment, RuleCheck& rules) {
  std::istringstream lines(comment);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t start = line.find_first_not_of(kWhitespace);
    rules.require(start != std::string::npos && line[start] == '#', "comment line without '#'");
  }
}

// Every output format of the command-line validator, with the findings' positions and notes
// taken from the file's bytes, written to nowhere.
void render(FileOutcome outcome, std::string_view bytes) {
  Report report;
  report.files.push_back(makeFileReport(std::move(outcome)));
  annotateFindings(bytes, HintSources({}), report.files.back().findings);
  std::ostringstream out;
  for (Format format : {Format::kText, Format::kJson, Format::kSarif, Format::kGithub})
    writeReport(format, report, TextStyle{true, false}, out);
}

}  // namespace

std::string runConfigFileInput(std::string_view bytes) {
  // One file per process, removed with its directory when the process ends.
  static const test::ScratchDir dir;
  const std::string path = dir.at("input.cfg");
  test::writeBytes(path, std::string(bytes));
  const ModuleSession& module = loadedModule();
  FileOutcome all;
  FileOutcome failing;
  std::string error;
  if (!module.validate(path, false, all, error)) {
    return "function 0: " + error;
  }
  if (!module.validate(path, true, failing, error)) {
    return "function 1: " + error;
  }

  RuleCheck rules;
  const std::string& summary = all.errMsg;
  rules.require(summary.empty() || summary == kNoBlocks || summary == kValidationErrors,
                "unexpected error text", summary);
  rules.require(all.result == (summary.empty() ? 0 : -1), "function 0 result and text disagree");
  rules.require(failing.errMsg == summary, "functions 0 and 1 give different texts");
  rules.require(failing.comment == all.comment, "functions 0 and 1 give different comments");
  rules.require(
      failing.result >= 0 && static_cast<std::size_t>(failing.result) == all.blocks.size(),
      "function 1 does not count every block");
  rules.require(all.blocks.empty() == (summary == kNoBlocks), "no blocks, but not said so");
  rules.require(!summary.empty() || failing.blocks.empty(), "blocks with errors in a valid file");
  rules.require(summary != kValidationErrors || !failing.blocks.empty(),
                "validation errors, but no block has one");
  const std::size_t lines = lineCount(bytes);
  std::vector<const BlockOutcome*> withErrors;
  for (const BlockOutcome& block : all.blocks) {
    checkBlock(block, lines, rules);
    if (anyError(block)) {
      withErrors.push_back(&block);
    }
  }
  rules.require(withErrors.size() == failing.blocks.size(),
                "function 1 lists other blocks than those with errors");
  for (std::size_t i = 0; i < withErrors.size() && i < failing.blocks.size(); ++i) {
    rules.require(sameBlock(*withErrors[i], failing.blocks[i]),
                  "function 1 shows a block unlike function 0",
                  failing.blocks[i].fields[kFieldLineNo].text);
  }
  checkComment(all.comment, rules);
  render(std::move(all), bytes);
  return rules.broken();
}

}  // namespace trel::quorlinsrv::fuzz
