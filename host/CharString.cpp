#include "host/CharString.hpp"

#include <cstring>

void CharString::setCharStr(const char* text, std::size_t length) {
  if (text == nullptr) {
    text_.clear();
    return;
  }
  text_.assign(text, length == kUpToNul ? std::strlen(text) : length);
}
