// Header blocks as a client or a hostile peer may send them, each read to its end: what the reader
// makes of them, message by message.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "lsp/Framing.hpp"

namespace {

using trel::quorlinsrv::lsp::MessageReader;

// What `next` returns until it needs more bytes: "<body>" for a message, "bad" for a header
// block that is dropped, then "more". With `pieces`, the input arrives a byte at a time.
std::string readAll(const std::string& input, bool pieces) {
  MessageReader reader;
  std::string trace, body, error;
  for (std::size_t at = 0; at < input.size() || at == 0;) {
    std::size_t size = pieces ? 1 : input.size();
    reader.feed(input.data() + at, std::min(size, input.size() - at));
    at += size;
    for (MessageReader::Status status;
         (status = reader.next(body, error)) != MessageReader::Status::kNeedMore;)
      trace += status == MessageReader::Status::kMessage ? "<" + body + "> " : "bad ";
  }
  return trace + "more";
}

TEST(MessageFraming, HeaderBlocksAsTheyCome) {
  const std::pair<std::string, std::string> cases[] = {
      {"Content-Length: 5\r\n\r\nhello", "<hello> more"},
      {"content-length:5\r\n\r\nhello", "<hello> more"},
      {"Content-Length:   5  \r\n\r\nhello", "<hello> more"},
      {"Content-Type: utf-8\r\nContent-Length: 2\r\n\r\nok", "<ok> more"},
      {"Content-Length: 0\r\n\r\n", "<> more"},
      {"Content-Length: 5\r\n\r\nhel", "more"},
      {"Content-Length: 3\r\n\r\nhello", "<hel> more"},
      {"Content-Length: 2\r\nContent-Length: 2\r\n\r\nok", "bad more"},
      {"Content-Length: +2\r\n\r\nok", "bad more"},
      {"Content-Length: -2\r\n\r\nok", "bad more"},
      {"Content-Length: 2x\r\n\r\nok", "bad more"},
      {"Content-Length: 2 2\r\n\r\nok", "bad more"},
      {"Content-Length:\r\n\r\nok", "bad more"},
      {"Content-Type: utf-8\r\n\r\nok", "bad more"},
      {"Content-Length: 268435457\r\n\r\n", "bad more"},
      {"Content-Length: 99999999999999999999999\r\n\r\n", "bad more"},
      // After a dropped header block, reading goes on with the next one.
      {"Content-Length: x\r\n\r\nContent-Length: 2\r\n\r\nok", "bad <ok> more"},
      {"Content-Length: 1\r\n\r\naContent-Length: 1\r\n\r\nb", "<a> <b> more"},
      {std::string(70 * 1024, 'x'), "bad more"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(readAll(input, false), expected) << input.substr(0, 60);
    EXPECT_EQ(readAll(input, true), expected) << "a byte at a time: " << input.substr(0, 60);
  }
}

}  // namespace
