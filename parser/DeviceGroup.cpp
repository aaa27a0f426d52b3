#include "parser/DeviceGroup.hpp"

#include <cstdint>

namespace trel::quorlinsrv {

namespace {

const std::string& firstBlockAttribute(const DeviceGroup& group, AttributeIndex index) {
  static const std::string kNone;
  return group.blocks.empty() ? kNone : group.blocks.begin()->second->attributeValue(index);
}

}  // namespace

void addToGroup(DeviceGroup& group, const std::shared_ptr<QuorlinServerConfigDpeBlock>& block) {
  if (group.blocks.empty()) {
    group.startLine = static_cast<std::int32_t>(block->firstLine);
  }
  group.blocks.emplace(block->attributeValue(kProperty), block);
}

const std::string& groupClassName(const DeviceGroup& group) {
  return firstBlockAttribute(group, kClassName);
}

const std::string& groupDeviceName(const DeviceGroup& group) {
  return firstBlockAttribute(group, kDeviceName);
}

}  // namespace trel::quorlinsrv
