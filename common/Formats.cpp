#include "common/Formats.hpp"

namespace trel::quorlinsrv {

namespace {

void writeAll(FormatWriter& writer, const Report& report) {
  RunTotals totals;
  for (const FileReport& file : report.files) {
    writer.file(file);
    ++totals.files;
    totals.blocks += file.counts.blocks;
    totals.withFindings += file.counts.withFindings;
  }
  writer.finish(totals);
}

}  // namespace

std::unique_ptr<FormatWriter> makeFormatWriter(Format format, const Report& header,
                                               const TextStyle& style, std::ostream& out) {
  switch (format) {
    case Format::kText:
      return makeTextWriter(style, out);
    case Format::kJson:
      return makeJsonWriter(header, out);
    case Format::kSarif:
      return makeSarifWriter(header, out);
    case Format::kGithub:
      return makeGithubWriter(out);
  }
  return nullptr;  // unreachable: every format has a case above
}

void appendPercentEncoded(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

std::string headedMessage(const Finding& finding) {
  if (finding.key == kFileKey)
    return finding.message;
  return "[" + finding.device + "." + finding.property + "] " + finding.message;
}

void writeReport(Format format, const Report& report, const TextStyle& style, std::ostream& out) {
  writeAll(*makeFormatWriter(format, report, style, out), report);
}

}  // namespace trel::quorlinsrv
