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

class BlockArena;

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
  // Line reader steps. Every problem becomes a message on the block being filled.
  // Adds a comment line to the leading comment, or records it as misplaced.
  void processComment(const std::string& line, BlockList& output);
  // Handles a line that is neither blank nor a comment: a section header or a key line.
  void processLine(std::string_view trimmedLine, BlockList& output);
  // Takes device and class name from the text between the brackets; false when malformed.
  bool parseSectionHeader(std::string_view text);
  // Records one key line on the current block ("dpe" first closes it); false for an unknown key.
  bool processKeyValue(std::string_view key, std::string_view value, BlockList& output);
  // Unless the current block is empty: gives it the header's names (and message), appends it
  // and starts a new one.
  void finishBlock(BlockList& output, std::uint32_t closingLine);

  // Checks across blocks, in file order; each returns false when it attached a message.
  // Groups the block into its device run; a name whose run began before is reported.
  bool checkDeviceName(const BlockPtr& block);
  // Reports a property name met before in the current device run.
  bool checkPropertyName(const BlockPtr& block);
  // Settles the current run: it becomes its class's reference or is compared with it.
  bool checkDeviceClass();
  // Compares every block of `group` with the reference, then reports what the group lacks.
  bool compareWithReference(const DeviceGroup& group, const DeviceGroup& reference);
  // Reports the first difference of `block` from `referenceBlock` (null: no such property).
  bool compareBlocks(const DeviceGroup& group, QuorlinServerConfigDpeBlock& block,
                     const DeviceGroup& reference,
                     const QuorlinServerConfigDpeBlock* referenceBlock);
  // Reports, on reference blocks not reported yet, the properties that `group` lacks.
  bool reportMissingInGroup(const DeviceGroup& group, const DeviceGroup& reference);

  // Reading: names of the section header in force; validation: device of the run collected.
  std::string deviceName;
  std::string className;
  std::string headerError;
  std::uint32_t lineNumber = 0;
  BlockPtr currentBlock;
  // Where the blocks of the current read are allocated; every block keeps it alive.
  std::shared_ptr<BlockArena> blockArena;
  std::map<std::string, DeviceGroup> classReferences;
  DeviceGroup currentGroup;
  // Views of the names in the blocks of the pass (which the caller holds while it runs); each
  // pass starts by clearing them.
  std::set<std::string_view> seenDevices;
  std::set<std::string_view> seenProperties;

  // Per class reference: its blocks that may still be reported as missing from a later device,
  // in property order. Shrinks as messages are set, so the check of each later device costs its
  // own size and the messages it sets, not the reference's size.
  std::map<const DeviceGroup*, std::vector<QuorlinServerConfigDpeBlock*>> unreportedReferenceBlocks;
};

}  // namespace trel::quorlinsrv
