// A directory for the files a test makes, and small file helpers.
#pragma once

#include <string>
#include <vector>

namespace trel::quorlinsrv::test {

// A fresh directory below the system's temporary directory, open to every user (so that a child
// without root's rights reaches the files in it), removed with its content at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of `name` inside the directory.
  std::string at(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes `bytes` to `path` as they are, replacing the file.
void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);

// The names of the directories below `root`, sorted: the cases of a golden-file test.
std::vector<std::string> caseNames(const std::string& root);

// The content of the expected file at `path`. With QUORLIN_UPDATE_GOLDEN=1 in the environment the
// file is first rewritten to `actual`: a deliberate act, to be reviewed with `git diff`.
std::string expectedText(const std::string& path, const std::string& actual);

// `text` in double quotes, with backslash, quote, line feed, carriage return, tab and other
// control bytes escaped, so that every value stays on one line.
std::string quoted(const std::string& text);

// "" when `actual` equals `expected`, otherwise where they first differ, with a little context
// (control bytes escaped), so that a difference in a text of megabytes stays readable.
std::string firstDifference(const std::string& expected, const std::string& actual);

}  // namespace trel::quorlinsrv::test
