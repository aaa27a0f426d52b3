// The output formats of the validator: each one function over the same report.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/Findings.hpp"

namespace trel::quorlinsrv {

enum class Format { kText, kJson, kSarif, kGithub };

struct TextStyle {
  bool color = false;
  bool quiet = false;  // findings only, no summary lines
};

// What all files of a run held, for the last line of the text format.
struct RunTotals {
  std::size_t files = 0;
  std::size_t blocks = 0;
  std::size_t withFindings = 0;
};

// Writes one format as the files are validated: the beginning when made, each file as it comes,
// the end at `finish`. Nothing of a file is kept after `file` returns.
class FormatWriter {
 public:
  virtual ~FormatWriter() = default;
  virtual void file(const FileReport& file) = 0;
  virtual void finish(const RunTotals& totals) = 0;
};

// The writer of `format`; `header` gives the program and module versions (its files are not
// read), `style` applies to the text format only.
std::unique_ptr<FormatWriter> makeFormatWriter(Format format, const Report& header,
                                               const TextStyle& style, std::ostream& out);

// The writer of each format, in the format's own file.
std::unique_ptr<FormatWriter> makeTextWriter(const TextStyle& style, std::ostream& out);
std::unique_ptr<FormatWriter> makeJsonWriter(const Report& header, std::ostream& out);
std::unique_ptr<FormatWriter> makeSarifWriter(const Report& header, std::ostream& out);
std::unique_ptr<FormatWriter> makeGithubWriter(std::ostream& out);

// Each of the following writes a whole report through its format's writer.

// FILE:LINE:COLUMN: error: [DEVICE.PROPERTY] KEY: MESSAGE with its notes, then unless quiet one
// summary line per file and a total line after several files.
void writeText(const Report& report, const TextStyle& style, std::ostream& out);
// The module's outcome of every file as JSON; invalid UTF-8 bytes become U+FFFD.
void writeJson(const Report& report, std::ostream& out);
// SARIF 2.1.0: one run, a rule per key, a result per finding.
void writeSarif(const Report& report, std::ostream& out);
// GitHub workflow commands, one ::error per finding.
void writeGithub(const Report& report, std::ostream& out);

// The rule ids of SARIF in order: the per-block keys but "lineNo", then "syntax" and "file".
std::vector<std::string> sarifRuleIds();

// A file path as a URI reference: unreserved bytes and '/' kept, others percent-encoded, and
// "file://" before an absolute path.
std::string pathToUri(const std::string& path);

// Escapes of GitHub workflow commands, for the message and for property values.
std::string escapeWorkflowData(const std::string& text);
std::string escapeWorkflowProperty(const std::string& text);

}  // namespace trel::quorlinsrv
