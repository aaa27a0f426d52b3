// The checks across blocks: unique device names, unique property names within a device, and
// devices of one class offering what the class's first device (its reference) offers.
#include <sstream>
#include <string>

#include "config/Vocabulary.hpp"
#include "parser/CrossBlockChecks.hpp"

namespace trel::quorlinsrv {

namespace {

using Block = QuorlinServerConfigDpeBlock;

const char* const kDeviceNotUnique = "Quorlin device name is not unique";
const char* const kPropertyNotUnique = "Property name is not unique within device";

// "property P found in device D (lines F...L)"
void describeBlock(std::ostream& out, const Block& block) {
  out << "property " << block.attributeValue(kProperty) << " found in device "
      << block.attributeValue(kDeviceName) << " (lines " << block.firstLine << "..."
      << block.lastLine << ")";
}

// The property of `block` (a block of class `className`) has no counterpart in `other`.
std::string missingPropertyMessage(std::string_view className, const Block& block,
                                   const DeviceGroup& other) {
  std::ostringstream message;
  message << "Class " << className << ": ";
  describeBlock(message, block);
  message << ", but there is no such property in device " << groupDeviceName(other)
          << ", starting at line " << other.startLine;
  return message.str();
}

// One property aspect that every device of a class must share with the class's reference.
struct Aspect {
  const char* word;
  AttributeIndex source;  // both blocks' errors of this attribute must be empty to compare
  bool (*differs)(const Block&, const Block&);
  std::string_view (*shown)(const Block&);
};

const Aspect kAspects[] = {
    {"direction", kDirection,
     [](const Block& a, const Block& b) { return a.direction != b.direction; },
     [](const Block& b) { return b.attributeValue(kDirection); }},
    {"data type", kValue, [](const Block& a, const Block& b) { return a.valueType != b.valueType; },
     [](const Block& b) { return b.attributeValue(kValue); }},
    {"rank", kValue, [](const Block& a, const Block& b) { return a.isArray != b.isArray; },
     [](const Block& b) { return std::string_view(b.isArray ? "1" : "0"); }},
    {"time type", kTime, [](const Block& a, const Block& b) { return a.timeType != b.timeType; },
     [](const Block& b) { return std::string_view(timeTypeName(b.timeType)); }},
};

std::string mismatchMessage(std::string_view className, const Aspect& aspect, const Block& block,
                            const Block& referenceBlock, const DeviceGroup& reference) {
  std::ostringstream message;
  message << "Class " << className << ": " << aspect.word << " " << aspect.shown(block) << " of ";
  describeBlock(message, block);
  message << " does not correspond to " << aspect.word << " " << aspect.shown(referenceBlock)
          << " of the same property in device " << groupDeviceName(reference)
          << ", starting at line " << reference.startLine;
  return message.str();
}

bool comparable(const Aspect& aspect, const Block& block, const Block& referenceBlock) {
  return block.attributeError(aspect.source).empty() &&
         referenceBlock.attributeError(aspect.source).empty();
}

}  // namespace

bool CrossBlockChecks::checkDeviceName(const BlockPtr& block) {
  const std::string_view name = block->attributeValue(kDeviceName);
  if (name.empty()) {
    return true;
  }
  if (name == deviceName) {
    addToGroup(currentGroup, block);
    return true;
  }
  bool ok = checkDeviceClass();
  deviceName = name;
  seenProperties.clear();
  if (!seenDevices.insert(name).second) {
    block->setAttributeError(kDeviceName, kDeviceNotUnique);
    ok = false;
  }
  currentGroup = DeviceGroup();
  addToGroup(currentGroup, block);
  return ok;
}

bool CrossBlockChecks::checkPropertyName(const BlockPtr& block) {
  const std::string_view property = block->attributeValue(kProperty);
  if (property.empty()) {
    return true;
  }
  if (!seenProperties.insert(property).second) {
    block->setAttributeError(kProperty, kPropertyNotUnique);
    return false;
  }
  return true;
}

bool CrossBlockChecks::checkDeviceClass() {
  bool ok = true;
  const std::string_view name = groupClassName(currentGroup);
  if (!name.empty()) {
    const auto reference = classReferences.find(name);
    if (reference == classReferences.end()) {
      // The class's first device run becomes its reference; the group is emptied below anyway.
      classReferences.emplace(std::string(name), std::move(currentGroup));
    } else {
      ok = compareWithReference(currentGroup, reference->second);
    }
  }
  currentGroup = DeviceGroup();
  return ok;
}

bool CrossBlockChecks::compareWithReference(const DeviceGroup& group,
                                            const DeviceGroup& reference) {
  bool ok = true;
  for (const auto& [property, block] : group.blocks) {
    const auto found = reference.blocks.find(property);
    const Block* referenceBlock = found == reference.blocks.end() ? nullptr : found->second.get();
    ok = compareBlocks(group, *block, reference, referenceBlock) && ok;
  }
  return reportMissingInGroup(group, reference) && ok;
}

bool CrossBlockChecks::reportMissingInGroup(const DeviceGroup& group,
                                            const DeviceGroup& reference) {
  // Only reference blocks without a class error can still receive a message, and a message
  // is never taken back; so the candidates shrink as messages are set.
  auto [entry, isNew] = unreportedReferenceBlocks.try_emplace(&reference);
  std::vector<Block*>& candidates = entry->second;
  if (isNew) {
    candidates.reserve(reference.blocks.size());
    for (const auto& [property, block] : reference.blocks) {
      candidates.push_back(block.get());
    }
  }
  bool ok = true;
  std::vector<Block*> stillUnreported;
  const std::string_view className = groupClassName(group);
  for (Block* referenceBlock : candidates) {
    if (!referenceBlock->attributeError(kClassName).empty()) {
      continue;
    }
    if (group.blocks.count(referenceBlock->attributeValue(kProperty)) != 0) {
      stillUnreported.push_back(referenceBlock);
      continue;
    }
    referenceBlock->setAttributeError(kClassName,
                                      missingPropertyMessage(className, *referenceBlock, group));
    ok = false;
  }
  candidates.swap(stillUnreported);
  return ok;
}

bool CrossBlockChecks::compareBlocks(const DeviceGroup& group, Block& block,
                                     const DeviceGroup& reference, const Block* referenceBlock) {
  if (referenceBlock == nullptr) {
    block.setAttributeError(kClassName,
                            missingPropertyMessage(groupClassName(group), block, reference));
    return false;
  }
  for (const Aspect& aspect : kAspects) {
    if (comparable(aspect, block, *referenceBlock) && aspect.differs(block, *referenceBlock)) {
      block.setAttributeError(kClassName, mismatchMessage(groupClassName(group), aspect, block,
                                                          *referenceBlock, reference));
      return false;
    }
  }
  return true;
}

}  // namespace trel::quorlinsrv
