// Growth of the validation pass with the shapes that could make a check quadratic: many devices
// of one class (each compared with the class's reference) and many properties of one device
// (each checked against the device's others). Every size reports its time per block; the fitted
// complexity says how the time grows with the number of blocks.
#include <benchmark/benchmark.h>

#include "bench/micro/BenchData.hpp"

namespace trel::quorlinsrv::bench {
namespace {

using BlockList = QuorlinServerConfigParser::BlockList;

void validationPass(benchmark::State& state, const GeneratorOptions& options) {
  const Dataset& data = dataset(options);
  timeOverFreshBlocks(state, data, [](QuorlinServerConfigParser& parser, const BlockList& blocks) {
    std::string error;
    benchmark::DoNotOptimize(parser.validateBlocks(blocks, error));
  });
  state.SetComplexityN(static_cast<std::int64_t>(data.counts.blocks));
}

// One class, ten properties per device, range(0) devices.
void BM_DevicesOfOneClass(benchmark::State& state) {
  GeneratorOptions options;
  options.classes = 1;
  options.classlessShare = 0.0;
  options.propertiesPerDevice = 10;
  options.blocks = static_cast<std::uint64_t>(state.range(0)) * options.propertiesPerDevice;
  validationPass(state, options);
}
BENCHMARK(BM_DevicesOfOneClass)
    ->RangeMultiplier(4)
    ->Range(500, 32000)
    ->Complexity(benchmark::oAuto)
    ->Unit(benchmark::kMillisecond);

// One class of ten devices, range(0) properties per device.
void BM_PropertiesOfOneDevice(benchmark::State& state) {
  GeneratorOptions options;
  options.classes = 1;
  options.classlessShare = 0.0;
  options.propertiesPerDevice = static_cast<unsigned>(state.range(0));
  options.blocks = 10ULL * options.propertiesPerDevice;
  validationPass(state, options);
}
BENCHMARK(BM_PropertiesOfOneDevice)
    ->RangeMultiplier(4)
    ->Range(250, 16000)
    ->Complexity(benchmark::oAuto)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trel::quorlinsrv::bench
