// Validation changes nothing: the directory of every config file looks the same afterwards, down
// to the times and the content of each entry, and the config files were only ever opened for
// reading.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.hpp"
#include "tests/support/LoadedModule.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

const std::string kExamples = QUORLIN_SOURCE_DIR "/examples";
const std::string kPlant = kExamples + "/plant.dpl";

// Everything about a directory's entries that writing, replacing, touching or chmod changes.
std::map<std::string, std::string> snapshot(const std::string& dir) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string path = entry.path().string();
    struct stat info {};
    lstat(path.c_str(), &info);
    std::ostringstream line;
    line << "inode " << info.st_ino << " mode " << std::oct << info.st_mode << std::dec << " size "
         << info.st_size << " mtime " << info.st_mtim.tv_sec << "." << info.st_mtim.tv_nsec
         << " ctime " << info.st_ctim.tv_sec << "." << info.st_ctim.tv_nsec;
    if (S_ISREG(info.st_mode)) {
      line << " content " << readBytes(path);
    }
    entries[entry.path().filename().string()] = line.str();
  }
  return entries;
}

// What inotify saw happen in a directory: events by entry name.
class DirectoryWatch {
 public:
  explicit DirectoryWatch(const std::string& dir) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) {
      inotify_add_watch(fd_, dir.c_str(), IN_ALL_EVENTS);
    }
  }
  ~DirectoryWatch() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  DirectoryWatch(const DirectoryWatch&) = delete;
  DirectoryWatch& operator=(const DirectoryWatch&) = delete;

  bool ok() const { return fd_ >= 0; }
  // The masks of all events so far, or'ed together per name ("" for the directory itself).
  std::map<std::string, std::uint32_t> events() {
    alignas(inotify_event) char buffer[64 * 1024];
    ssize_t n = 0;
    while ((n = read(fd_, buffer, sizeof(buffer))) > 0) {
      for (char* at = buffer; at < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        seen_[event->len > 0 ? std::string(event->name) : std::string()] |= event->mask;
        at += sizeof(inotify_event) + event->len;
      }
    }
    return seen_;
  }

 private:
  int fd_;
  std::map<std::string, std::uint32_t> seen_;
};

constexpr std::uint32_t kChanges = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                   IN_DELETE_SELF | IN_MOVED_FROM | IN_MOVED_TO | IN_MOVE_SELF;

TEST(NothingWritten, ValidationLeavesEveryConfigDirectoryAsItWasAndOnlyReads) {
  ScratchDir dir;
  const std::vector<std::string> configs = {"valid.cfg", "invalid.cfg"};
  for (const std::string& name : configs) {
    writeBytes(dir.at(name), readBytes(kExamples + "/" + name));
  }
  writeBytes(dir.at("readonly.cfg"), readBytes(kExamples + "/valid.cfg"));
  chmod(dir.at("readonly.cfg").c_str(), 0444);
  symlink(dir.at("valid.cfg").c_str(), dir.at("link.cfg").c_str());
  const std::vector<std::string> checked = {"valid.cfg", "invalid.cfg", "readonly.cfg", "link.cfg"};

  const auto examplesBefore = snapshot(kExamples);
  const auto scratchBefore = snapshot(dir.path());
  DirectoryWatch watch(dir.path());
  ASSERT_TRUE(watch.ok()) << "inotify: " << std::strerror(errno);

  for (const std::string& name : checked) {
    for (const std::string& config : {kExamples + "/valid.cfg", dir.at(name)}) {
      SCOPED_TRACE(config);
      for (bool errorsOnly : {false, true}) {
        FileOutcome outcome;
        std::string error;
        EXPECT_TRUE(fuzz::loadedModule().validate(config, errorsOnly, outcome, error)) << error;
      }
      for (const char* format : {"text", "json", "sarif"}) {
        const ChildResult cli =
            runProgram(QUORLIN_VALIDATE_PATH, {"--dp-list", kPlant, "--format", format, config});
        EXPECT_TRUE(cli.exitedWith(0) || cli.exitedWith(1)) << cli.describe() << "\n" << cli.err;
      }
    }
  }

  EXPECT_EQ(snapshot(kExamples), examplesBefore);
  EXPECT_EQ(snapshot(dir.path()), scratchBefore);
  const auto events = watch.events();
  for (const auto& [name, mask] : events) {
    EXPECT_EQ(mask & kChanges, 0u) << "'" << name << "' changed: inotify mask " << std::hex << mask;
  }
  // Each file was opened and closed, and never with write access (that would be IN_CLOSE_WRITE).
  for (const std::string& name :
       {std::string("valid.cfg"), std::string("invalid.cfg"), std::string("readonly.cfg")}) {
    const auto seen = events.find(name);
    ASSERT_NE(seen, events.end()) << name << " was never opened";
    EXPECT_NE(seen->second & IN_CLOSE_NOWRITE, 0u) << name;
  }
}

}  // namespace
}  // namespace trel::quorlinsrv::test
