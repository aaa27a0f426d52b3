#include "parser/QuorlinServerConfigParser.hpp"

#include <utility>

#include "parser/ConfigLineReader.hpp"
#include "parser/CrossBlockChecks.hpp"
#include "platform/Files.hpp"

namespace trel::quorlinsrv {

QuorlinServerConfigParser::QuorlinServerConfigParser() = default;

QuorlinServerConfigParser::~QuorlinServerConfigParser() {
  file.close();
}

QuorlinServerConfigParser::BlockList QuorlinServerConfigParser::parse(const std::string& fileName,
                                                                      std::string& error) {
  BlockList blocks;
  if (!openFile(fileName, error)) {
    return blocks;
  }
  readLines(file, blocks);
  file.close();
  validateBlocks(blocks, error);
  return blocks;
}

void QuorlinServerConfigParser::readLines(std::istream& input, BlockList& output) {
  ConfigLineReader reader;
  reader.read(input, output);
  comment = std::move(reader.comment);
}

bool QuorlinServerConfigParser::openFile(const std::string& fileName, std::string& error) {
  if (fileName.empty()) {
    error = kEmptyFileName;
    return false;
  }
  file.close();  // a file left open by an earlier call; the failure flag it sets is cleared
  file.clear();
  // Only a regular file is read, every byte as it is.
  if (!platform::openRegularFile(file, fileName)) {
    error = kFailedToOpen;
    return false;
  }
  return true;
}

bool QuorlinServerConfigParser::validateBlocks(const BlockList& blocks, std::string& error) {
  if (blocks.empty()) {
    error = kNoBlocks;
    return false;
  }
  CrossBlockChecks checks;
  std::size_t failures = 0;
  for (const BlockPtr& block : blocks) {
    block->validate();
    failures += block->hasErrors() ? 1 : 0;
    failures += checks.checkDeviceName(*block) ? 0 : 1;
    failures += checks.checkPropertyName(*block) ? 0 : 1;
  }
  if (checks.checkDeviceClass() && failures == 0) {
    return true;
  }
  error = kValidationErrors;
  return false;
}

}  // namespace trel::quorlinsrv
