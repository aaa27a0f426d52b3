// The inputs of the micro-benchmarks: one generated config held in memory, with the host's data
// point configuration filled to match it, and the helpers that read it into blocks.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "bench/gen/ConfigGenerator.hpp"
#include "parser/QuorlinServerConfigParser.hpp"

namespace trel::quorlinsrv::bench {

struct Dataset {
  GeneratedSet set;
  std::string text;
  ConfigCounts counts;
};

// The data set of `options`, generated on first use; the host's configuration then holds its
// elements (and no other data set's) until another data set is asked for.
const Dataset& dataset(const GeneratorOptions& options);
// The usual shape: `blocks` blocks of 10 properties per device in 50 classes.
const Dataset& datasetOfBlocks(std::uint64_t blocks);

// Reads `data` from memory into blocks, as the parser reads a file.
QuorlinServerConfigParser::BlockList readBlocks(const Dataset& data,
                                                QuorlinServerConfigParser& parser);

// Writes `data`'s config text to a file under the temporary directory once; its path.
const std::string& configFile(const Dataset& data);

// Time per line and per block and the bytes read, for every benchmark over a whole data set.
void countLinesAndBlocks(benchmark::State& state, const Dataset& data);

// Times `check(parser, blocks)` over blocks freshly read from `data` in every iteration; the
// reading and the release of the blocks are not timed.
template <typename Check>
void timeOverFreshBlocks(benchmark::State& state, const Dataset& data, Check check) {
  for (auto _ : state) {
    state.PauseTiming();
    auto parser = std::make_unique<QuorlinServerConfigParser>();
    QuorlinServerConfigParser::BlockList blocks = readBlocks(data, *parser);
    state.ResumeTiming();
    check(*parser, blocks);
    state.PauseTiming();
    blocks.clear();
    parser.reset();
    state.ResumeTiming();
  }
  countLinesAndBlocks(state, data);
}

}  // namespace trel::quorlinsrv::bench
