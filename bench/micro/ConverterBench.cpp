// The converter registry lookups that the compatibility check makes for every block, with the
// keys a generated config produces, and with keys the registries lack (the message is composed).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/micro/BenchData.hpp"
#include "ds/ConverterRegistry.hpp"

namespace trel::quorlinsrv::bench {
namespace {

struct LookupKey {
  DpElementType elementType;
  ValueType valueType;
  int isArray;
};

// The keys of the blocks that reach the lookup, in file order.
std::vector<LookupKey> blockKeys() {
  const Dataset& data = datasetOfBlocks(10000);
  QuorlinServerConfigParser parser;
  auto blocks = readBlocks(data, parser);
  std::string error;
  parser.validateBlocks(blocks, error);
  std::vector<LookupKey> keys;
  for (const auto& block : blocks) {
    if (block->attributeError(kDpe).empty() && block->attributeError(kValue).empty()) {
      keys.push_back({block->elementType, block->valueType, block->isArray ? 1 : 0});
    }
  }
  return keys;
}

// Looks every block's key up once per iteration.
template <typename Lookup>
void timeLookups(benchmark::State& state, Lookup lookup) {
  const std::vector<LookupKey> keys = blockKeys();
  std::string error;
  for (auto _ : state) {
    for (const LookupKey& key : keys) {
      benchmark::DoNotOptimize(lookup(key, error));
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * keys.size()));
}

void BM_FindSetter(benchmark::State& state) {
  timeLookups(state, [](const LookupKey& key, std::string& error) {
    return ds::findSetter(key.elementType, key.valueType, key.isArray, error);
  });
}
BENCHMARK(BM_FindSetter);

void BM_FindGetter(benchmark::State& state) {
  timeLookups(state, [](const LookupKey& key, std::string& error) {
    return ds::findGetter(key.valueType, key.isArray, key.elementType, error);
  });
}
BENCHMARK(BM_FindGetter);

// A miss: a structure element has no converters at all.
void BM_FindSetterMiss(benchmark::State& state) {
  std::string error;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ds::findSetter(DPELEMENT_RECORD, ValueType::Bool, 1, error));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_FindSetterMiss);

}  // namespace
}  // namespace trel::quorlinsrv::bench
