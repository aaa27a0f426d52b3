// Files by name: opening only what can be read to its end, path separators, and name patterns.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace trel::quorlinsrv::platform {

// The characters that end a directory in a path: "/" here, "/\" on Windows.
extern const char* const kPathSeparators;

// The directory of `path` without the separator that ends it: "." for a bare name, the root
// itself ("/", "C:\") for a file in a root.
std::string directoryOf(const std::string& path);

// Whether `path` starts at a root: "/x", and on Windows "C:\x" or "\\server\share\x".
bool isAbsolutePath(const std::string& path);

// The path of a file URI for `path` ("/C:/x/y.cfg" for "C:\x\y.cfg"), and the local path of a
// file URI's path ("C:\x\y.cfg" for "/C:/x/y.cfg"); a POSIX path is the same in both.
std::string uriPathOf(const std::string& path);
std::string localPathOf(const std::string& uriPath);

// Opens `name` into `file` (binary, so that every byte is read as it is) when it is a regular
// file; false otherwise. A FIFO or device found under the name is never waited for: a directory
// holds no lines, and a FIFO or a device can block or never end.
bool openRegularFile(std::ifstream& file, const std::string& name);

// The regular files whose names match `pattern` (with *, ? and [...] in any component), sorted.
std::vector<std::string> matchingFiles(const std::string& pattern);

}  // namespace trel::quorlinsrv::platform
