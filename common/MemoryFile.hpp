// Text in an anonymous memory-backed file, for the module, which reads config files by name only:
// a config read once into memory, standard input or an editor's unsaved text is handed to it
// without a second read of the file, and never written into the user's directories.
#pragma once

#include <string>
#include <string_view>

namespace trel::quorlinsrv {

// Reads everything from `fd` (a file, a pipe) into `bytes`; 0, or the system's error number.
int readAllBytes(int fd, std::string& bytes);
// Reads the regular file at `path` into `bytes`; 0, or the system's error number (EINVAL for a
// path that is no regular file).
int readFileBytes(const std::string& path, std::string& bytes);

class MemoryFile {
 public:
  // A memory file holding `text`; throws std::system_error when the system gives none.
  explicit MemoryFile(std::string_view text);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // A name under which this process opens the file from its start: /proc/self/fd/N.
  const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

}  // namespace trel::quorlinsrv
