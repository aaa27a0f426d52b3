// Where in a config file each finding's text at fault stands: the module reports findings by
// block, this finds the line and columns of the key, value or section header they are about.
#pragma once

#include <string_view>
#include <vector>

#include "common/Findings.hpp"

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

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
};

// Sets `line`, `column`, `endLine` and `endColumn` of every block finding in `findings`:
// an attribute error at the first occurrence of its key within the block's lines (the key for
// an occurrence error, the value otherwise), a message naming its line ("Line 50: ...") there,
// the key/value syntax message at the line it quotes, class and device findings at the section
// header that named the device, and anything else (a missing attribute) at the block's first
// line. File-level findings keep no position.
void attachPositions(const ConfigText& text, std::vector<Finding>& findings);

}  // namespace trel::quorlinsrv
