// The eight attributes of a DPE block: their slots, and the one table of how each is named in the
// file, in messages, in the result mapping and in findings.
#pragma once

#include <cstdint>
#include <string_view>

namespace trel::quorlinsrv {

// The slots of a block's attributes; errorText looks for an attribute error in this order.
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

struct AttributeRow {
  AttributeIndex index;
  std::string_view fileKey;      // the key of its key lines; "" for the section header's names
  std::string_view displayName;  // the name its messages print
  std::string_view resultKey;    // its list in the result mapping, and the key of its findings
};

// In the order of the result mapping's lists.
inline constexpr AttributeRow kAttributeTable[kAttributeCount] = {
    {kClassName, "", "Device class name", "class"},
    {kDeviceName, "", "Quorlin device name", "device"},
    {kProperty, "property", "property", "property"},
    {kAlias, "alias", "alias", "alias"},
    {kDpe, "dpe", "dpe", "dpe"},
    {kDirection, "direction", "direction", "direction"},
    {kValue, "value", "value", "valueType"},
    {kTime, "time", "time", "timeType"},
};

// The row of the attribute `index`.
constexpr const AttributeRow& attributeRow(AttributeIndex index) {
  for (const AttributeRow& row : kAttributeTable) {
    if (row.index == index) {
      return row;
    }
  }
  return kAttributeTable[0];  // unreachable for the eight slots
}

// The row whose file key is `key`; null for any other text (the empty key included).
constexpr const AttributeRow* findFileKey(std::string_view key) {
  for (const AttributeRow& row : kAttributeTable) {
    if (!row.fileKey.empty() && row.fileKey == key) {
      return &row;
    }
  }
  return nullptr;
}

}  // namespace trel::quorlinsrv
