// One key of a DPE block: the value of its first occurrence, how often it occurred, its first
// error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trel::quorlinsrv {

class ConfigAttribute {
 public:
  // `name` is the display name printed in this attribute's messages; it is not copied, so it
  // must outlive the attribute (the block's names are static texts).
  explicit ConfigAttribute(std::string_view name);
  ConfigAttribute(const ConfigAttribute&) = default;
  ConfigAttribute(ConfigAttribute&&) = default;
  ConfigAttribute& operator=(const ConfigAttribute&) = default;
  ConfigAttribute& operator=(ConfigAttribute&&) = default;
  virtual ~ConfigAttribute();

  std::string getValue() const { return value; }
  std::string getError() const { return error; }

  // Records one occurrence; only the first occurrence's value is kept.
  void set(std::string_view newValue);
  // Clears value, count and error; the name stays.
  void reset();
  // Applies the occurrence rules (repeated; mandatory but missing or empty). A message is stored
  // only when no error is present yet. True when the attribute has no error afterwards.
  bool check(bool mandatory);

  std::string_view name;
  std::string value;
  std::uint64_t count = 0;
  std::string error;
};

}  // namespace trel::quorlinsrv
