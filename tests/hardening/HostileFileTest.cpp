// Hostile config files too big to keep or that are no plain files (the small byte-level ones are
// golden cases), each with the exact outcome: what the module reports for it (called the
// way the host calls it, in a child process so that a hang or a crash is a failure and not the end
// of the test run) and what the command-line validator prints and exits with.
//
// The big files are made at test time. Builds with a sanitizer make them ten times smaller: those
// builds look for memory errors, which show at that size too, and would take minutes otherwise.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "common/Findings.hpp"
#include "common/Formats.hpp"
#include "tests/support/ChildProcess.hpp"
#include "tests/support/LoadedModule.hpp"
#include "tests/support/SanitizerBuild.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

const std::string kValidator = QUORLIN_VALIDATE_PATH;
const std::string kPlant = QUORLIN_SOURCE_DIR "/examples/plant.dpl";
const std::string kProgram = "quorlin-validate";

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kMillion = 1000000 / kSanitizerScaleDown;
constexpr std::size_t kHundredThousand = 100000 / kSanitizerScaleDown;
constexpr std::size_t kTenThousand = 10000 / kSanitizerScaleDown;
constexpr std::size_t kLongLine = 64 * kMiB / kSanitizerScaleDown;
constexpr std::size_t kLongHeader = kMiB / kSanitizerScaleDown;

const std::string kOpenFailed = "failed to open file ";

// What the validator's text format shows for one file.
struct Report {
  std::string path;
  std::vector<std::string> lines;

  Report& finding(unsigned line, const std::string& device, const std::string& property,
                  const std::string& key, const std::string& message) {
    lines.push_back(path + ":" + std::to_string(line) + ": error: [" + device + "." + property +
                    "] " + key + ": " + message);
    return *this;
  }
  Report& fileFinding(const std::string& message) {
    lines.push_back(path + ": error: " + message);
    return *this;
  }
  std::string text(std::size_t blocks, std::size_t withFindings) const {
    std::string out;
    for (const std::string& line : lines) {
      out += line + "\n";
    }
    return out + path + ": " + std::to_string(blocks) + (blocks == 1 ? " block, " : " blocks, ") +
           std::to_string(withFindings) + " with findings\n";
  }
};

// One hostile file, made in a scratch directory, and everything expected of it.
struct Case {
  std::string path;          // what both the module and the validator are given
  bool errorsOnly = false;   // function 1 and --errors-only instead of function 0
  bool withoutRoot = false;  // both run without root's rights
  int timeoutSeconds = 20;   // for each of the two runs
  std::string moduleText;    // the module's outcome in the validator's text format
  int exitCode = 0;          // the validator's
  std::string out;           // its standard output
  std::string err;           // its standard error
};

// The validator reaches the module and prints exactly what the module reported.
Case reported(const Report& report, std::size_t blocks, std::size_t withFindings) {
  Case c;
  c.path = report.path;
  c.moduleText = report.text(blocks, withFindings);
  c.exitCode = report.lines.empty() ? 0 : 1;
  c.out = c.moduleText;
  return c;
}

// A file that cannot be opened: the module says so; the validator says the same as a finding.
Case unopenable(const std::string& path) {
  return reported(Report{path, {}}.fileFinding(kOpenFailed), 0, 0);
}

// Something that is not a regular file: the module cannot open it as one, and the validator
// refuses it before the module sees it.
Case notRegular(const std::string& path, const std::string& kind) {
  Case c = unopenable(path);
  c.exitCode = 2;
  c.out = "";
  c.err = kProgram + ": " + path + ": error: " + kind + ", not a regular file\n";
  return c;
}

std::string written(const ScratchDir& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.at(name);
  writeBytes(path, bytes);
  return path;
}

const std::string kPowerSupplyHeader = "[PS1 _instance_of_ PowerSupply]\n";
const std::string kVoltageBlock = "dpe=PS1.voltage\nproperty=Voltage\ndirection=in\nvalue=float\n";

Case lineOf64MiB(const ScratchDir& dir) {
  const std::string key = "direction=";
  const std::string word(kLongLine - key.size(), 'x');
  const std::string bytes =
      kPowerSupplyHeader + "dpe=PS1.voltage\nproperty=Voltage\n" + key + word + "\nvalue=float\n";
  Report report{written(dir, "long-line.cfg", bytes), {}};
  report.finding(2, "PS1", "Voltage", "direction", "unknown direction '" + word + "'");
  return reported(report, 1, 1);
}

