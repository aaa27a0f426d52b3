// The checks across blocks, fed one block at a time in file order: unique device names, unique
// property names within a device run, and every device run compared with the first run of its
// class (its reference). What it keeps is exactly what these comparisons look back at.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "config/QuorlinServerConfigDpeBlock.hpp"
#include "parser/DeviceGroup.hpp"

namespace trel::quorlinsrv {

// A class message of these checks read back, so that an editor can act on it: the property of
// the block on lines `firstLine`...`lastLine` of `device` lacks in `otherDevice` (`missing`), or
// differs from the other device's in the word of `attribute`.
struct ClassFinding {
  bool missing = false;
  std::string_view className, property, device, otherDevice;
  unsigned firstLine = 0, lastLine = 0;
  unsigned otherStart = 0;  // the first line of the other device's first block
  AttributeIndex attribute = kClassName;
  bool settable = false;  // writing `otherWord` as the block's `attribute` ends the difference
  std::string_view word, otherWord;
};

// Reads `message`; false when it is no class message of these checks. The views are into it.
bool readClassFinding(std::string_view message, ClassFinding& finding);

class CrossBlockChecks {
 public:
  using BlockPtr = std::shared_ptr<QuorlinServerConfigDpeBlock>;

  // Each returns false when it attached a message. The blocks must stay alive while the checks
  // run: the names they keep are views of the blocks' values.
  // Groups the block into its device run; a name whose run began before is reported.
  bool checkDeviceName(const BlockPtr& block);
  // Reports a property name met before in the current device run.
  bool checkPropertyName(const BlockPtr& block);
  // Settles the current run: it becomes its class's reference or is compared with it. Called by
  // checkDeviceName when a run ends, and once after the last block.
  bool checkDeviceClass();

 private:
  using Block = QuorlinServerConfigDpeBlock;

  // Compares every block of `group` with the reference, then reports what the group lacks.
  bool compareWithReference(const DeviceGroup& group, const DeviceGroup& reference);
  // Reports the first difference of `block` from `referenceBlock` (null: no such property).
  bool compareBlocks(const DeviceGroup& group, Block& block, const DeviceGroup& reference,
                     const Block* referenceBlock);
  // Reports, on reference blocks not reported yet, the properties that `group` lacks.
  bool reportMissingInGroup(const DeviceGroup& group, const DeviceGroup& reference);

  // The device run being collected: its name and its blocks.
  std::string_view deviceName;
  DeviceGroup currentGroup;
  // Device names whose run has started (hashed: an ordered set compared each new name with
  // about 13 others, each a cache miss into the text); property names of the current run.
  std::unordered_set<std::string_view> seenDevices;
  std::set<std::string_view> seenProperties;
  // The reference run of each class.
  std::map<std::string, DeviceGroup, std::less<>> classReferences;
  // Per class reference: its blocks that may still be reported as missing from a later device,
  // in property order. Shrinks as messages are set, so the check of each later device costs its
  // own size and the messages it sets, not the reference's size.
  std::map<const DeviceGroup*, std::vector<Block*>> unreportedReferenceBlocks;
};

}  // namespace trel::quorlinsrv
