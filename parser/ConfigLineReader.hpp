// The line reader: turns the text of a config file into blocks and the leading comment. What it
// keeps is the state of reading only: the block being filled, the section header in force and
// where it stands in the file.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/QuorlinServerConfigDpeBlock.hpp"
#include "parser/ConfigLine.hpp"

namespace trel::quorlinsrv {

class BlockStore;

class ConfigLineReader {
 public:
  using BlockPtr = std::shared_ptr<QuorlinServerConfigDpeBlock>;
  using BlockList = std::vector<BlockPtr>;

  // Reads `input` to its end, appending every closed block to `output` and gathering the leading
  // comment. Every problem is recorded on a block; a read error ends the input. Once per reader.
  void read(std::istream& input, BlockList& output);

  // The file's leading comment lines, joined by line feeds.
  std::string comment;

 private:
  // Adds a comment line to the leading comment, or records it as misplaced.
  void processComment(std::string_view line, BlockList& output);
  // Handles a line that is neither blank nor a comment: a section header or a key line.
  void processLine(const ConfigLine& line, BlockList& output);
  // Records one key line on the current block ("dpe" first closes it), or reports an unknown key.
  void processKeyValue(std::string_view key, std::string_view value, BlockList& output);
  // Unless the current block is empty: gives it the header's names (and message), appends it
  // and starts a new one.
  void finishBlock(BlockList& output, std::uint32_t closingLine);

  // The text being read and its blocks; every block pointer keeps it alive.
  std::shared_ptr<BlockStore> store;
  QuorlinServerConfigDpeBlock* currentBlock = nullptr;
  std::uint32_t lineNumber = 0;
  // The section header in force: its names (views of the text) and its message if malformed.
  std::string_view deviceName;
  std::string_view className;
  std::string headerError;
};

}  // namespace trel::quorlinsrv
