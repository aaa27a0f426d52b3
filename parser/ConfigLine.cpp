#include "parser/ConfigLine.hpp"

#include <locale>

#include "config/Vocabulary.hpp"

namespace trel::quorlinsrv {

bool ConfigLine::wellFormed() const {
  return wordCount == 1 || (wordCount == 3 && words[1] == kClassIntroducer);
}

LineGrammar::LineGrammar() {
  const auto& ctype = std::use_facet<std::ctype<char>>(std::locale());
  for (int c = 0; c < 256; ++c) {
    space_[c] = ctype.is(std::ctype_base::space, static_cast<char>(c));
  }
}

ConfigLine LineGrammar::read(std::string_view line) const {
  ConfigLine result;
  result.text = trimmed(line);
  const std::string_view text = result.text;
  if (text.empty() || text.front() == '#') {
    result.kind = text.empty() ? LineKind::kBlank : LineKind::kComment;
    return result;
  }
  if (text.size() >= 3 && text.front() == '[' && text.back() == ']') {
    result.kind = LineKind::kHeader;
    result.inside = trimmed(text.substr(1, text.size() - 2));
    // Split at every whitespace character without merging neighbours, as boost::split with
    // token_compress_off does: n separators give n + 1 words, "" gives one empty word.
    std::size_t start = 0;
    for (std::size_t at = 0; at <= result.inside.size(); ++at) {
      if (at == result.inside.size() || isSpace(result.inside[at])) {
        if (result.wordCount < 3) {
          result.words[result.wordCount] = result.inside.substr(start, at - start);
        }
        ++result.wordCount;
        start = at + 1;
      }
    }
    return result;
  }
  // Split at every separator (one character), without merging: two parts exactly when the line
  // holds one.
  const std::size_t separator = text.find(kKeyValueSeparator.front());
  if (separator == std::string_view::npos ||
      text.find(kKeyValueSeparator.front(), separator + 1) != std::string_view::npos) {
    result.kind = LineKind::kOther;
  } else {
    result.kind = LineKind::kKeyValue;
    result.key = trimmed(text.substr(0, separator));
    result.value = trimmed(text.substr(separator + 1));
  }
  return result;
}

}  // namespace trel::quorlinsrv
