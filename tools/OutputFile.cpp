#include "tools/OutputFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace trel::quorlinsrv {

namespace {

mode_t modeForNewFile() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void ChunkedOutput::newChunk() {
  chunks_.push_back(std::make_unique<char[]>(kChunk));
  char* begin = chunks_.back().get();
  setp(begin, begin + kChunk);
}

ChunkedOutput::int_type ChunkedOutput::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof()))
    return traits_type::not_eof(c);
  newChunk();
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize ChunkedOutput::xsputn(const char* text, std::streamsize count) {
  std::streamsize done = 0;
  while (done < count) {
    if (pptr() == epptr())
      newChunk();
    const std::streamsize room = epptr() - pptr();
    const std::streamsize part = count - done < room ? count - done : room;
    traits_type::copy(pptr(), text + done, static_cast<std::size_t>(part));
    pbump(static_cast<int>(part));
    done += part;
  }
  return done;
}

std::vector<std::string_view> ChunkedOutput::pieces() const {
  std::vector<std::string_view> result;
  result.reserve(chunks_.size());
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    const char* begin = chunks_[i].get();
    const bool last = i + 1 == chunks_.size();
    result.emplace_back(begin, last ? static_cast<std::size_t>(pptr() - begin) : kChunk);
  }
  return result;
}

bool writePieces(int fd, const std::vector<std::string_view>& pieces) {
  for (std::string_view piece : pieces) {
    const char* data = piece.data();
    std::size_t left = piece.size();
    while (left > 0) {
      ssize_t written = write(fd, data, left);
      if (written < 0) {
        if (errno == EINTR)
          continue;
        return false;
      }
      data += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  return true;
}

bool writeFileAtomically(const std::string& path, const std::vector<std::string_view>& content,
                         std::string& error) {
  std::size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) {
    error = path + ": error: output path names a directory";
    return false;
  }
  std::string temp = dir + "." + base + ".tmp.XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) {
    error = path + ": error: cannot create a temporary file beside it: " + std::strerror(errno);
    return false;
  }
  struct stat existing;
  mode_t mode = stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : modeForNewFile();
  bool ok = writePieces(fd, content) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  int savedErrno = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && rename(name.data(), path.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    unlink(name.data());
    error = path + ": error: cannot write output: " + std::strerror(savedErrno);
  }
  return ok;
}

}  // namespace trel::quorlinsrv