Case millionBlocks(const ScratchDir& dir) {
  std::string bytes = "[Stand]\n";
  for (std::size_t i = 0; i < kMillion; ++i) {
    bytes += "dpe=PS1.voltage\nproperty=P" + std::to_string(i) + "\ndirection=in\nvalue=float\n";
  }
  Case c = reported(Report{written(dir, "million.cfg", bytes), {}}, kMillion, 0);
  c.errorsOnly = true;  // the full result of a million blocks takes gigabytes
  c.timeoutSeconds = 120;
  return c;
}

Case oneDeviceManyProperties(const ScratchDir& dir) {
  std::string bytes = kPowerSupplyHeader;
  for (std::size_t i = 0; i < kHundredThousand; ++i) {
    bytes += "dpe=PS1.voltage\nproperty=P" + std::to_string(i) + "\ndirection=in\nvalue=float\n";
  }
  Case c = reported(Report{written(dir, "properties.cfg", bytes), {}}, kHundredThousand, 0);
  c.timeoutSeconds = 120;
  return c;
}

Case manyDevicesOfOneClass(const ScratchDir& dir) {
  std::string bytes;
  for (std::size_t i = 0; i < kTenThousand; ++i) {
    bytes += "[D" + std::to_string(i) +
             " _instance_of_ Pump]\ndpe=Pump1.speed\nproperty=Speed\ndirection=in\nvalue=double\n";
  }
  const std::string last = "D" + std::to_string(kTenThousand - 1);
  bytes += "dpe=Pump1.samples\nproperty=Extra\ndirection=out\nvalue=long\n";
  const unsigned extraLine = static_cast<unsigned>(5 * kTenThousand + 1);
  const std::string lines = std::to_string(extraLine) + "..." + std::to_string(extraLine + 3);
  Report report{written(dir, "devices.cfg", bytes), {}};
  report.finding(extraLine, last, "Extra", "class",
                 "Class Pump: property Extra found in device " + last + " (lines " + lines +
                     "), but there is no such property in device D0, starting at line 2");
  return reported(report, kTenThousand + 1, 1);
}

Case keyRepeated(const ScratchDir& dir) {
  std::string bytes = kPowerSupplyHeader + "dpe=PS1.voltage\n";
  for (std::size_t i = 0; i < kHundredThousand; ++i) {
    bytes += "property=Voltage\n";
  }
  bytes += "direction=in\nvalue=float\n";
  Report report{written(dir, "repeated.cfg", bytes), {}};
  report.finding(2, "PS1", "Voltage", "property",
                 "attribute 'property' appeared " + std::to_string(kHundredThousand) +
                     " times for this block");
  return reported(report, 1, 1);
}

Case headerOf1MiB(const ScratchDir& dir) {
  // Two words: a device name and a class name without the introducer between them.
  const std::string inner =
      std::string(kLongHeader / 2, 'D') + " " + std::string(kLongHeader - kLongHeader / 2 - 3, 'C');
  Report report{written(dir, "header.cfg", "[" + inner + "]\n" + kVoltageBlock), {}};
  const std::string message =
      "syntax error in line 1: found '" + inner +
      "' while expecting either one word (Quorlin device name, like [MyDeviceName]), or 3 words "
      "(Quorlin device name followed by '_instance_of_' class name introducer followed by class "
      "name, like [MyDeviceName _instance_of_ MyClassName])";
  report.finding(2, "", "Voltage", "class", message).finding(2, "", "Voltage", "device", message);
  return reported(report, 1, 1);
}

Case directory(const ScratchDir& dir) {
  const std::string path = dir.at("config.d");
  mkdir(path.c_str(), 0755);
  return notRegular(path, "a directory");
}

Case fifo(const ScratchDir& dir) {
  const std::string path = dir.at("config.fifo");
  mkfifo(path.c_str(), 0644);
  return notRegular(path, "a FIFO");
}

Case characterDevice(const ScratchDir&) {
  return notRegular("/dev/zero", "a device");
}

