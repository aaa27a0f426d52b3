#include "common/Formats.hpp"

namespace trel::quorlinsrv {

namespace {

constexpr const char* kBold = "\033[1m";
constexpr const char* kRed = "\033[1;31m";
constexpr const char* kCyan = "\033[1;36m";
constexpr const char* kReset = "\033[0m";

std::string plural(std::size_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

class TextWriter : public FormatWriter {
 public:
  TextWriter(const TextStyle& style, std::ostream& out) : style_(style), out_(out) {}

  void file(const FileReport& file) override {
    for (const Finding& finding : file.findings) {
      ShownPosition at = shownPosition(finding);
      std::string where = finding.file + ":";
      if (at.line > 0)
        where += std::to_string(at.line) + ":";
      if (at.column > 0)
        where += std::to_string(at.column) + ":";
      out_ << paint(kBold, where) << ' ' << paint(kRed, "error:") << ' ';
      if (finding.key != kFileKey)
        out_ << '[' << finding.device << '.' << finding.property << "] " << finding.key << ": ";
      out_ << finding.message << '\n';
      for (const Note& note : finding.notes)
        out_ << paint(kBold, where) << ' ' << paint(kCyan, "note:") << ' ' << note.text << '\n';
    }
    if (!style_.quiet) {
      out_ << file.outcome.file << ": " << plural(file.counts.blocks, "block") << ", "
           << file.counts.withFindings << " with findings\n";
    }
  }

  void finish(const RunTotals& totals) override {
    if (!style_.quiet && totals.files > 1) {
      out_ << plural(totals.files, "file") << ", " << plural(totals.blocks, "block") << ", "
           << totals.withFindings << " with findings\n";
    }
  }

 private:
  std::string paint(const char* code, const std::string& text) const {
    return style_.color ? code + text + kReset : text;
  }

  TextStyle style_;
  std::ostream& out_;
};

}  // namespace

std::unique_ptr<FormatWriter> makeTextWriter(const TextStyle& style, std::ostream& out) {
  return std::make_unique<TextWriter>(style, out);
}

}  // namespace trel::quorlinsrv
