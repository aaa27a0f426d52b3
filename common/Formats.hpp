// The output formats of the validator: each one function over the same report.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>

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

// Writes a whole report through the writer of `format`.
void writeReport(Format format, const Report& report, const TextStyle& style, std::ostream& out);

// Appends the byte `c` to `out` as %XX, in the upper-case hex of URIs and workflow commands.
void appendPercentEncoded(std::string& out, unsigned char c);

// "[DEVICE.PROPERTY] MESSAGE" of a block's finding, the message alone of a file-level one.
std::string headedMessage(const Finding& finding);

// A file path as a URI reference: unreserved bytes and '/' kept, others percent-encoded, and
// "file://" before an absolute path.
std::string pathToUri(const std::string& path);

}  // namespace trel::quorlinsrv