Case symlinkLoop(const ScratchDir& dir) {
  const std::string path = dir.at("a.cfg");
  symlink(dir.at("b.cfg").c_str(), path.c_str());
  symlink(path.c_str(), dir.at("b.cfg").c_str());
  return unopenable(path);
}

Case vanishedFile(const ScratchDir& dir) {
  written(dir, "gone.cfg", kPowerSupplyHeader + kVoltageBlock);
  std::string listed;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    listed = entry.path().string();
  }
  std::filesystem::remove(listed);
  return unopenable(listed);
}

Case noReadPermission(const ScratchDir& dir) {
  const std::string path = written(dir, "secret.cfg", kPowerSupplyHeader + kVoltageBlock);
  chmod(path.c_str(), 0);
  Case c = unopenable(path);
  c.withoutRoot = true;  // root reads any file
  return c;
}

struct Row {
  const char* name;
  Case (*make)(const ScratchDir&);
};

const Row kRows[] = {
    {"line_of_64_MiB", lineOf64MiB},
    {"one_million_blocks", millionBlocks},
    {"one_device_100000_properties", oneDeviceManyProperties},
    {"10000_devices_of_one_class", manyDevicesOfOneClass},
    {"one_key_100000_times", keyRepeated},
    {"header_of_1_MiB", headerOf1MiB},
    {"directory", directory},
    {"fifo", fifo},
    {"character_device", characterDevice},
    {"symlink_loop", symlinkLoop},
    {"file_vanished_after_listing", vanishedFile},
    {"no_read_permission", noReadPermission},
};

// The module's outcome for `path` in the validator's text format; "refused: ..." when the call
// itself failed.
std::string moduleOutcome(const std::string& path, bool errorsOnly) {
  FileOutcome outcome;
  std::string error;
  if (!fuzz::loadedModule().validate(path, errorsOnly, outcome, error)) {
    return "refused: " + error;
  }
  trel::quorlinsrv::Report report;
  report.files.push_back(makeFileReport(std::move(outcome)));
  std::ostringstream text;
  writeReport(Format::kText, report, TextStyle{}, text);
  return text.str();
}

// Names the case in test output (a Row's bytes hold padding).
// The text format without where each finding stands and without its notes: the module's texts,
// in order, and the summary lines. Positions and notes have golden cases of their own.
std::string findingTexts(const std::string& text) {
  std::istringstream lines(text);
  std::string result;
  for (std::string line; std::getline(lines, line);) {
    if (line.find(": note: ") != std::string::npos)
      continue;
    std::size_t error = line.find(": error: ");
    result += (error == std::string::npos ? line : line.substr(error)) + "\n";
  }
  return result;
}

void PrintTo(const Row& row, std::ostream* out) {
  *out << row.name;
}

class HostileFile : public ::testing::TestWithParam<Row> {
 protected:
  // Loaded before any child is forked, so that no child loads it again.
  static void SetUpTestSuite() { fuzz::loadedModule(); }
};

TEST_P(HostileFile, ModuleAndValidatorReportExactly) {
  ScratchDir dir;
  const Case c = GetParam().make(dir);
  ChildLimits limits;
  limits.timeoutSeconds = c.timeoutSeconds;
  limits.withoutRoot = c.withoutRoot;

  const ChildResult module =
      runInChild([&] { return moduleOutcome(c.path, c.errorsOnly); }, limits);
  ASSERT_TRUE(module.exitedWith(0)) << "module: " << module.describe() << "\n" << module.err;
  EXPECT_EQ(firstDifference(c.moduleText, module.out), "") << "module outcome";

  std::vector<std::string> args{"--dp-list", kPlant};
  if (c.errorsOnly) {
    args.push_back("--errors-only");
  }
  args.push_back(c.path);
  const ChildResult cli = runProgram(kValidator, args, limits);
  ASSERT_NE(cli.end, ChildResult::End::kNotStarted);
  EXPECT_TRUE(cli.exitedWith(c.exitCode)) << "validator: " << cli.describe() << "\n" << cli.err;
  EXPECT_EQ(firstDifference(findingTexts(c.out), findingTexts(cli.out)), "") << "validator output";
  EXPECT_EQ(firstDifference(c.err, cli.err), "") << "validator errors";
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFile, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace trel::quorlinsrv::test
