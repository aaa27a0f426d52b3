#include "lsp/Framing.hpp"

#include <cctype>
#include <cstring>

namespace trel::quorlinsrv::lsp {

namespace {

constexpr const char kHeaderEnd[] = "\r\n\r\n";
constexpr std::size_t kChunkBytes = 1 << 20;
constexpr const char kLengthField[] = "content-length:";

// The value of Content-Length in `header` (names are case-insensitive); false when it is missing,
// repeated or not a number within kMaxMessageBytes.
bool contentLength(const std::string& header, std::size_t& length) {
  bool found = false;
  std::size_t lineStart = 0;
  while (lineStart < header.size()) {
    std::size_t lineEnd = header.find("\r\n", lineStart);
    if (lineEnd == std::string::npos)
      lineEnd = header.size();
    std::string line = header.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 2;
    std::size_t n = sizeof(kLengthField) - 1;
    if (line.size() < n)
      continue;
    bool isLength = true;
    for (std::size_t i = 0; i < n && isLength; ++i)
      isLength = std::tolower(static_cast<unsigned char>(line[i])) == kLengthField[i];
    if (!isLength)
      continue;
    if (found)
      return false;
    std::size_t i = line.find_first_not_of(' ', n);
    if (i == std::string::npos || !std::isdigit(static_cast<unsigned char>(line[i])))
      return false;
    length = 0;
    for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i) {
      length = length * 10 + static_cast<std::size_t>(line[i] - '0');
      if (length > kMaxMessageBytes)
        return false;
    }
    if (line.find_first_not_of(' ', i) != std::string::npos)
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
