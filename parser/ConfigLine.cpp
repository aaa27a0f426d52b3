#include "parser/ConfigLine.hpp"

#include <boost/algorithm/string/trim.hpp>
#include <boost/range/iterator_range.hpp>
#include <locale>

#include "config/Vocabulary.hpp"

namespace trel::quorlinsrv {

namespace {

// The first separator character at or after `from`. With the one-character separator this is a
// single memchr over the line; find_first_of would call memchr once per character of the line.
std::size_t findSeparator(std::string_view text, std::size_t from) {
  if (kKeyValueSeparator.size() == 1) {
    return text.find(kKeyValueSeparator.front(), from);
  }
  return text.find_first_of(kKeyValueSeparator, from);
}

}  // namespace

bool ConfigLine::wellFormed() const {
  return wordCount == 1 || (wordCount == 3 && words[1] == kClassIntroducer);
}

LineGrammar::LineGrammar() {
  const auto& ctype = std::use_facet<std::ctype<char>>(std::locale());
  for (int c = 0; c < 256; ++c) {
    space_[c] = ctype.is(std::ctype_base::space, static_cast<char>(c));
  }
}

std::string_view LineGrammar::trimmed(std::string_view text) const {
  const auto range = boost::algorithm::trim_copy_if(
      boost::iterator_range<const char*>(text.data(), text.data() + text.size()),
      [this](char c) { return isSpace(c); });
  return std::string_view(range.begin(), range.size());
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
  // Split at every separator, without merging: two parts exactly when the line holds one.
  const std::size_t separator = findSeparator(text, 0);
  if (separator == std::string_view::npos ||
      findSeparator(text, separator + 1) != std::string_view::npos) {
    result.kind = LineKind::kOther;
  } else {
    result.kind = LineKind::kKeyValue;
    result.key = trimmed(text.substr(0, separator));
    result.value = trimmed(text.substr(separator + 1));
  }
  return result;
}

}  // namespace trel::quorlinsrv
