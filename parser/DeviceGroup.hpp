// The blocks of one device run, keyed by property name, as the class consistency checks see them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "config/QuorlinServerConfigDpeBlock.hpp"

namespace trel::quorlinsrv {

struct DeviceGroup {
  // The first block of each property name; later blocks with the same name are not entered. The
  // keys view the property value of the block they map to, which that entry keeps alive.
  using Blocks = std::map<std::string_view, std::shared_ptr<QuorlinServerConfigDpeBlock>>;
  Blocks blocks;
  // firstLine of the first block entered; 0 while the group is empty.
  std::int32_t startLine = 0;
};

// Enters `block` under its property name unless that name is taken; the first block entered
// sets the group's start line.
void addToGroup(DeviceGroup& group, const std::shared_ptr<QuorlinServerConfigDpeBlock>& block);
// Class and device name of the block with the smallest property name; "" for an empty group.
std::string_view groupClassName(const DeviceGroup& group);
std::string_view groupDeviceName(const DeviceGroup& group);

}  // namespace trel::quorlinsrv
