// Where in a config file each finding's text at fault stands: the module reports findings by
// block, this finds the line and columns of the key, value or section header they are about.
#pragma once

#include <string_view>
#include <vector>

#include "common/Findings.hpp"
#include "parser/ConfigLine.hpp"

namespace trel::quorlinsrv {

// A config file's text split into lines as the module reads them (at line feeds).
class ConfigText {
 public:
  explicit ConfigText(std::string_view text);

  unsigned lineCount() const { return static_cast<unsigned>(starts_.size()); }
  // Line `number` (1-based) without its line feed; "" outside the file.
  std::string_view line(unsigned number) const;
  // The 1-based column of the byte at `offset` of `line`: UTF-8 continuation bytes count with
  // the byte before them.
  static unsigned column(std::string_view line, std::size_t offset);
  // Line `number` read with the module's grammar; its parts view the text.
  ConfigLine read(unsigned number) const { return grammar_.read(line(number)); }

 private:
  LineGrammar grammar_;
  std::string_view text_;
  std::vector<std::size_t> starts_;
};

// Sets `line`, `column`, `endLine` and `endColumn` of every block finding in `findings`, reading
// the lines as the module does: an attribute error at the value of its key's first line in the
// block (the key when the value is empty; a repeated key at the repeat, with a note), the
// block's own messages at the lines that recorded them in turn, class and device findings at
// the section header in force, and anything else (a missing attribute) at the block's first
// line. File-level findings keep no position.
void attachPositions(const ConfigText& text, std::vector<Finding>& findings);

}  // namespace trel::quorlinsrv
