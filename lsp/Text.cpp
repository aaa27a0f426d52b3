#include "lsp/Text.hpp"

#include <algorithm>
#include <cctype>

#include "config/Vocabulary.hpp"
#include "platform/Files.hpp"

namespace trel::quorlinsrv::lsp {

namespace {

// The UTF-16 code units of the character that the UTF-8 byte `c` begins; 0 for a byte inside one.
std::size_t unitsAt(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
}

}  // namespace

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

std::size_t utf16Length(std::string_view bytes) {
  std::size_t units = 0;
  for (char c : bytes)
    units += unitsAt(c);
  return units;
}

std::size_t byteOffset(std::string_view line, std::size_t column) {
  std::size_t units = 0, i = 0;
  for (; i < line.size() && units < column; ++i)
    units += unitsAt(line[i]);
  while (i < line.size() && unitsAt(line[i]) == 0)
    ++i;
  return i;
}

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

Json textEdit(const Json& where, Json text) {
  return {{"range", where}, {"newText", std::move(text)}};
}

Json quickFix(const std::string& title, const std::string& uri, const Json& diagnostic, Json edit) {
  return {{"title", title},
          {"kind", "quickfix"},
          {"diagnostics", Json::array({diagnostic})},
          {"edit", {{"changes", {{uri, Json::array({std::move(edit)})}}}}}};
}

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

std::size_t utf16Column(std::string_view line, unsigned column) {
  std::size_t characters = 0, i = 0;
  for (; i < line.size(); ++i) {
    if (unitsAt(line[i]) > 0 && ++characters == column)
      break;
  }
  return utf16Length(line.substr(0, i));
}

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
