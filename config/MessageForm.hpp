// A family of messages: fixed words around the values of one finding, words[0] value words[1]
// ... value words[N]. The module composes its messages with a form and the program recognises
// them with the same form, so a message reworded in its form is still recognised.
#pragma once

#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <string_view>

namespace trel::quorlinsrv {

template <std::size_t N>
struct MessageForm {
  std::array<std::string_view, N + 1> words;

  // The message with these values, numbers written as the module's streams write them.
  template <typename... Values>
  std::string operator()(const Values&... values) const {
    static_assert(sizeof...(Values) == N, "one value per gap between the words");
    std::ostringstream message;
    message << words[0];
    std::size_t next = 1;
    ((message << values << words[next++]), ...);
    return message.str();
  }

  // True when `message` has this form; `values`, if given, then views its values. The first
  // words stand at the start, the last at the end, the others at their first occurrence.
  bool match(std::string_view message, std::array<std::string_view, N>* values = nullptr) const {
    std::size_t at = 0;
    for (std::size_t w = 0; w <= N; ++w) {
      const std::size_t tail = message.size() - std::min(message.size(), words[w].size());
      const std::size_t found = w == 0 ? 0 : w == N ? tail : message.find(words[w], at);
      if (found == std::string_view::npos || found < at ||
          message.compare(found, words[w].size(), words[w]) != 0) {
        return false;
      }
      if (w > 0 && values != nullptr) {
        (*values)[w - 1] = message.substr(at, found - at);
      }
      at = found + words[w].size();
    }
    return at == message.size();
  }
};

}  // namespace trel::quorlinsrv
