// Reads a config file into DPE blocks, runs every block's own checks and the checks across
// blocks, and leaves each finding as a text on a block; the caller gets the blocks in file order,
// one summary text and the file's leading comment.
#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "config/QuorlinServerConfigDpeBlock.hpp"
#include "parser/DeviceGroup.hpp"

namespace trel::quorlinsrv {

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
  // Reads the opened file (or `input`) to its end, appending every closed block to `output` and
  // gathering the leading comment. Every problem is recorded on a block.
  void readLines(BlockList& output);
  void readLines(std::istream& input, BlockList& output);
  // Runs the checks of every block and across blocks in file order. False, with `error` set to
  // the summary text, when there is no block or anything was found.
  bool validateBlocks(const BlockList& blocks, std::string& error);

 private:
  std::ifstream file;

 public:
  // The file's leading comment lines, joined by line feeds.
  std::string comment;

 private:
  // Line reader steps.
  void processComment(const std::string& line, BlockList& output);
  void processLine(std::string_view trimmedLine, BlockList& output);
  bool parseSectionHeader(std::string_view text);
  bool processKeyValue(std::string_view key, std::string_view value, BlockList& output);
  void finishBlock(BlockList& output, std::uint32_t closingLine);
  void closeBlock(BlockList& output, std::uint32_t closingLine);
  void reportUnusedHeaderError(BlockList& output);

  // Checks across blocks; each returns false when it attached a message.
  bool checkDeviceName(const BlockPtr& block);
  bool checkPropertyName(const BlockPtr& block);
  bool checkDeviceClass();
  bool compareWithReference(const DeviceGroup& group, const DeviceGroup& reference);
  bool compareBlocks(const DeviceGroup& group, QuorlinServerConfigDpeBlock& block,
                     const DeviceGroup& reference,
                     const QuorlinServerConfigDpeBlock* referenceBlock);
  bool reportMissingInGroup(const DeviceGroup& group, const DeviceGroup& reference);

  // Reading: names of the section header in force; validation: device of the run collected.
  std::string deviceName;
  std::string className;
  std::string headerError;
  std::uint32_t lineNumber = 0;
  BlockPtr currentBlock;
  std::map<std::string, DeviceGroup> classReferences;
  DeviceGroup currentGroup;
  std::set<std::string> seenDevices;
  std::set<std::string> seenProperties;

  // Where the header in force was read, and whether a block was closed under it, so that a
  // malformed header is reported even when no block follows it.
  std::uint32_t headerLine = 0;
  bool headerHasBlock = false;
  // Per class reference: its blocks not yet reported as missing from a later device, in property
  // order. Shrinks as messages are set, so each later device costs only its own size.
  std::map<const DeviceGroup*, std::vector<QuorlinServerConfigDpeBlock*>> unreportedReferenceBlocks;
};

}  // namespace trel::quorlinsrv
