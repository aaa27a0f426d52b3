// Output that is either complete or not there: gathered in memory while it is formatted, then
// written to standard output, or to a temporary file beside the target and renamed over it.
#pragma once

#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace trel::quorlinsrv {

// A stream buffer that keeps what is written in chunks of fixed size: a report of a gigabyte
// grows without the copying of a doubling string and is never copied whole for writing.
class ChunkedOutput : public std::streambuf {
 public:
  ChunkedOutput() = default;
  ChunkedOutput(const ChunkedOutput&) = delete;
  ChunkedOutput& operator=(const ChunkedOutput&) = delete;

  // The text written so far, in order.
  std::vector<std::string_view> pieces() const;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;
  void newChunk();
  std::vector<std::unique_ptr<char[]>> chunks_;
};

// Writes every piece to the descriptor `fd`; false (errno set) when a write fails.
bool writePieces(int fd, const std::vector<std::string_view>& pieces);

// Replaces the file at `path` by the pieces of `content`. False, with `error` set, when anything
// fails; the target is then untouched and the temporary file removed. A new file gets the mode
// that the umask allows, an existing one keeps its mode.
bool writeFileAtomically(const std::string& path, const std::vector<std::string_view>& content,
                         std::string& error);

}  // namespace trel::quorlinsrv
