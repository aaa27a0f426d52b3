// quorlin-bench-parse: loads DP lists, then runs the parser (reading and every check, but no
// result mapping) over one config file, and prints times and memory as "key=value" lines.
//
// The parser is linked in, not loaded as a module, so the figures are the parser's alone.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/DpListReader.hpp"
#include "host/DpConfiguration.hpp"
#include "parser/QuorlinServerConfigParser.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// User and system time of this process so far.
double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int usage() {
  std::fprintf(stderr,
               "usage: quorlin-bench-parse [--repeat N] --dp-list FILE.dpl [--dp-list ...] "
               "CONFIG\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace trel::quorlinsrv;
  std::vector<std::string> dpLists;
  std::string config;
  int repeat = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--dp-list" && i + 1 < argc) {
      dpLists.push_back(argv[++i]);
    } else if (arg == "--repeat" && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else if (config.empty() && !arg.empty() && arg[0] != '-') {
      config = arg;
    } else {
      return usage();
    }
  }
  if (config.empty()) {
    return usage();
  }

  const Clock::time_point loadStart = Clock::now();
  std::vector<DpList> lists(dpLists.size());
  std::string error;
  for (std::size_t i = 0; i < dpLists.size(); ++i) {
    if (!readDpListFile(dpLists[i], lists[i], error)) {
      std::fprintf(stderr, "quorlin-bench-parse: %s\n", error.c_str());
      return 1;
    }
  }
  std::vector<DpListSummary> summaries;
  if (!loadDpLists(lists, DpConfiguration::instance(), summaries, error)) {
    std::fprintf(stderr, "quorlin-bench-parse: %s\n", error.c_str());
    return 1;
  }
  lists.clear();
  const double loadSeconds = secondsSince(loadStart);
  const long rssAfterLoad = peakResidentKiB();

  std::vector<double> parseSeconds;
  std::vector<double> parseCpuSeconds;
  std::size_t blockCount = 0;
  std::size_t blocksWithErrors = 0;
  std::string summary;
  for (int run = 0; run < repeat; ++run) {
    const Clock::time_point start = Clock::now();
    const double cpuStart = cpuSeconds();
    QuorlinServerConfigParser parser;
    std::string parseError;
    QuorlinServerConfigParser::BlockList blocks = parser.parse(config, parseError);
    parseSeconds.push_back(secondsSince(start));
    parseCpuSeconds.push_back(cpuSeconds() - cpuStart);
    blockCount = blocks.size();
    blocksWithErrors = static_cast<std::size_t>(
        std::count_if(blocks.begin(), blocks.end(), [](const auto& b) { return b->hasErrors(); }));
    summary = parseError;
  }
  // The first parse is the one a validator run pays: later ones reuse the heap it left.
  const double firstSeconds = parseSeconds.front();
  const double firstCpuSeconds = parseCpuSeconds.front();
  std::sort(parseSeconds.begin(), parseSeconds.end());
  std::sort(parseCpuSeconds.begin(), parseCpuSeconds.end());

  std::printf("load_seconds=%.6f\n", loadSeconds);
  std::printf("parse_seconds_first=%.6f\n", firstSeconds);
  std::printf("parse_cpu_seconds_first=%.6f\n", firstCpuSeconds);
  std::printf("parse_seconds_min=%.6f\n", parseSeconds.front());
  std::printf("parse_seconds_median=%.6f\n", parseSeconds[parseSeconds.size() / 2]);
  std::printf("parse_cpu_seconds_median=%.6f\n", parseCpuSeconds[parseCpuSeconds.size() / 2]);
  std::printf("runs=%d\n", repeat);
  std::printf("blocks=%zu\n", blockCount);
  std::printf("blocks_with_errors=%zu\n", blocksWithErrors);
  std::printf("summary=%s\n", summary.c_str());
  std::printf("rss_after_load_kib=%ld\n", rssAfterLoad);
  std::printf("rss_peak_kib=%ld\n", peakResidentKiB());
  return 0;
}
