#include "common/Positions.hpp"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/AttributeIndex.hpp"

namespace trel::quorlinsrv {

namespace {

// Whitespace of the classic locale, which the module trims.
constexpr const char* kBlanks = " \t\n\v\f\r";

// A piece of a line as byte offsets [begin, end).
struct Span {
  std::size_t begin = 0;
  std::size_t end = 0;
};

Span trimmed(std::string_view line, Span span) {
  while (span.begin < span.end && std::strchr(kBlanks, line[span.begin]) && line[span.begin])
    ++span.begin;
  while (span.end > span.begin && std::strchr(kBlanks, line[span.end - 1]) && line[span.end - 1])
    --span.end;
  return span;
}

Span trimmed(std::string_view line) {
  return trimmed(line, Span{0, line.size()});
}

// The key and value of a key/value line as the module splits it (exactly one '=').
bool splitKeyValue(std::string_view line, Span& key, Span& value) {
  Span all = trimmed(line);
  std::size_t equals = line.find('=', all.begin);
  if (equals == std::string_view::npos || equals >= all.end || line.find('=', equals + 1) < all.end)
    return false;
  key = trimmed(line, Span{all.begin, equals});
  value = trimmed(line, Span{equals + 1, all.end});
  return true;
}

bool isHeader(std::string_view line) {
  Span all = trimmed(line);
  return all.end - all.begin >= 3 && line[all.begin] == '[' && line[all.end - 1] == ']';
}

// The words of a section header split at single blanks as the module splits them; a word may be
// empty.
std::vector<Span> headerWords(std::string_view line) {
  Span all = trimmed(line);
  Span inner = trimmed(line, Span{all.begin + 1, all.end - 1});
  std::vector<Span> words;
  std::size_t start = inner.begin;
  for (std::size_t i = inner.begin; i < inner.end; ++i) {
    if (std::strchr(kBlanks, line[i]) && line[i]) {
      words.push_back(Span{start, i});
      start = i + 1;
    }
  }
  words.push_back(Span{start, inner.end});
  return words;
}

// The key in the file of a per-block key of the result; null for the header's names.
const char* fileKeyOf(const std::string& key) {
  for (const AttributeRow& row : kAttributeTable) {
    if (!row.fileKey.empty() && key == row.resultKey)
      return row.fileKey.data();  // a string literal, so NUL-terminated
  }
  return nullptr;
}

// The messages of the occurrence rules, which are about the key rather than its value.
bool isOccurrenceMessage(const std::string& message) {
  for (const char* start : {"attribute '", "mandatory attribute '", "the value of mandatory"}) {
    if (message.rfind(start, 0) == 0)
      return true;
  }
  return false;
}

// The line number in "Line 50: ..." or "syntax error in line 12: ...", 0 for other messages.
unsigned namedLine(const std::string& message) {
  for (const char* start : {"Line ", "syntax error in line "}) {
    std::size_t length = std::strlen(start);
    if (message.rfind(start, 0) == 0 && message.size() > length &&
        std::isdigit(static_cast<unsigned char>(message[length])))
      return static_cast<unsigned>(std::strtoul(message.c_str() + length, nullptr, 10));
  }
  return 0;
}

// The text that "syntax error: found '...' while expecting ..." quotes, "" for other messages.
std::string quotedLine(const std::string& message) {
  static const std::string kStart = "syntax error: found '";
  std::size_t end = message.rfind("' while expecting");
  if (message.rfind(kStart, 0) != 0 || end == std::string::npos || end < kStart.size())
    return "";
  return message.substr(kStart.size(), end - kStart.size());
}

void place(Finding& finding, const ConfigText& text, unsigned line, Span span) {
  std::string_view content = text.line(line);
  finding.line = finding.endLine = line;
  finding.column = ConfigText::column(content, span.begin);
  finding.endColumn = ConfigText::column(content, span.end);
}

void placeAtLine(Finding& finding, const ConfigText& text, unsigned line) {
  place(finding, text, line, trimmed(text.line(line)));
}

unsigned lastLineOf(const Finding& finding, const ConfigText& text) {
  return finding.lastLine >= finding.firstLine ? finding.lastLine : text.lineCount();
}

// The section header in force at the block's first line, 0 when there is none.
unsigned headerLine(const Finding& finding, const ConfigText& text) {
  for (unsigned line = finding.firstLine; line > 0; --line) {
    if (isHeader(text.line(line)))
      return line;
  }
  return 0;
}

void placeHeaderFinding(Finding& finding, const ConfigText& text) {
  if (unsigned line = namedLine(finding.message))
    return placeAtLine(finding, text, line);  // a malformed header as a whole
  unsigned line = headerLine(finding, text);
  if (line == 0)
    return placeAtLine(finding, text, finding.firstLine);
  std::vector<Span> words = headerWords(text.line(line));
  if (words.size() != 1 && words.size() != 3)
    return placeAtLine(finding, text, line);
  bool classWord = finding.key == blockFieldKey(kFieldClass) && words.size() == 3;
  place(finding, text, line, words[classWord ? 2 : 0]);
}

void placeSyntaxFinding(Finding& finding, const ConfigText& text) {
  if (unsigned line = namedLine(finding.message)) {
    Span key, value;
    if (finding.message.find(": unexpected key '") != std::string::npos &&
        splitKeyValue(text.line(line), key, value))
      return place(finding, text, line,
                   key.begin == key.end ? Span{key.begin, key.begin + 1} : key);
    return placeAtLine(finding, text, line);
  }
  std::string quoted = quotedLine(finding.message);
  for (unsigned line = finding.firstLine; !quoted.empty() && line <= lastLineOf(finding, text);
       ++line) {
    std::string_view content = text.line(line);
    Span all = trimmed(content);
    if (content.substr(all.begin, all.end - all.begin) == quoted)
      return place(finding, text, line, all);
  }
  placeAtLine(finding, text, finding.firstLine);
}

void placeAttributeFinding(Finding& finding, const ConfigText& text, const char* fileKey) {
  for (unsigned line = finding.firstLine; line <= lastLineOf(finding, text); ++line) {
    std::string_view content = text.line(line);
    Span key, value;
    if (splitKeyValue(content, key, value) &&
        content.substr(key.begin, key.end - key.begin) == fileKey) {
      bool atKey = isOccurrenceMessage(finding.message) || value.begin == value.end;
      return place(finding, text, line, atKey ? key : value);
    }
  }
  placeAtLine(finding, text, finding.firstLine);  // the key does not occur: the block itself
}

}  // namespace

ConfigText::ConfigText(std::string_view text) : text_(text) {
  starts_.push_back(0);
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    if (at + 1 < text.size())
      starts_.push_back(at + 1);
  }
  if (text.empty())
    starts_.clear();
}

std::string_view ConfigText::line(unsigned number) const {
  if (number == 0 || number > starts_.size())
    return std::string_view();
  std::size_t begin = starts_[number - 1];
  std::size_t end = number < starts_.size() ? starts_[number] - 1 : text_.size();
  if (end > begin && end == text_.size() && text_[end - 1] == '\n')
    --end;
  return text_.substr(begin, end - begin);
}

unsigned ConfigText::column(std::string_view line, std::size_t offset) {
  unsigned column = 1;
  for (std::size_t i = 0; i < offset && i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80)
      ++column;
  }
  return column + static_cast<unsigned>(offset > line.size() ? offset - line.size() : 0);
}

void attachPositions(const ConfigText& text, std::vector<Finding>& findings) {
  for (Finding& finding : findings) {
    if (finding.key == kFileKey || finding.firstLine == 0)
      continue;
    if (finding.key == kSyntaxKey)
      placeSyntaxFinding(finding, text);
    else if (const char* fileKey = fileKeyOf(finding.key))
      placeAttributeFinding(finding, text, fileKey);
    else
      placeHeaderFinding(finding, text);
  }
}

}  // namespace trel::quorlinsrv
