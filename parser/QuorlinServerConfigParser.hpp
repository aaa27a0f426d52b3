// Reads a config file into DPE blocks, runs every block's own checks and the checks across
// blocks, and leaves each finding as a text on a block; the caller gets the blocks in file order,
// one summary text and the file's leading comment.
#pragma once

#include <fstream>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "config/QuorlinServerConfigDpeBlock.hpp"

namespace trel::quorlinsrv {

// The summary texts of `parse`.
inline constexpr const char* kEmptyFileName = "empty config file name";
inline constexpr const char* kFailedToOpen = "failed to open file ";
inline constexpr const char* kNoBlocks = "No configuration found in file";
inline constexpr const char* kValidationErrors = "Validation error(s)";

class QuorlinServerConfigParser {
 public:
  using BlockPtr = std::shared_ptr<QuorlinServerConfigDpeBlock>;
  using BlockList = std::vector<BlockPtr>;

  QuorlinServerConfigParser();
  QuorlinServerConfigParser(const QuorlinServerConfigParser&) = delete;
  QuorlinServerConfigParser& operator=(const QuorlinServerConfigParser&) = delete;
  virtual ~QuorlinServerConfigParser();

  // Opens, reads, closes and validates `fileName`. `error` (passed empty) becomes "" or the
  // summary text; the result is every block in file order, empty when nothing could be read.
  BlockList parse(const std::string& fileName, std::string& error);

  // Opens `fileName` read-only; false with `error` set when the name is empty or the open fails.
  bool openFile(const std::string& fileName, std::string& error);
  // Reads `input` to its end, appending every closed block to `output` and gathering the
  // leading comment. Every problem is recorded on a block.
  void readLines(std::istream& input, BlockList& output);
  // Runs the checks of every block and across blocks in one pass in file order. False, with
  // `error` set to the summary text, when there is no block or anything was found.
  bool validateBlocks(const BlockList& blocks, std::string& error);

  // The file's leading comment lines, joined by line feeds.
  std::string comment;

 private:
  std::ifstream file;
};

}  // namespace trel::quorlinsrv
