#include "parser/QuorlinServerConfigParser.hpp"

namespace trel::quorlinsrv {

namespace {

const char* const kEmptyFileName = "empty config file name";
const char* const kOpenFailed = "failed to open file ";
const char* const kNoBlocks = "No configuration found in file";
const char* const kValidationFailed = "Validation error(s)";

}  // namespace

QuorlinServerConfigParser::QuorlinServerConfigParser() = default;

QuorlinServerConfigParser::~QuorlinServerConfigParser() {
  if (file.is_open()) {
    file.close();
  }
}

QuorlinServerConfigParser::BlockList QuorlinServerConfigParser::parse(const std::string& fileName,
                                                                      std::string& error) {
  BlockList blocks;
  if (!openFile(fileName, error)) {
    return blocks;
  }
  readLines(blocks);
  file.close();
  validateBlocks(blocks, error);
  return blocks;
}

bool QuorlinServerConfigParser::openFile(const std::string& fileName, std::string& error) {
  if (fileName.empty()) {
    error = kEmptyFileName;
    return false;
  }
  if (file.is_open()) {
    file.close();
  }
  lineNumber = 0;
  file.clear();
  file.open(fileName, std::ios::in);
  if (!file.is_open()) {
    error = kOpenFailed;
    return false;
  }
  return true;
}

bool QuorlinServerConfigParser::validateBlocks(const BlockList& blocks, std::string& error) {
  if (blocks.empty()) {
    error = kNoBlocks;
    return false;
  }
  seenDevices.clear();
  seenProperties.clear();
  deviceName.clear();
  classReferences.clear();
  unreportedReferenceBlocks.clear();
  std::size_t failures = 0;
  for (const BlockPtr& block : blocks) {
    block->validate();
    failures += block->hasErrors() ? 1 : 0;
    failures += checkDeviceName(block) ? 0 : 1;
    failures += checkPropertyName(block) ? 0 : 1;
  }
  if (checkDeviceClass() && failures == 0) {
    return true;
  }
  error = kValidationFailed;
  return false;
}

}  // namespace trel::quorlinsrv
