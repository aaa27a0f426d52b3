// A family of messages: fixed words around the values of one finding, words[0] value words[1]
// ... value words[N]. The module composes its messages with a form and the program recognises
// them with the same form, so a message reworded in its form is still recognised.
#pragma once

#include <array>
#include <cstddef>
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

  // True when `message` has this form; `values`, if given, then views its values. A value ends
  // at the first occurrence of the words after it, the last one at the final words.
  bool match(std::string_view message, std::array<std::string_view, N>* values = nullptr) const {
    if (message.substr(0, words[0].size()) != words[0]) {
      return false;
    }
    std::size_t at = words[0].size();
    if constexpr (N == 0) {
      return message.size() == at;
    }
    for (std::size_t v = 0; v + 1 <= N; ++v) {
      const std::string_view after = words[v + 1];
      std::size_t end = message.find(after, at);
      if (v + 1 == N) {
        end = message.size() >= at + after.size() ? message.size() - after.size()
                                                  : std::string_view::npos;
      }
      if (end == std::string_view::npos || message.substr(end, after.size()) != after) {
        return false;
      }
      if (values != nullptr) {
        (*values)[v] = message.substr(at, end - at);
      }
      at = end + after.size();
    }
    return true;
  }
};

}  // namespace trel::quorlinsrv
