// The host's byte string: a counted text that may hold NUL bytes and converts to a C string.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/HostApi.hpp"

class HOST_API CharString {
 public:
  // Length (size_t)-1 means: up to the terminating NUL of `text`.
  static constexpr std::size_t kUpToNul = static_cast<std::size_t>(-1);

  CharString() = default;
  CharString(const char* text) { setCharStr(text, kUpToNul); }  // NOLINT: implicit like the host's
  CharString(const char* text, std::size_t length) { setCharStr(text, length); }
  CharString(std::string text) : text_(std::move(text)) {}  // NOLINT: implicit like the host's

  // Replaces the content by `length` bytes of `text` (a null `text` gives the empty string).
  void setCharStr(const char* text, std::size_t length);

  operator const char*() const { return text_.c_str(); }  // NOLINT: implicit like the host's
  const char* c_str() const { return text_.c_str(); }
  bool isEmpty() const { return text_.empty(); }
  const std::string& str() const { return text_; }
  std::string_view view() const { return text_; }

  friend bool operator==(const CharString& a, const CharString& b) { return a.text_ == b.text_; }

 private:
  std::string text_;
};
