#include "tools/Formats.hpp"

namespace trel::quorlinsrv {

namespace {

constexpr const char* kBold = "\033[1m";
constexpr const char* kRed = "\033[1;31m";
constexpr const char* kCyan = "\033[1;36m";
constexpr const char* kReset = "\033[0m";

std::string plural(std::size_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

void writeText(const Report& report, const TextStyle& style, std::ostream& out) {
  auto paint = [&](const char* code, const std::string& text) {
    return style.color ? code + text + kReset : text;
  };
  for (const FileReport& file : report.files) {
    for (const Finding& finding : file.findings) {
      ShownPosition at = shownPosition(finding);
      std::string where = finding.file + ":";
      if (at.line > 0)
        where += std::to_string(at.line) + ":";
      if (at.column > 0)
        where += std::to_string(at.column) + ":";
      out << paint(kBold, where) << ' ' << paint(kRed, "error:") << ' ';
      if (finding.key != kFileKey)
        out << '[' << finding.device << '.' << finding.property << "] " << finding.key << ": ";
      out << finding.message << '\n';
      for (const Note& note : finding.notes)
        out << paint(kBold, where) << ' ' << paint(kCyan, "note:") << ' ' << note.text << '\n';
    }
    if (!style.quiet) {
      out << file.outcome.file << ": " << plural(file.counts.blocks, "block") << ", "
          << file.counts.withFindings << " with findings\n";
    }
  }
}

}  // namespace trel::quorlinsrv
