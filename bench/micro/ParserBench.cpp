// The parser's stages one at a time: the line reader, the checks of each block, the element
// resolution alone, the whole validation pass (block checks and checks across blocks) and parse
// of a file from disk.
#include <benchmark/benchmark.h>

#include "bench/micro/BenchData.hpp"

namespace trel::quorlinsrv::bench {
namespace {

using BlockList = QuorlinServerConfigParser::BlockList;

constexpr std::int64_t kSizes[] = {1000, 10000, 100000};

void applySizes(benchmark::internal::Benchmark* b) {
  for (std::int64_t blocks : kSizes) {
    b->Arg(blocks);
  }
  b->Unit(benchmark::kMillisecond);
}

void BM_LineReader(benchmark::State& state) {
  const Dataset& data = datasetOfBlocks(static_cast<std::uint64_t>(state.range(0)));
  for (auto _ : state) {
    QuorlinServerConfigParser parser;
    BlockList blocks = readBlocks(data, parser);
    benchmark::DoNotOptimize(blocks.data());
  }
  countLinesAndBlocks(state, data);
}
BENCHMARK(BM_LineReader)->Apply(applySizes);

const Dataset& sized(const benchmark::State& state) {
  return datasetOfBlocks(static_cast<std::uint64_t>(state.range(0)));
}

void BM_BlockChecks(benchmark::State& state) {
  timeOverFreshBlocks(state, sized(state), [](QuorlinServerConfigParser&, const BlockList& blocks) {
    for (const auto& block : blocks) {
      block->validate();
    }
  });
}
BENCHMARK(BM_BlockChecks)->Apply(applySizes);

void BM_ElementResolution(benchmark::State& state) {
  timeOverFreshBlocks(state, sized(state), [](QuorlinServerConfigParser&, const BlockList& blocks) {
    for (const auto& block : blocks) {
      benchmark::DoNotOptimize(block->checkDpe());
    }
  });
}
BENCHMARK(BM_ElementResolution)->Apply(applySizes);

// Block checks and the checks across blocks; the latter cost this minus BM_BlockChecks.
void BM_ValidationPass(benchmark::State& state) {
  timeOverFreshBlocks(state, sized(state),
                      [](QuorlinServerConfigParser& parser, const BlockList& blocks) {
                        std::string error;
                        benchmark::DoNotOptimize(parser.validateBlocks(blocks, error));
                      });
}
BENCHMARK(BM_ValidationPass)->Apply(applySizes);

// parse() of a file: open, read, close, every check; no result mapping.
void BM_ParseFile(benchmark::State& state) {
  const Dataset& data = datasetOfBlocks(static_cast<std::uint64_t>(state.range(0)));
  const std::string& path = configFile(data);
  for (auto _ : state) {
    QuorlinServerConfigParser parser;
    std::string error;
    BlockList blocks = parser.parse(path, error);
    benchmark::DoNotOptimize(blocks.data());
  }
  countLinesAndBlocks(state, data);
}
BENCHMARK(BM_ParseFile)->Apply(applySizes);

}  // namespace
}  // namespace trel::quorlinsrv::bench
