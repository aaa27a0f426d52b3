// The checks across blocks, fed one block at a time in file order: unique device names, unique
// property names within a device run, and every device run compared with the first run of its
// class (its reference). What it keeps is exactly what these comparisons look back at.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "config/QuorlinServerConfigDpeBlock.hpp"

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

// A device run: its blocks, the first of each property name, in property order.
struct DeviceGroup {
  std::vector<QuorlinServerConfigDpeBlock*> blocks;
  std::int32_t startLine = 0;  // firstLine of its first block in the file
};

class CrossBlockChecks {
 public:
  using Block = QuorlinServerConfigDpeBlock;

  // Each returns false when it attached a message. The blocks must stay alive while the checks
  // run: the names they keep are views of the blocks' values.
  // Starts a new device run when the block's device name differs from the run's (settling the
  // run that ends); a name whose run began before is reported.
  bool checkDeviceName(Block& block);
  // Enters the block into the current run. A property name repeated within the run is reported
  // when the run is settled: one sort of the run instead of a set insert per block.
  bool checkPropertyName(Block& block);
  // Settles the current run: its repeated property names are reported, and it becomes its
  // class's reference or is compared with it. Called by checkDeviceName when a run ends, and
  // once after the last block.
  bool checkDeviceClass();

 private:
  struct Reference {
    DeviceGroup group;
    // Its blocks that may still be reported as missing from a later device, in property order.
    // Shrinks as messages are set, so the check of each later device costs its own size and the
    // messages it sets, not the reference's size.
    std::vector<Block*> unreported;
  };

  // Reports the run's repeated property names and gathers the device's blocks into `group`.
  bool settleRun(DeviceGroup& group);
  // Compares every block of `group` with the reference, then reports what the group lacks.
  bool compareWithReference(const DeviceGroup& group, Reference& reference);
  // Reports the first difference of `block` from `referenceBlock` (null: no such property).
  bool compareBlocks(const DeviceGroup& group, Block& block, const DeviceGroup& reference,
                     const Block* referenceBlock);

  // The run being collected: its device name and every block since it began, nameless blocks
  // included (they share the property check but belong to no device).
  std::string_view deviceName;
  std::vector<Block*> run;
  std::int32_t runStart = 0;
  // Device names whose run has started (hashed: an ordered set compared each new name with
  // about 13 others, each a cache miss into the text).
  std::unordered_set<std::string_view> seenDevices;
  // The reference run of each class.
  std::map<std::string_view, Reference> classReferences;
};

}  // namespace trel::quorlinsrv
