#include "tests/support/ScratchDir.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace trel::quorlinsrv::test {

namespace {

constexpr std::size_t kContext = 40;

std::string around(const std::string& text, std::size_t at) {
  const std::size_t from = at > kContext ? at - kContext : 0;
  return quoted(text.substr(from, 2 * kContext));
}

}  // namespace

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const char* named = c == '"'    ? "\\\""
                        : c == '\\' ? "\\\\"
                        : c == '\n' ? "\\n"
                        : c == '\r' ? "\\r"
                        : c == '\t' ? "\\t"
                                    : nullptr;
    char escaped[5] = {c, '\0'};
    if (named == nullptr && static_cast<unsigned char>(c) < 0x20)
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
    out += named != nullptr ? std::string(named) : std::string(escaped);
  }
  return out + "\"";
}

#ifdef _WIN32
ScratchDir::ScratchDir() {
  static unsigned count = 0;
  std::filesystem::path base = std::filesystem::temp_directory_path();
  std::error_code error;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    auto dir = base / ("quorlin-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(count++));
    if (std::filesystem::create_directory(dir, error))
      path_ = dir.generic_string();
  }
  if (path_.empty())
    throw std::runtime_error("cannot make a scratch directory for a test");
}
#else
ScratchDir::ScratchDir() {
  const char* base = std::getenv("TMPDIR");
  path_ = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/quorlin-test-XXXXXX";
  if (mkdtemp(path_.data()) == nullptr || chmod(path_.c_str(), 0755) != 0) {
    throw std::runtime_error("cannot make a scratch directory for a test");
  }
}
#endif

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> caseNames(const std::string& root) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(root))
    if (entry.is_directory())
      names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string expectedText(const std::string& path, const std::string& actual) {
  const char* update = std::getenv("QUORLIN_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1")
    writeBytes(path, actual);
  return readBytes(path);
}

std::string firstDifference(const std::string& expected, const std::string& actual) {
  if (expected == actual) {
    return "";
  }
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) {
    ++at;
  }
  std::ostringstream text;
  text << "first difference at byte " << at << " (expected " << expected.size() << " bytes, got "
       << actual.size() << ")\n  expected: " << around(expected, at)
       << "\n  actual:   " << around(actual, at);
  return text.str();
}

}  // namespace trel::quorlinsrv::test
