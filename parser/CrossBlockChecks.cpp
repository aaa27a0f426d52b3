// The checks across blocks: unique device names, unique property names within a device, and
// devices of one class offering what the class's first device (its reference) offers.
#include <algorithm>
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

// The class or device name (`index`) of the block with the smallest property name; "" for an
// empty group.
std::string_view groupName(const DeviceGroup& group, AttributeIndex index) {
  return group.blocks.empty() ? std::string_view() : group.blocks[0]->attributeValue(index);
}

std::string_view propertyOf(const Block* block) {
  return block->attributeValue(kProperty);
}

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
                          groupName(other, kDeviceName), other.startLine);
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

// The block of `group` under `property`, or null; `next` walks `group` in property order, so a
// caller that asks in that order compares each name about once instead of searching.
const Block* walkTo(const DeviceGroup& group, std::size_t& next, std::string_view property) {
  int order = 1;
  while (next < group.blocks.size() &&
         (order = propertyOf(group.blocks[next]).compare(property)) < 0) {
    ++next;
  }
  return order == 0 ? group.blocks[next] : nullptr;
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

bool CrossBlockChecks::checkDeviceName(Block& block) {
  const std::string_view name = block.attributeValue(kDeviceName);
  if (name.empty() || name == deviceName) {
    return true;
  }
  bool ok = checkDeviceClass();
  deviceName = name;
  runStart = static_cast<std::int32_t>(block.firstLine);
  if (!seenDevices.insert(name).second) {
    block.setAttributeError(kDeviceName, kDeviceNotUnique);
    ok = false;
  }
  return ok;
}

bool CrossBlockChecks::checkPropertyName(Block& block) {
  run.push_back(&block);
  return true;
}

bool CrossBlockChecks::settleRun(DeviceGroup& group) {
  // Among blocks of one property name the first in the file keeps it: lines order them.
  std::sort(run.begin(), run.end(), [](const Block* a, const Block* b) {
    const int order = propertyOf(a).compare(propertyOf(b));
    return order < 0 || (order == 0 && a->firstLine < b->firstLine);
  });
  group.blocks.reserve(run.size());
  bool ok = true;
  for (auto first = run.begin(); first != run.end();) {
    const std::string_view property = propertyOf(*first);
    const auto last =
        std::find_if(first, run.end(), [&](const Block* b) { return propertyOf(b) != property; });
    for (auto repeated = first + 1; repeated != last && !property.empty(); ++repeated) {
      (*repeated)->setAttributeError(kProperty, kPropertyNotUnique);
      ok = false;
    }
    const auto named = std::find_if(
        first, last, [](const Block* b) { return !b->attributeValue(kDeviceName).empty(); });
    if (named != last) {
      group.blocks.push_back(*named);
    }
    first = last;
  }
  run.clear();
  group.startLine = runStart;
  return ok;
}

bool CrossBlockChecks::checkDeviceClass() {
  DeviceGroup group;
  bool ok = settleRun(group);
  const std::string_view name = groupName(group, kClassName);
  if (!name.empty()) {
    const auto found = classReferences.find(name);
    if (found == classReferences.end()) {
      // The class's first device run becomes its reference.
      std::vector<Block*> unreported = group.blocks;
      classReferences.emplace(name, Reference{std::move(group), std::move(unreported)});
    } else {
      ok = compareWithReference(group, found->second) && ok;
    }
  }
  return ok;
}

bool CrossBlockChecks::compareWithReference(const DeviceGroup& group, Reference& reference) {
  bool ok = true;
  std::size_t next = 0;
  for (Block* block : group.blocks) {
    ok = compareBlocks(group, *block, reference.group,
                       walkTo(reference.group, next, propertyOf(block))) &&
         ok;
  }
  // Only reference blocks without a class error can still receive a message, and a message
  // is never taken back; so the candidates shrink as messages are set.
  auto kept = reference.unreported.begin();
  const std::string_view className = groupName(group, kClassName);
  next = 0;
  for (Block* referenceBlock : reference.unreported) {
    if (!referenceBlock->attributeError(kClassName).empty()) {
      continue;
    }
    if (walkTo(group, next, propertyOf(referenceBlock)) != nullptr) {
      *kept++ = referenceBlock;
      continue;
    }
    referenceBlock->setAttributeError(kClassName,
                                      missingPropertyMessage(className, *referenceBlock, group));
    ok = false;
  }
  reference.unreported.erase(kept, reference.unreported.end());
  return ok;
}

bool CrossBlockChecks::compareBlocks(const DeviceGroup& group, Block& block,
                                     const DeviceGroup& reference, const Block* referenceBlock) {
  if (referenceBlock == nullptr) {
    block.setAttributeError(kClassName,
                            missingPropertyMessage(groupName(group, kClassName), block, reference));
    return false;
  }
  for (const Aspect& aspect : kAspects) {
    const bool comparable = block.attributeError(aspect.source).empty() &&
                            referenceBlock->attributeError(aspect.source).empty();
    if (comparable && aspect.differs(block, *referenceBlock)) {
      block.setAttributeError(
          kClassName,
          kMismatch(groupName(group, kClassName), aspect.word, aspect.shown(block),
                    block.attributeValue(kProperty), block.attributeValue(kDeviceName),
                    block.firstLine, block.lastLine, aspect.word, aspect.shown(*referenceBlock),
                    groupName(reference, kDeviceName), reference.startLine));
      return false;
    }
  }
  return true;
}

}  // namespace trel::quorlinsrv
