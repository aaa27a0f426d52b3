// What the module returned for one config file, and the findings taken from it: the one place that
// reads the module's result mapping.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "extension/ResultKeys.hpp"
#include "parser/QuorlinServerConfigParser.hpp"  // the summary texts of errMsg

class MappingVar;

namespace trel::quorlinsrv {

// One element of a per-block list of the result mapping: a text with its own error.
struct CheckedText {
  std::string text;
  bool ok = true;
  std::string error;
};

// The per-block lists of the result mapping, in the mapping's order.
enum BlockField : std::size_t {
  kFieldClass,
  kFieldDevice,
  kFieldProperty,
  kFieldAlias,
  kFieldDpe,
  kFieldDirection,
  kFieldValueType,
  kFieldTimeType,
  kFieldLineNo,
  kBlockFieldCount
};

// The key of a per-block list in the result mapping ("class", ..., "lineNo").
const char* blockFieldKey(BlockField field);

struct BlockOutcome {
  std::array<CheckedText, kBlockFieldCount> fields;
  std::string syntax;  // the block's own error, "" when it has none
};

// One validation call: the argument as given, the script function's integer, errMsg, the mapping.
struct FileOutcome {
  std::string file;
  bool errorsOnly = false;
  int result = 0;
  std::string errMsg;
  std::string comment;
  std::vector<BlockOutcome> blocks;
};

// Fills `outcome.blocks` and `outcome.comment` from the module's result mapping. False, with
// `error` set, when the mapping lacks a key or its lists are not of the shape the module writes.
bool readResultMapping(const MappingVar& mapping, FileOutcome& outcome, std::string& error);

// The key of file-level findings; a block's own error has the module's kSyntaxKey.
inline constexpr const char* kFileKey = "file";

// What helps with a finding, shown below it and never inside its message. `suggestion` is a
// word that can replace the text at fault (a quick fix), "" when there is none.
struct Note {
  std::string text;
  std::string suggestion;
};

// One finding: a non-empty error of the result, with where it belongs.
struct Finding {
  std::string file;
  unsigned firstLine = 0;  // the block's line range, 0 for a file-level finding
  unsigned lastLine = 0;
  std::string key;  // a per-block key, "syntax" or "file"
  std::string device;
  std::string property;
  std::string message;
  // The text at fault (a value, a key, a section header's word), 1-based; columns count
  // characters (UTF-8 sequences) and `endColumn` is the one after the last. All 0 for a
  // file-level finding and until the positions are attached.
  unsigned line = 0;
  unsigned column = 0;
  unsigned endLine = 0;
  unsigned endColumn = 0;
  std::vector<Note> notes;
};

// The line and column a format shows for `finding`: its position when it has one, else the
// block's first line with column 0, else 0 and 0 (the file as a whole).
struct ShownPosition {
  unsigned line = 0;
  unsigned column = 0;
  unsigned endLine = 0;
  unsigned endColumn = 0;
};
ShownPosition shownPosition(const Finding& finding);

// The findings of one file in block order; within a block its own messages come first (its error
// split at line feeds; "lineNo" repeats it and gives none), then the fields in mapping order. An
// alias error equal to the dpe error of the same block (the element check writes both) is one
// finding, under the key the block used. errMsg other than "" and the summary is a file-level
// finding, and so is the summary when no block carries a finding.
std::vector<Finding> findingsOf(const FileOutcome& outcome);

// The number of blocks in the file and of those with findings.
struct BlockCounts {
  std::size_t blocks = 0;
  std::size_t withFindings = 0;
};

struct FileReport {
  FileOutcome outcome;
  std::vector<Finding> findings;
  BlockCounts counts;
};

// Everything that one run of the validator reports.
struct Report {
  std::string programName;
  std::string programVersion;
  std::string moduleVersion;
  std::vector<FileReport> files;
};

// The report of one file, its findings and counts taken from `outcome`.
FileReport makeFileReport(FileOutcome outcome);

// Reads "F...L" (L may be "???"); false for any other text.
bool parseLineRange(const std::string& text, unsigned& first, unsigned& last);

}  // namespace trel::quorlinsrv
