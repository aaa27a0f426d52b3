// The checks across blocks: unique device names, unique property names within a device, and
// devices of one class offering what the class's first device (its reference) offers.
#include <array>
#include <charconv>
#include <deque>
#include <string>

#include "config/MessageForm.hpp"
#include "config/Vocabulary.hpp"
#include "parser/CrossBlockChecks.hpp"

namespace trel::quorlinsrv {

namespace {

using Block = QuorlinServerConfigDpeBlock;

const char* const kDeviceNotUnique = "Quorlin device name is not unique";
const char* const kPropertyNotUnique = "Property name is not unique within device";

// A property of one device of class C that the other device D2, starting at line N, lacks.
constexpr MessageForm<7> kMissingProperty{{"Class ", ": property ", " found in device ", " (lines ",
                                           "...", "), but there is no such property in device ",
                                           ", starting at line ", ""}};
// An aspect (a word such as "direction") of a property that differs from the reference's.
constexpr MessageForm<11> kMismatch{{"Class ", ": ", " ", " of property ", " found in device ",
                                     " (lines ", "...", ") does not correspond to ", " ",
                                     " of the same property in device ", ", starting at line ",
                                     ""}};

// The property of `block` (a block of class `className`) has no counterpart in `other`.
std::string missingPropertyMessage(std::string_view className, const Block& block,
                                   const DeviceGroup& other) {
  return kMissingProperty(className, block.attributeValue(kProperty),
                          block.attributeValue(kDeviceName), block.firstLine, block.lastLine,
                          groupDeviceName(other), other.startLine);
}

// One property aspect that every device of a class must share with the class's reference.
struct Aspect {
  const char* word;
  AttributeIndex source;  // both blocks' errors of this attribute must be empty to compare
  bool settable;          // the shown value is the attribute's word, which an edit can set
  bool (*differs)(const Block&, const Block&);
  std::string_view (*shown)(const Block&);
};

const Aspect kAspects[] = {
    {"direction", kDirection, true,
     [](const Block& a, const Block& b) { return a.direction != b.direction; },
     [](const Block& b) { return b.attributeValue(kDirection); }},
    {"data type", kValue, true,
     [](const Block& a, const Block& b) { return a.valueType != b.valueType; },
     [](const Block& b) { return b.attributeValue(kValue); }},
    {"rank", kValue, false, [](const Block& a, const Block& b) { return a.isArray != b.isArray; },
     [](const Block& b) { return std::string_view(b.isArray ? "1" : "0"); }},
    {"time type", kTime, true,
     [](const Block& a, const Block& b) { return a.timeType != b.timeType; },
     [](const Block& b) { return std::string_view(timeTypeName(b.timeType)); }},
};

bool comparable(const Aspect& aspect, const Block& block, const Block& referenceBlock) {
  return block.attributeError(aspect.source).empty() &&
         referenceBlock.attributeError(aspect.source).empty();
}

// The block of `group` under `property`, or null; `next` walks `group` in property order, so a
// caller that asks in that order compares each name about once instead of searching the map.
const Block* walkTo(const DeviceGroup& group, DeviceGroup::Blocks::const_iterator& next,
                    std::string_view property) {
  int order = 1;
  while (next != group.blocks.end() && (order = next->first.compare(property)) < 0) {
    ++next;
  }
  return next != group.blocks.end() && order == 0 ? next->second.get() : nullptr;
}

bool readNumber(std::string_view text, unsigned& number) {
  const char* end = text.data() + text.size();
  return !text.empty() && std::from_chars(text.data(), end, number).ptr == end;
}

// kMismatch with one aspect's word put in: the aspect words hold blanks, which a form's gaps
// would split at.
struct AspectForm {
  explicit AspectForm(const Aspect& aspect)
      : aspect(aspect),
        opening(std::string(kMismatch.words[1]) + aspect.word + std::string(kMismatch.words[2])),
        closing(std::string(kMismatch.words[7]) + aspect.word + std::string(kMismatch.words[8])),
        form{{kMismatch.words[0], opening, kMismatch.words[3], kMismatch.words[4],
              kMismatch.words[5], kMismatch.words[6], closing, kMismatch.words[9],
              kMismatch.words[10], kMismatch.words[11]}} {}
  AspectForm(const AspectForm&) = delete;
  const Aspect& aspect;
  const std::string opening, closing;
  const MessageForm<9> form;
};

}  // namespace

bool readClassFinding(std::string_view message, ClassFinding& finding) {
  finding = ClassFinding();
  std::array<std::string_view, 7> missing;
  if (kMissingProperty.match(message, &missing)) {
    finding.missing = true;
    finding.className = missing[0];
    finding.property = missing[1];
    finding.device = missing[2];
    finding.otherDevice = missing[5];
    return readNumber(missing[3], finding.firstLine) && readNumber(missing[4], finding.lastLine) &&
           readNumber(missing[6], finding.otherStart);
  }
  static const std::deque<AspectForm> forms(std::begin(kAspects), std::end(kAspects));
  for (const AspectForm& aspect : forms) {
    std::array<std::string_view, 9> values;
    if (!aspect.form.match(message, &values))
      continue;
    finding.className = values[0];
    finding.word = values[1];
    finding.property = values[2];
    finding.device = values[3];
    finding.otherWord = values[6];
    finding.otherDevice = values[7];
    finding.attribute = aspect.aspect.source;
    finding.settable = aspect.aspect.settable;
    return readNumber(values[4], finding.firstLine) && readNumber(values[5], finding.lastLine) &&
           readNumber(values[8], finding.otherStart);
  }
  return false;
}

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
  auto next = reference.blocks.begin();
  for (const auto& [property, block] : group.blocks) {
    ok = compareBlocks(group, *block, reference, walkTo(reference, next, property)) && ok;
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
  auto next = group.blocks.begin();
  for (Block* referenceBlock : candidates) {
    if (!referenceBlock->attributeError(kClassName).empty()) {
      continue;
    }
    if (walkTo(group, next, referenceBlock->attributeValue(kProperty)) != nullptr) {
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
      block.setAttributeError(
          kClassName,
          kMismatch(groupClassName(group), aspect.word, aspect.shown(block),
                    block.attributeValue(kProperty), block.attributeValue(kDeviceName),
                    block.firstLine, block.lastLine, aspect.word, aspect.shown(*referenceBlock),
                    groupDeviceName(reference), reference.startLine));
      return false;
    }
  }
  return true;
}

}  // namespace trel::quorlinsrv
