// Where the program's output goes: standard output; a regular file that appears complete or not at
// all (written to an unnamed temporary file, named beside the target only to be renamed over it);
// or a character device or FIFO, written in place. All are written as the output is formatted, so
// a report is never held whole in memory. What the systems do differently is in
// OutputFilePosix.cpp and OutputFileWindows.cpp.
#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace trel::quorlinsrv {

// A stream buffer that writes to a descriptor through a buffer of its own. A failed write is kept
// (with its errno) and makes every later write fail as well.
class DescriptorOutput : public std::streambuf {
 public:
  explicit DescriptorOutput(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof(buffer_)); }
  DescriptorOutput(const DescriptorOutput&) = delete;
  DescriptorOutput& operator=(const DescriptorOutput&) = delete;

  // Writes what is buffered; false when this or an earlier write failed.
  bool flushAll();
  int writeErrno() const { return errno_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override { return flushAll() ? 0 : -1; }

 private:
  // Writes what the system takes of the `size` bytes at `data` to `fd`, tried again when a signal
  // interrupts it: how many bytes, or -1 with errno set.
  static long writeSome(int fd, const char* data, std::size_t size);

  int fd_;
  int errno_ = 0;
  char buffer_[1 << 16];
};

// Checks `--output PATH` against the inputs of the run, so that a report never replaces what the
// user feeds the program. "" when PATH may be written, otherwise why not: it names an input (the
// same path, or the same device and inode), or it ends in the extension of a config file or DP
// list on the command line (`inputsByExtension`), the usual result of a forgotten file name
// before a glob.
std::string refuseOutput(const std::string& path, const std::vector<std::string>& inputs,
                         const std::vector<std::string>& inputsByExtension);

class OutputDestination {
 public:
  // "" or "-": standard output. A character device or FIFO (also through a link): itself. A
  // regular file or a new name: a temporary file in the directory of the file a chain of symbolic
  // links ends at, so the links stay. Null with `error` set ("PATH: error: ...") for a block
  // device or socket, or when nothing can be opened.
  // SIGINT, SIGTERM and SIGHUP remove a temporary file that has a name before they end the run.
  static std::unique_ptr<OutputDestination> open(const std::string& path, std::string& error);
  // Removes the temporary file of a destination that was not finished.
  ~OutputDestination();

  std::ostream& stream() { return stream_; }
  // Writes what is buffered; for a regular file, syncs it, names it beside the target and renames
  // it over the target (which keeps its mode, while a new file gets the mode the umask allows).
  // False, with `error` set, when anything fails; the target is then untouched and the temporary
  // file gone.
  bool finish(std::string& error);

 private:
  enum class Kind { kStandardOutput, kInPlace, kUnnamedTemporary, kNamedTemporary, kFinished };
  OutputDestination(int fd, std::string target, Kind kind);
  // Closes the file and, for a temporary one, renames it over the target when `reason` (why the
  // output failed so far) is "", else removes it. Returns why it failed, "" when it did not.
  std::string closeFile(std::string reason);

  int fd_;
  std::string target_;  // "" for standard output; the end of the link chain for a temporary file
  Kind kind_;
  DescriptorOutput buffer_;
  std::ostream stream_;
};

}  // namespace trel::quorlinsrv
