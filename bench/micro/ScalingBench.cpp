// Whether a check grows faster than the blocks it looks at, with the shapes that could make one
// quadratic: many devices of one class (each compared with the class's reference) and many
// properties of one device (each checked against the device's others). The number of blocks stays
// the same across a family, so memory and caches are the same too: only the shape changes, and
// time per block should stay flat.
#include <benchmark/benchmark.h>

#include "bench/micro/BenchData.hpp"

namespace trel::quorlinsrv::bench {
namespace {

using BlockList = QuorlinServerConfigParser::BlockList;

constexpr std::uint64_t kShapeBlocks = 64000;

void validationPass(benchmark::State& state, const GeneratorOptions& options) {
  timeOverFreshBlocks(state, dataset(options),
                      [](QuorlinServerConfigParser& parser, const BlockList& blocks) {
                        std::string error;
                        benchmark::DoNotOptimize(parser.validateBlocks(blocks, error));
                      });
}

GeneratorOptions classedShape(unsigned propertiesPerDevice, unsigned classes) {
  GeneratorOptions options;
  options.blocks = kShapeBlocks;
  options.classlessShare = 0.0;
  options.propertiesPerDevice = propertiesPerDevice;
  options.classes = classes;
  return options;
}

// Ten properties per device; on average range(0) devices per class.
void BM_DevicesPerClass(benchmark::State& state) {
  const auto devices = static_cast<unsigned>(kShapeBlocks / 10);
  validationPass(state, classedShape(10, devices / static_cast<unsigned>(state.range(0))));
}
BENCHMARK(BM_DevicesPerClass)
    ->ArgName("devicesPerClass")
    ->Arg(1)
    ->Arg(16)
    ->Arg(256)
    ->Arg(kShapeBlocks / 10)
    ->Unit(benchmark::kMillisecond);

// One class; range(0) properties per device.
void BM_PropertiesPerDevice(benchmark::State& state) {
  validationPass(state, classedShape(static_cast<unsigned>(state.range(0)), 1));
}
BENCHMARK(BM_PropertiesPerDevice)
    ->ArgName("propertiesPerDevice")
    ->Arg(10)
    ->Arg(160)
    ->Arg(2560)
    ->Arg(kShapeBlocks / 2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trel::quorlinsrv::bench
