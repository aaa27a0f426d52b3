// What the output of both systems shares: the buffer, the end of a destination and the refusal of
// an input as output.
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/Files.hpp"
#include "platform/OutputFile.hpp"

namespace trel::quorlinsrv {

namespace {

// ".cfg" of "m/plant.cfg"; "" when the last path component has no dot after its first byte.
std::string extensionOf(const std::string& path) {
  std::size_t slash = path.find_last_of(platform::kPathSeparators);
  std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = path.rfind('.');
  return dot == std::string::npos || dot <= start ? std::string() : path.substr(dot);
}

}  // namespace

bool DescriptorOutput::flushAll() {
  std::size_t size = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_, buffer_ + sizeof(buffer_));
  for (std::size_t done = 0; errno_ == 0 && done < size;) {
    long written = writeSome(fd_, buffer_ + done, size - done);
    if (written < 0) {
      errno_ = errno;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return errno_ == 0;
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (!flushAll())
    return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

OutputDestination::OutputDestination(int fd, std::string target, Kind kind)
    : fd_(fd), target_(std::move(target)), kind_(kind), buffer_(fd), stream_(&buffer_) {}

OutputDestination::~OutputDestination() {
  if (kind_ != Kind::kStandardOutput && kind_ != Kind::kFinished)
    closeFile("not finished");
}

bool OutputDestination::finish(std::string& error) {
  bool written = buffer_.flushAll();
  if (kind_ == Kind::kStandardOutput) {
    if (!written)
      error = std::string("error writing standard output: ") + std::strerror(buffer_.writeErrno());
    return written;
  }
  std::string reason = closeFile(written ? "" : std::strerror(buffer_.writeErrno()));
  kind_ = Kind::kFinished;
  if (!reason.empty())
    error = target_ + ": error: cannot write output: " + reason;
  return reason.empty();
}

std::string refuseOutput(const std::string& path, const std::vector<std::string>& inputs,
                         const std::vector<std::string>& inputsByExtension) {
  namespace fs = std::filesystem;
  std::error_code error;
  bool exists = fs::exists(fs::u8path(path), error);
  for (const std::string& input : inputs) {
    // The same file under another name: the same device and inode, or volume and file index.
    if (input == path || (exists && fs::equivalent(fs::u8path(input), fs::u8path(path), error)))
      return path + ": error: --output names an input (" + input + "); nothing was written";
  }
  std::string extension = extensionOf(path);
  for (const std::string& input : inputsByExtension) {
    if (!extension.empty() && extensionOf(input) == extension) {
      return path + ": error: --output ends in " + extension + " like the input " + input +
             " (a file name forgotten before a glob?); nothing was written";
    }
  }
  return "";
}

}  // namespace trel::quorlinsrv
