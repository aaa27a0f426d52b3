#include "common/Formats.hpp"

namespace trel::quorlinsrv {

namespace {

// The escapes of GitHub workflow commands: of the message, and of property values (`property`).
std::string escape(const std::string& text, bool property) {
  std::string escaped;
  for (char c : text) {
    // '%' and line ends everywhere; ':' and ',' would end a property value.
    if (c == '%' || c == '\r' || c == '\n' || (property && (c == ':' || c == ',')))
      appendPercentEncoded(escaped, static_cast<unsigned char>(c));
    else
      escaped += c;
  }
  return escaped;
}

class GithubWriter : public FormatWriter {
 public:
  explicit GithubWriter(std::ostream& out) : out_(out) {}

  void file(const FileReport& file) override {
    for (const Finding& finding : file.findings) {
      out_ << "::error file=" << escape(finding.file, true);
      ShownPosition at = shownPosition(finding);
      if (at.line > 0)
        out_ << ",line=" << at.line;
      if (at.column > 0)
        out_ << ",col=" << at.column;
      if (at.line > 0)
        out_ << ",endLine=" << at.endLine;
      if (at.column > 0)
        out_ << ",endColumn=" << at.endColumn;
      // The title carries the key; the message starts like the text format's.
      std::string message = headedMessage(finding);
      for (const Note& note : finding.notes)
        message += "\nnote: " + note.text;
      out_ << ",title=" << escape(finding.key, true) << "::" << escape(message, false) << '\n';
    }
  }

  void finish(const RunTotals&) override {}

 private:
  std::ostream& out_;
};

}  // namespace

std::unique_ptr<FormatWriter> makeGithubWriter(std::ostream& out) {
  return std::make_unique<GithubWriter>(out);
}

}  // namespace trel::quorlinsrv
