#include "bench/micro/BenchData.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <streambuf>
#include <tuple>

namespace trel::quorlinsrv::bench {

namespace {

// An input stream over text that stays where it is: nothing is copied.
class TextBuffer : public std::streambuf {
 public:
  explicit TextBuffer(const std::string& text) {
    char* begin = const_cast<char*>(text.data());  // only ever read through the get area
    setg(begin, begin, begin + text.size());
  }
};

auto keyOf(const GeneratorOptions& o) {
  return std::make_tuple(o.blocks, o.propertiesPerDevice, o.classes, o.faultShare, o.classlessShare,
                         o.aliasShare, o.commentLines, o.seed);
}

struct Cache {
  std::map<decltype(keyOf(GeneratorOptions())), std::unique_ptr<Dataset>> sets;
  const Dataset* loaded = nullptr;  // the set whose elements the host's configuration holds
  std::map<const Dataset*, std::string> files;

  ~Cache() {
    for (const auto& [data, path] : files) {
      std::remove(path.c_str());
    }
  }
};

Cache& cache() {
  static Cache instance;
  return instance;
}

}  // namespace

const Dataset& dataset(const GeneratorOptions& options) {
  Cache& all = cache();
  std::unique_ptr<Dataset>& slot = all.sets[keyOf(options)];
  if (!slot) {
    slot = std::make_unique<Dataset>();
    slot->set = planSet(options);
    slot->text = configText(slot->set, slot->counts);
  }
  if (all.loaded != slot.get()) {
    DpConfiguration& config = DpConfiguration::instance();
    config.clear();
    std::string error;
    if (!fillDpConfiguration(slot->set, config, error)) {
      std::fprintf(stderr, "benchmark data set refused by the host configuration: %s\n",
                   error.c_str());
      std::abort();
    }
    all.loaded = slot.get();
  }
  return *slot;
}

const Dataset& datasetOfBlocks(std::uint64_t blocks) {
  GeneratorOptions options;
  options.blocks = blocks;
  return dataset(options);
}

QuorlinServerConfigParser::BlockList readBlocks(const Dataset& data,
                                                QuorlinServerConfigParser& parser) {
  TextBuffer buffer(data.text);
  std::istream input(&buffer);
  QuorlinServerConfigParser::BlockList blocks;
  parser.readLines(input, blocks);
  return blocks;
}

const std::string& configFile(const Dataset& data) {
  std::string& path = cache().files[&data];
  if (path.empty()) {
    const char* dir = std::getenv("TMPDIR");
    path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/quorlin-microbench-" +
           std::to_string(::getpid()) + "-" + std::to_string(cache().files.size()) + ".cfg";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.text.data(), static_cast<std::streamsize>(data.text.size()));
  }
  return path;
}

void countLinesAndBlocks(benchmark::State& state, const Dataset& data) {
  using benchmark::Counter;
  const auto kTimePerItem = Counter::kIsIterationInvariantRate | Counter::kInvert;
  state.counters["per_line"] = Counter(static_cast<double>(data.counts.lines), kTimePerItem);
  state.counters["per_block"] = Counter(static_cast<double>(data.counts.blocks), kTimePerItem);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(data.counts.bytes));
}

}  // namespace trel::quorlinsrv::bench
