#include "lsp/Text.hpp"

#include <algorithm>
#include <cctype>

#include "config/Vocabulary.hpp"
#include "platform/Files.hpp"

namespace trel::quorlinsrv::lsp {

// The lines of `text` without their line ends (LF or CR LF).
std::vector<std::string_view> splitLines(const std::string& text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    std::size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
    lines.emplace_back(text.data() + start, stop - start);
    start = end + 1;
  }
  return lines;
}

// The number of UTF-16 code units in the UTF-8 bytes `bytes` (the protocol's column unit).
std::size_t utf16Length(std::string_view bytes) {
  std::size_t units = 0;
  for (unsigned char c : bytes) {
    if ((c & 0xC0) != 0x80)
      units += c >= 0xF0 ? 2 : 1;
  }
  return units;
}

// The byte offset in `line` of the UTF-16 column `column` (clamped to the line).
std::size_t byteOffset(std::string_view line, std::size_t column) {
  std::size_t units = 0, i = 0;
  for (; i < line.size() && units < column; ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if ((c & 0xC0) != 0x80)
      units += c >= 0xF0 ? 2 : 1;
  }
  while (i < line.size() && (static_cast<unsigned char>(line[i]) & 0xC0) == 0x80)
    ++i;
  return i;
}

// The value of `field` of `object`: a non-negative integer, or invalid params.
std::size_t unsignedField(const Json& object, const char* field) {
  const Json& value = object.at(field);
  if (!value.is_number_unsigned())
    throw RpcError(kInvalidParams, std::string(field) + " is no non-negative integer");
  return value.get<std::size_t>();
}

Json position(std::size_t line, std::size_t character) {
  return {{"line", line}, {"character", character}};
}

Json range(std::size_t line, std::size_t start, std::size_t end) {
  return {{"start", position(line, start)}, {"end", position(line, end)}};
}

// The local path of a file:// URI, percent-decoded; "" for other schemes.
std::string pathOfUri(const std::string& uri) {
  const std::string scheme = "file://";
  if (uri.compare(0, scheme.size(), scheme) != 0)
    return "";
  std::string path;
  for (std::size_t i = scheme.size(); i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
      path += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      path += uri[i];
    }
  }
  return platform::localPathOf(path);
}

// The UTF-16 column (0-based) of the character column `column` (1-based, counting UTF-8
// sequences) of `line`; past its end, the line's end.
std::size_t utf16Column(std::string_view line, unsigned column) {
  std::size_t characters = 0, i = 0;
  for (; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 && ++characters == column)
      break;
  }
  return utf16Length(line.substr(0, i));
}

// Lines are read with the module's grammar, in the global locale of the session.
const LineGrammar& grammar() {
  static const LineGrammar lines;
  return lines;
}

std::string_view fileKey(AttributeIndex attribute) {
  return attributeRow(attribute).fileKey;
}

bool containsNoCase(std::string_view text, std::string_view part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         }) != text.end();
}

}  // namespace trel::quorlinsrv::lsp
