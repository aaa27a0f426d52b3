// The eight attribute slots of a DPE block, in the order that error texts and results use.
#pragma once

#include <cstdint>

namespace trel::quorlinsrv {

enum AttributeIndex : std::int32_t {
  kClassName = 0,   // from the section header
  kDeviceName = 1,  // from the section header
  kDpe = 2,
  kAlias = 3,
  kProperty = 4,
  kDirection = 5,
  kValue = 6,
  kTime = 7,
};

inline constexpr std::int32_t kAttributeCount = 8;

}  // namespace trel::quorlinsrv
