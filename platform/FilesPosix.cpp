#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.hpp"

namespace trel::quorlinsrv::platform {

const char* const kPathSeparators = "/";

std::string directoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool isAbsolutePath(const std::string& path) {
  return !path.empty() && path.front() == '/';
}

std::string uriPathOf(const std::string& path) {
  return path;
}

std::string localPathOf(const std::string& uriPath) {
  return uriPath;
}

bool openRegularFile(std::ifstream& file, const std::string& name) {
  // The descriptor is opened without blocking and checked first; the stream then reopens that
  // very file through it, so that nothing swapped in under the name is read.
  const int descriptor = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat info {};
  if (descriptor >= 0 && ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode)) {
    file.open("/proc/self/fd/" + std::to_string(descriptor), std::ios::in | std::ios::binary);
    if (!file.is_open()) {
      file.clear();
      file.open(name, std::ios::in | std::ios::binary);  // without /proc, by name
    }
  }
  if (descriptor >= 0)
    ::close(descriptor);
  return file.is_open();
}

std::vector<std::string> matchingFiles(const std::string& pattern) {
  std::vector<std::string> files;
  glob_t matches{};
  if (glob(pattern.c_str(), GLOB_ERR, nullptr, &matches) == 0) {
    for (std::size_t i = 0; i < matches.gl_pathc; ++i) {
      struct stat info;
      if (stat(matches.gl_pathv[i], &info) == 0 && S_ISREG(info.st_mode))
        files.emplace_back(matches.gl_pathv[i]);
    }
  }
  globfree(&matches);
  return files;
}

}  // namespace trel::quorlinsrv::platform
