#include "tools/Formats.hpp"

namespace trel::quorlinsrv {

namespace {

std::string escape(const std::string& text, bool property) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '%':
        escaped += "%25";
        break;
      case '\r':
        escaped += "%0D";
        break;
      case '\n':
        escaped += "%0A";
        break;
      case ':':
        escaped += property ? "%3A" : ":";
        break;
      case ',':
        escaped += property ? "%2C" : ",";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::string escapeWorkflowData(const std::string& text) {
  return escape(text, false);
}

std::string escapeWorkflowProperty(const std::string& text) {
  return escape(text, true);
}

void writeGithub(const Report& report, std::ostream& out) {
  for (const FileReport& file : report.files) {
    for (const Finding& finding : file.findings) {
      out << "::error file=" << escapeWorkflowProperty(finding.file);
      ShownPosition at = shownPosition(finding);
      if (at.line > 0)
        out << ",line=" << at.line;
      if (at.column > 0)
        out << ",col=" << at.column;
      if (at.line > 0)
        out << ",endLine=" << at.endLine;
      if (at.column > 0)
        out << ",endColumn=" << at.endColumn;
      std::string message = finding.message;
      for (const Note& note : finding.notes)
        message += "\nnote: " + note.text;
      out << ",title=" << escapeWorkflowProperty(finding.key) << "::" << escapeWorkflowData(message)
          << '\n';
    }
  }
}

}  // namespace trel::quorlinsrv
