// What the authoring requests and the workspace read from a config's text: the names of its
// section headers and where they stand.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "lsp/Text.hpp"

namespace trel::quorlinsrv::lsp {

// One of the two names of a well-formed section header: the device's or the class's.
struct HeaderName {
  bool isClass = false;
  std::string_view name;  // a view into the line
  std::size_t line = 0;   // 0-based
  std::size_t at = 0;     // its byte offset in the line
};

// The names of every well-formed header of `lines`, in file order.
std::vector<HeaderName> headerNamesOf(const std::vector<std::string_view>& lines);

// The protocol range of `name` in `lines`.
Json rangeOf(const std::vector<std::string_view>& lines, const HeaderName& name);

}  // namespace trel::quorlinsrv::lsp
