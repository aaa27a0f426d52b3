// Text in an anonymous memory-backed file (on Windows a temporary file of the system's, removed
// when done), for the module, which reads config files by name only: a config read once into
// memory, standard input or an editor's unsaved text is handed to it without a second read of
// the file, and never written into the user's directories.
#pragma once

#include <string>
#include <string_view>

namespace trel::quorlinsrv {

class MemoryFile {
 public:
  // An empty memory file; throws std::system_error when the system gives none.
  MemoryFile();
  // A memory file holding `text`.
  explicit MemoryFile(std::string_view text) : MemoryFile() { append(text); }
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Appends everything read from standard input in pieces, so that the text is never held a second
  // time in this process; 0, or the system's error number of the read.
  int appendStandardInput();
  // Appends the regular file at `path`; 0, or the system's error number (EINVAL for a path that
  // is no regular file).
  int appendFile(const std::string& path);

  // A name under which this process opens the file from its start: /proc/self/fd/N, or the
  // temporary file's name.
  const std::string& path() const { return path_; }
  // The file's bytes, mapped on first use; "" when they cannot be mapped.
  std::string_view bytes();

 private:
  void append(std::string_view text);
  int appendFrom(int fd);

  int fd_;
  std::string path_;
  void* mapped_ = nullptr;
  std::size_t mappedSize_ = 0;
};

}  // namespace trel::quorlinsrv
