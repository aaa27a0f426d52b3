// Hostile config files, each with the exact outcome: what the module reports for it (called the
// way the host calls it, in a child process so that a hang or a crash is a failure and not the end
// of the test run) and what the command-line validator prints and exits with.
//
// The big files are made at test time. Builds with a sanitizer make them ten times smaller: those
// builds look for memory errors, which show at that size too, and would take minutes otherwise.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/LoadedModule.hpp"
#include "tests/hardening/ChildProcess.hpp"
#include "tests/hardening/SanitizerBuild.hpp"
#include "tests/hardening/ScratchDir.hpp"
#include "tests/parser/ReaderMessages.hpp"
#include "tools/Findings.hpp"
#include "tools/Formats.hpp"

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

// Messages of the checks, written down from their rules.
std::string mandatoryMissing(const std::string& name) {
  return "mandatory attribute '" + name + "' didn't appear in config file";
}
std::string mandatoryEmpty(const std::string& name) {
  return "the value of mandatory attribute '" + name + "' is empty in config file";
}
std::string repeated(const std::string& name, std::size_t count) {
  return "attribute '" + name + "' appeared " + std::to_string(count) + " times for this block";
}
const std::string kNoElementName = "both alias and DPE name are empty";
const std::string kOpenFailed = "failed to open file ";
const std::string kNoBlocks = "No configuration found in file";

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
  // A block of a file without a (valid) section header that holds nothing but its own errors.
  Report& bareBlock(unsigned line) {
    finding(line, "", "", "device", mandatoryEmpty("Quorlin device name"));
    finding(line, "", "", "property", mandatoryMissing("property"));
    finding(line, "", "", "dpe", kNoElementName);
    finding(line, "", "", "direction", mandatoryMissing("direction"));
    return finding(line, "", "", "valueType", mandatoryMissing("value"));
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
  bool moduleOnly = false;   // the validator is not run (the module is, in every case)
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

// A path of exactly `length` bytes that names `file` in `dir`, padded with "./" and "/".
std::string paddedPath(const ScratchDir& dir, const std::string& file, std::size_t length) {
  std::string path = dir.path() + "/";
  while (path.size() + file.size() + 2 <= length) {
    path += "./";
  }
  if (path.size() + file.size() < length) {
    path += "/";
  }
  return path + file;
}

Case nulBytesInLines(const ScratchDir& dir) {
  using namespace std::string_literals;
  const std::string bytes = kPowerSupplyHeader +
                            "dpe=PS1.voltage\0tail\nproperty=Volt\0age\ndirection=in\nvalue=float\n"
                            "dpe=PS1.volt\0age\nproperty=Current\ndirection=in\nvalue=float\n"
                            "[Pump\0One]\ndpe=Pump1.speed\nproperty=Speed\ndirection=in\n"
                            "value=double\ntim\0e=none\n"s;
  // A NUL is a byte like any other in keys, values and names, and messages quote it. The host is
  // asked for an element by C string, so it sees a name only up to its first NUL: "PS1.voltage"
  // is found, "PS1.volt" is not.
  Report report{written(dir, "nul.cfg", bytes), {}};
  report.finding(6, "PS1", "Current", "dpe", "Unknown DPE PS1.volt\0age"s)
      .finding(11, "Pump\0One"s, "Speed", "syntax", unexpectedKeyMessage(15, "tim\0e"s));
  return reported(report, 3, 2);
}

Case lineOf64MiB(const ScratchDir& dir) {
  const std::string key = "direction=";
  const std::string word(kLongLine - key.size(), 'x');
  const std::string bytes =
      kPowerSupplyHeader + "dpe=PS1.voltage\nproperty=Voltage\n" + key + word + "\nvalue=float\n";
  Report report{written(dir, "long-line.cfg", bytes), {}};
  report.finding(2, "PS1", "Voltage", "direction", "unknown direction '" + word + "'");
  return reported(report, 1, 1);
}

Case crlfLineEnds(const ScratchDir& dir) {
  const std::string bytes =
      "# stand\r\n[PS1 _instance_of_ PowerSupply]\r\ndpe=PS1.voltage\r\nproperty=Voltage\r\n"
      "direction=in\r\nvalue=float\r\n";
  return reported(Report{written(dir, "crlf.cfg", bytes), {}}, 1, 0);
}

Case loneCrLineEnds(const ScratchDir& dir) {
  const std::string line =
      "[PS1 _instance_of_ PowerSupply]\rdpe=PS1.voltage\rproperty=Voltage\rdirection=in\r"
      "value=float";
  // Only a line feed ends a line: the whole file is one line, and a trailing CR is whitespace.
  Report report{written(dir, "cr.cfg", line + "\r"), {}};
  report.finding(1, "", "", "syntax", lineSyntaxMessage(line)).bareBlock(1);
  return reported(report, 1, 1);
}

Case byteOrderMark(const ScratchDir& dir) {
  const std::string header = "\xEF\xBB\xBF[PS1 _instance_of_ PowerSupply]";
  Report report{written(dir, "bom.cfg", header + "\n" + kVoltageBlock), {}};
  report.finding(1, "", "", "syntax", lineSyntaxMessage(header))
      .bareBlock(1)
      .finding(2, "", "Voltage", "device", mandatoryEmpty("Quorlin device name"));
  return reported(report, 2, 2);
}

Case invalidUtf8(const ScratchDir& dir) {
  const std::string bytes =
      "[PS\xff"
      "1 _instance_of_ Power\xc3\x28Supply]\ndpe=PS1.\xfe\xfevoltage\nproperty=V\x80\n"
      "direction=in\nvalue=float\n";
  Report report{written(dir, "utf8.cfg", bytes), {}};
  report.finding(2,
                 "PS\xff"
                 "1",
                 "V\x80", "dpe", "Unknown DPE PS1.\xfe\xfevoltage");
  return reported(report, 1, 1);
}

Case binaryFile(const ScratchDir& dir) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) {
    bytes += static_cast<char>(b);
  }
  // Line 1 holds bytes 0 to 9 (the tab trimmed away); line 2 bytes 11 to 255 with one '=', the
  // leading vertical tab, form feed and carriage return trimmed away.
  const std::string first = bytes.substr(0, 9);
  const std::string key = bytes.substr(14, '=' - 14);
  Report report{written(dir, "binary.cfg", bytes), {}};
  report.finding(1, "", "", "syntax", lineSyntaxMessage(first))
      .finding(1, "", "", "syntax", unexpectedKeyMessage(2, key))
      .bareBlock(1);
  return reported(report, 1, 1);
}

