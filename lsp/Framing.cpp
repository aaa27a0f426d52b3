#include "lsp/Framing.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <string_view>

namespace trel::quorlinsrv::lsp {

namespace {

constexpr const char kHeaderEnd[] = "\r\n\r\n";
constexpr std::size_t kChunkBytes = 1 << 20;
constexpr const char kLengthField[] = "content-length:";

// The value of Content-Length in `header` (names are case-insensitive); false when it is missing,
// repeated or not a number within kMaxMessageBytes.
bool contentLength(const std::string& header, std::size_t& length) {
  const std::size_t n = sizeof(kLengthField) - 1;
  auto sameLetter = [](char field, char c) {
    return std::tolower(static_cast<unsigned char>(c)) == field;
  };
  bool found = false;
  for (std::size_t lineStart = 0; lineStart < header.size();) {
    std::size_t lineEnd = std::min(header.find("\r\n", lineStart), header.size());
    std::string_view line(header.data() + lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 2;
    if (line.size() < n || !std::equal(kLengthField, kLengthField + n, line.begin(), sameLetter))
      continue;
    if (found)
      return false;
    // Digits between spaces; from_chars takes no sign and no space of its own.
    const char* stop = line.data() + line.size();
    const char* digits = line.data() + std::min(line.find_first_not_of(' ', n), line.size());
    auto [end, status] = std::from_chars(digits, stop, length);
    if (status != std::errc() || length > kMaxMessageBytes ||
        std::any_of(end, stop, [](char c) { return c != ' '; }))
      return false;
    found = true;
  }
  return found;
}

}  // namespace

void MessageReader::feed(const char* data, std::size_t size) {
  // Consumed bytes are dropped once they are the larger part, so the buffer stays near one message;
  // the memory of a large message that is all consumed is given back.
  if (start_ == buffer_.size() && buffer_.capacity() > kChunkBytes) {
    std::string().swap(buffer_);
    start_ = 0;
  } else if (start_ > 0 && start_ >= buffer_.size() / 2) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  buffer_.append(data, size);
}

MessageReader::Status MessageReader::next(std::string& body, std::string& error) {
  std::size_t headerEnd = buffer_.find(kHeaderEnd, start_);
  if (headerEnd == std::string::npos) {
    // A header block that never ends is malformed long before it reaches this size.
    if (buffer_.size() - start_ > 64 * 1024) {
      start_ = buffer_.size();
      error = "header block longer than 64 KiB";
      return Status::kBadHeader;
    }
    return Status::kNeedMore;
  }
  std::size_t length = 0;
  std::string header = buffer_.substr(start_, headerEnd - start_);
  std::size_t bodyStart = headerEnd + std::strlen(kHeaderEnd);
  if (!contentLength(header, length)) {
    start_ = bodyStart;
    error = "header block without a valid Content-Length";
    return Status::kBadHeader;
  }
  if (buffer_.size() - bodyStart < length)
    return Status::kNeedMore;
  body.assign(buffer_, bodyStart, length);
  start_ = bodyStart + length;
  return Status::kMessage;
}

std::string frameMessage(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + kHeaderEnd + body;
}

}  // namespace trel::quorlinsrv::lsp
