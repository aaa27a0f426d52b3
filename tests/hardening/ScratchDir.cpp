#include "tests/hardening/ScratchDir.hpp"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "fuzz/TempDir.hpp"

namespace trel::quorlinsrv::test {

namespace {

constexpr std::size_t kContext = 40;

std::string escaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof(code), "\\x%02x", c);
      out += code;
    }
  }
  return out;
}

std::string around(const std::string& text, std::size_t at) {
  const std::size_t from = at > kContext ? at - kContext : 0;
  return "\"" + escaped(text.substr(from, 2 * kContext)) + "\"";
}

}  // namespace

ScratchDir::ScratchDir() {
  path_ = fuzz::makeTemporaryDirectory("quorlin-hard");
  if (path_.empty() || chmod(path_.c_str(), 0755) != 0) {
    throw std::runtime_error("cannot make a scratch directory for a test");
  }
}

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
