#include "parser/DeviceGroup.hpp"

#include <cstdint>

namespace trel::quorlinsrv {

namespace {

std::string_view firstBlockAttribute(const DeviceGroup& group, AttributeIndex index) {
  return group.blocks.empty() ? std::string_view()
                              : group.blocks.begin()->second->attributeValue(index);
}

}  // namespace

void addToGroup(DeviceGroup& group, const std::shared_ptr<QuorlinServerConfigDpeBlock>& block) {
  if (group.blocks.empty()) {
    group.startLine = static_cast<std::int32_t>(block->firstLine);
  }
  group.blocks.emplace(block->attributeValue(kProperty), block);
}

std::string_view groupClassName(const DeviceGroup& group) {
  return firstBlockAttribute(group, kClassName);
}

std::string_view groupDeviceName(const DeviceGroup& group) {
  return firstBlockAttribute(group, kDeviceName);
}

}  // namespace trel::quorlinsrv