Case emptyFile(const ScratchDir& dir) {
  return reported(Report{written(dir, "empty.cfg", ""), {}}.fileFinding(kNoBlocks), 0, 0);
}

Case onlyComments(const ScratchDir& dir) {
  const std::string bytes = "#a\n#b\n\n   # indented\n#";
  return reported(Report{written(dir, "comments.cfg", bytes), {}}.fileFinding(kNoBlocks), 0, 0);
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
  report.finding(2, "PS1", "Voltage", "property", repeated("property", kHundredThousand));
  return reported(report, 1, 1);
}

Case headerOf1MiB(const ScratchDir& dir) {
  // Two words: a device name and a class name without the introducer between them.
  const std::string inner =
      std::string(kLongHeader / 2, 'D') + " " + std::string(kLongHeader - kLongHeader / 2 - 3, 'C');
  Report report{written(dir, "header.cfg", "[" + inner + "]\n" + kVoltageBlock), {}};
  report.finding(2, "", "Voltage", "class", headerMessage(1, inner))
      .finding(2, "", "Voltage", "device", headerMessage(1, inner));
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

Case pathOf4095Bytes(const ScratchDir& dir) {
  written(dir, "v.cfg", kPowerSupplyHeader + kVoltageBlock);
  return reported(Report{paddedPath(dir, "v.cfg", 4095), {}}, 1, 0);
}

Case pathOf4096Bytes(const ScratchDir& dir) {
  written(dir, "v.cfg", kPowerSupplyHeader + kVoltageBlock);
  return unopenable(paddedPath(dir, "v.cfg", 4096));
}

struct Row {
  const char* name;
  Case (*make)(const ScratchDir&);
};

const Row kRows[] = {
    {"nul_bytes_in_lines", nulBytesInLines},
    {"line_of_64_MiB", lineOf64MiB},
    {"crlf_line_ends", crlfLineEnds},
    {"lone_cr_line_ends", loneCrLineEnds},
    {"utf8_byte_order_mark", byteOrderMark},
    {"invalid_utf8", invalidUtf8},
    {"binary_file", binaryFile},
    {"empty_file", emptyFile},
    {"only_comments", onlyComments},
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
    {"path_of_4095_bytes", pathOf4095Bytes},
    {"path_of_4096_bytes", pathOf4096Bytes},
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
  writeText(report, TextStyle{}, text);
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

  if (c.moduleOnly) {
    return;
  }
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

// The formats that quote what a file holds must stay well-formed whatever bytes it holds.
TEST(HostileBytes, EveryFormatOfTheValidatorStaysWellFormed) {
  const char* const hostile[] = {"nul_bytes_in_lines", "invalid_utf8", "binary_file"};
  const char* const formats[] = {"json", "sarif", "github"};
  for (const Row& row : kRows) {
    if (std::find_if(std::begin(hostile), std::end(hostile), [&](const char* name) {
          return std::string(name) == row.name;
        }) == std::end(hostile)) {
      continue;
    }
    ScratchDir dir;
    const Case c = row.make(dir);
    for (const std::string format : formats) {
      SCOPED_TRACE(std::string(row.name) + " as " + format);
      const ChildResult cli =
          runProgram(kValidator, {"--dp-list", kPlant, "--format", format, c.path});
      EXPECT_TRUE(cli.exitedWith(1)) << cli.describe() << "\n" << cli.err;
      EXPECT_EQ(cli.err, "");
      if (format == "github") {
        EXPECT_EQ(cli.out.rfind("::error ", 0), 0u) << firstDifference("::error ", cli.out);
        continue;
      }
      const nlohmann::json parsed = nlohmann::json::parse(cli.out, nullptr, false);
      EXPECT_FALSE(parsed.is_discarded()) << "not JSON: " << firstDifference("", cli.out);
    }
  }
}

}  // namespace
}  // namespace trel::quorlinsrv::test
