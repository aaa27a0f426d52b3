// Collects the first rule that an input broke, for the fuzz inputs' checks.
#pragma once

#include <string>
#include <string_view>

namespace trel::quorlinsrv::fuzz {

class RuleCheck {
 public:
  // Records `rule` (with `detail`) as broken unless `holds`, keeping only the first one broken.
  void require(bool holds, std::string_view rule, std::string_view detail = {}) {
    if (holds || !broken_.empty()) {
      return;
    }
    broken_.assign(rule);
    if (!detail.empty()) {
      broken_.append(": ").append(detail);
    }
  }
  // "" while every rule held.
  const std::string& broken() const { return broken_; }

 private:
  std::string broken_;
};

}  // namespace trel::quorlinsrv::fuzz
