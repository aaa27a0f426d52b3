#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "platform/Files.hpp"

namespace trel::quorlinsrv::platform {

namespace fs = std::filesystem;

const char* const kPathSeparators = "/\\";

std::string directoryOf(const std::string& path) {
  std::size_t slash = path.find_last_of(kPathSeparators);
  if (slash == std::string::npos)
    return ".";
  std::size_t root = fs::u8path(path).root_path().u8string().size();
  return path.substr(0, std::max(slash, root == 0 ? std::size_t{1} : root));
}

bool isAbsolutePath(const std::string& path) {
  return fs::u8path(path).is_absolute();
}

std::string uriPathOf(const std::string& path) {
  std::string uri = path;
  std::replace(uri.begin(), uri.end(), '\\', '/');
  return isAbsolutePath(path) && uri.front() != '/' ? "/" + uri : uri;
}

std::string localPathOf(const std::string& uriPath) {
  std::string path = uriPath;
  // "/C:/x" names the drive C:; "//server/share/x" a share.
  if (path.size() > 2 && path[0] == '/' && path[2] == ':')
    path.erase(0, 1);
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool openRegularFile(std::ifstream& file, const std::string& name) {
  // Windows has no FIFO in a directory; its devices (NUL, CON, COM1, pipes by \\.\ names) are
  // no regular files either.
  std::error_code error;
  if (!fs::is_regular_file(fs::u8path(name), error))
    return false;
  file.open(fs::u8path(name), std::ios::in | std::ios::binary);
  return file.is_open();
}

namespace {

// Whether `name` matches the one-component `pattern`, as a shell matches it: a leading dot only
// by a dot, case insensitively as Windows names files.
bool matches(const char* pattern, const char* name) {
  for (; *pattern != '\0'; ++pattern, ++name) {
    if (*pattern == '*') {
      for (const char* rest = name;; ++rest) {
        if (matches(pattern + 1, rest))
          return true;
        if (*rest == '\0')
          return false;
      }
    }
    if (*name == '\0')
      return false;
    if (*pattern == '[') {
      const char* end = std::strchr(pattern + 1, ']');
      if (end != nullptr) {
        bool negated = pattern[1] == '!' || pattern[1] == '^';
        bool found = false;
        for (const char* c = pattern + 1 + negated; c < end; ++c) {
          if (c + 2 < end && c[1] == '-') {
            found = found || (*name >= c[0] && *name <= c[2]);
            c += 2;
          } else {
            found = found || *name == *c;
          }
        }
        if (found == negated)
          return false;
        pattern = end;
        continue;
      }
    }
    if (*pattern != '?' && std::tolower(static_cast<unsigned char>(*pattern)) !=
                               std::tolower(static_cast<unsigned char>(*name)))
      return false;
  }
  return *name == '\0';
}

void expand(const std::string& prefix, const std::string& rest, std::vector<std::string>& out) {
  std::size_t end = rest.find_first_of(kPathSeparators);
  std::string component = rest.substr(0, end);
  bool last = end == std::string::npos;
  std::error_code error;
  if (component.find_first_of("*?[") == std::string::npos) {
    std::string path = prefix + component;
    if (last) {
      if (fs::is_regular_file(fs::u8path(path), error))
        out.push_back(path);
    } else {
      expand(path + rest[end], rest.substr(end + 1), out);
    }
    return;
  }
  fs::directory_iterator entries(fs::u8path(prefix.empty() ? "." : prefix), error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    std::string name = entries->path().filename().u8string();
    if ((name[0] == '.' && component[0] != '.') || !matches(component.c_str(), name.c_str()))
      continue;
    if (last && entries->is_regular_file(error))
      out.push_back(prefix + name);
    else if (!last && entries->is_directory(error))
      expand(prefix + name + rest[end], rest.substr(end + 1), out);
  }
}

}  // namespace

std::vector<std::string> matchingFiles(const std::string& pattern) {
  // The root of an absolute pattern ("C:\", "\\server\share\") is taken as it is.
  fs::path path = fs::u8path(pattern);
  std::string root = path.root_path().u8string();
  std::vector<std::string> files;
  expand(root, pattern.substr(root.size()), files);
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace trel::quorlinsrv::platform
