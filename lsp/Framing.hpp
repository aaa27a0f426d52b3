// The base layer of the language server protocol: messages framed by a "Content-Length: N" header
// block, read out of a byte stream that may arrive in pieces of any size.
#pragma once

#include <cstddef>
#include <string>

namespace trel::quorlinsrv::lsp {

// The largest message body accepted; a header that announces more is malformed.
inline constexpr std::size_t kMaxMessageBytes = 256u << 20;

class MessageReader {
 public:
  enum class Status { kMessage, kNeedMore, kBadHeader };

  // Appends bytes read from the stream.
  void feed(const char* data, std::size_t size);
  // kMessage with `body` set when a whole message is buffered; kBadHeader, with `error` set, for a
  // header block without a valid Content-Length, which is dropped so that reading goes on with
  // the next header block; kNeedMore when the buffered bytes end inside a message.
  Status next(std::string& body, std::string& error);

 private:
  std::string buffer_;
  std::size_t start_ = 0;  // the bytes before it are consumed
};

// `body` framed for the stream.
std::string frameMessage(const std::string& body);

}  // namespace trel::quorlinsrv::lsp
