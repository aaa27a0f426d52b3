#include "common/Positions.hpp"

#include "config/QuorlinServerConfigDpeBlock.hpp"

namespace trel::quorlinsrv {

namespace {

// The key in the file of a per-block key of the result; "" for the header's names.
std::string_view fileKeyOf(const std::string& key) {
  for (const AttributeRow& row : kAttributeTable) {
    if (key == row.resultKey)
      return row.fileKey;
  }
  return std::string_view();
}

void place(Finding& finding, const ConfigText& text, unsigned line, std::string_view part) {
  std::string_view content = text.line(line);
  std::size_t begin = LineGrammar::offsetOf(content, part);
  finding.line = finding.endLine = line;
  finding.column = ConfigText::column(content, begin);
  finding.endColumn = ConfigText::column(content, begin + part.size());
}

void placeAtLine(Finding& finding, const ConfigText& text, unsigned line) {
  place(finding, text, line, text.read(line).text);
}

unsigned lastLineOf(const Finding& finding, const ConfigText& text) {
  return finding.lastLine >= finding.firstLine ? finding.lastLine : text.lineCount();
}

// The lines that record a message of the block itself, one each and in line order: a comment
// after the leading ones, a line that is neither header nor key line, a key line of another key.
bool recordsBlockMessage(const ConfigLine& line) {
  return line.kind == LineKind::kComment || line.kind == LineKind::kOther ||
         (line.kind == LineKind::kKeyValue && findFileKey(line.key) == nullptr);
}

// The block's own message number `index` (0-based) at the line that recorded it: a key that is
// unexpected (an empty one as its separator), else the line.
void placeBlockMessage(Finding& finding, const ConfigText& text, unsigned index) {
  for (unsigned line = finding.firstLine; line <= lastLineOf(finding, text); ++line) {
    ConfigLine read = text.read(line);
    if (!recordsBlockMessage(read) || index-- > 0)
      continue;
    if (read.kind != LineKind::kKeyValue)
      return place(finding, text, line, read.text);
    return place(finding, text, line,
                 read.key.empty() ? std::string_view(read.key.data(), 1) : read.key);
  }
  placeAtLine(finding, text, finding.firstLine);
}

// At the value of the key's first line (its key when the value is empty); a repeated key at the
// repeat, the line one would delete, with the first one as a note.
void placeAttributeFinding(Finding& finding, const ConfigText& text, std::string_view fileKey) {
  unsigned first = 0;  // the first line of a repeated key
  for (unsigned line = finding.firstLine; line <= lastLineOf(finding, text); ++line) {
    ConfigLine read = text.read(line);
    if (read.kind != LineKind::kKeyValue || read.key != fileKey)
      continue;
    if (first != 0) {
      finding.notes.push_back(
          Note{"first given on line " + std::to_string(first) + ", whose value is used", ""});
      return place(finding, text, line, read.key);
    }
    if (!kRepeatedAttribute.match(finding.message))
      return place(finding, text, line, read.value.empty() ? read.key : read.value);
    first = line;
  }
  placeAtLine(finding, text, finding.firstLine);  // the key does not occur
}

// At the section header in force: the device's or the class's word, the whole of a malformed one.
void placeHeaderFinding(Finding& finding, const ConfigText& text) {
  for (unsigned line = finding.firstLine; line > 0; --line) {
    ConfigLine header = text.read(line);
    if (header.kind != LineKind::kHeader)
      continue;
    if (!header.wellFormed())
      return placeAtLine(finding, text, line);
    bool classWord = finding.key == blockFieldKey(kFieldClass) && header.wordCount == 3;
    std::string_view word = header.words[classWord ? 2 : 0];
    if (header.inside.empty())  // "[ ]": the empty name before the closing bracket
      word = header.text.substr(header.text.size() - 1, 0);
    return place(finding, text, line, word);
  }
  placeAtLine(finding, text, finding.firstLine);
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
  unsigned index = 0;  // of a block's own message among those of its block
  const Finding* previous = nullptr;
  for (Finding& finding : findings) {
    if (finding.key == kSyntaxKey) {
      bool sameBlock = previous != nullptr && previous->key == kSyntaxKey &&
                       previous->firstLine == finding.firstLine &&
                       previous->lastLine == finding.lastLine;
      index = sameBlock ? index + 1 : 0;
    }
    previous = &finding;
    if (finding.key == kFileKey || finding.firstLine == 0)
      continue;
    if (finding.key == kSyntaxKey)
      placeBlockMessage(finding, text, index);
    else if (std::string_view fileKey = fileKeyOf(finding.key); !fileKey.empty())
      placeAttributeFinding(finding, text, fileKey);
    else
      placeHeaderFinding(finding, text);
  }
}

}  // namespace trel::quorlinsrv
