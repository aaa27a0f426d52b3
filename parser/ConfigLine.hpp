// The grammar of one line of a config file: what kind of line it is and where its parts stand.
// The module's reader, the program's positions and the language server all read lines with it.
#pragma once

#include <cstddef>
#include <string_view>

namespace trel::quorlinsrv {

enum class LineKind {
  kBlank,
  kComment,
  kHeader,    // "[...]" of at least 3 characters
  kKeyValue,  // exactly one "="
  kOther,     // anything else: the key/value syntax message
};

// One line read. Every part is a view into the line given, so `offsetOf` tells where it stands;
// the parts that another kind of line has not are empty.
struct ConfigLine {
  LineKind kind = LineKind::kBlank;
  std::string_view text;  // the line trimmed
  // A key/value line: the key and the value, each trimmed.
  std::string_view key;
  std::string_view value;
  // A header: the text between the brackets trimmed, its number of words (split at every single
  // whitespace character, so that neighbouring blanks give an empty word) and the first three.
  std::string_view inside;
  std::size_t wordCount = 0;
  std::string_view words[3];
  // A header's names when it is one word or device, "_instance_of_", class; false otherwise.
  bool wellFormed() const;
  std::string_view deviceName() const { return wellFormed() ? words[0] : std::string_view(); }
  std::string_view className() const {
    return wordCount == 3 && wellFormed() ? words[2] : std::string_view();
  }
};

// Reads lines with the whitespace class of the global locale as it is when this is made.
class LineGrammar {
 public:
  LineGrammar();
  ConfigLine read(std::string_view line) const;
  bool isSpace(char c) const { return space_[static_cast<unsigned char>(c)]; }
  std::string_view trimmed(std::string_view text) const {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin])) {
      ++begin;
    }
    while (end > begin && isSpace(text[end - 1])) {
      --end;
    }
    return text.substr(begin, end - begin);
  }

  // The byte offset in `line` of `part`, a view of it.
  static std::size_t offsetOf(std::string_view line, std::string_view part) {
    return static_cast<std::size_t>(part.data() - line.data());
  }

 private:
  // Classified once per table rather than once per byte: the locale's facet is looked up once.
  bool space_[256];
};

}  // namespace trel::quorlinsrv
