// The one-byte boolean that bool arrays of the data model are made of.
#pragma once

namespace ds {

// std::vector<bool> packs bits and hands out proxies; arrays of this wrapper keep one addressable
// byte per element, as the data model's bool arrays do.
struct BoolWrapper {
  bool value = false;

  constexpr BoolWrapper() = default;
  constexpr BoolWrapper(bool v) : value(v) {}        // NOLINT: converts like the bool it wraps
  constexpr operator bool() const { return value; }  // NOLINT: reads like the bool it wraps
};

static_assert(sizeof(BoolWrapper) == 1, "a bool array element is one byte");

}  // namespace ds
