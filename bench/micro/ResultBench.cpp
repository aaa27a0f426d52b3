// Shaping the blocks into the script's result mapping, and one whole validation call through the
// module's handler (parse, every check, the mapping).
#include <benchmark/benchmark.h>

#include "bench/micro/BenchData.hpp"
#include "extension/QuorlinServerConfigValidator.hpp"
#include "host/Variables.hpp"

namespace trel::quorlinsrv {
// Defined with the validation functions; no header declares it.
void buildResultMapping(const QuorlinServerConfigParser::BlockList& blocks, bool errorsOnly,
                        MappingVar& result);
}  // namespace trel::quorlinsrv

namespace trel::quorlinsrv::bench {
namespace {

using BlockList = QuorlinServerConfigParser::BlockList;

void BM_ResultMapping(benchmark::State& state) {
  const Dataset& data = datasetOfBlocks(static_cast<std::uint64_t>(state.range(0)));
  const bool errorsOnly = state.range(1) != 0;
  QuorlinServerConfigParser parser;
  BlockList blocks = readBlocks(data, parser);
  std::string error;
  parser.validateBlocks(blocks, error);
  for (auto _ : state) {
    MappingVar result;
    buildResultMapping(blocks, errorsOnly, result);
    benchmark::DoNotOptimize(result.getNumberOfItems());
  }
  countLinesAndBlocks(state, data);
}
BENCHMARK(BM_ResultMapping)
    ->ArgNames({"blocks", "errorsOnly"})
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// QuorlinServerConfigParser_validateAll as a script calls it.
void BM_ValidateAllCall(benchmark::State& state) {
  const Dataset& data = datasetOfBlocks(static_cast<std::uint64_t>(state.range(0)));
  const std::string& path = configFile(data);
  QuorlinServerConfigValidator handler(nullptr);
  CtrlThread thread;
  for (auto _ : state) {
    MappingVar result;
    TextVar errMsg;
    ExprList args;
    args.appendValue(TextVar(path.c_str()));
    args.appendVariable(result, CharString("result"));
    args.appendVariable(errMsg, CharString("errMsg"));
    ExecuteCallRec call;
    call.funcName = CharString("QuorlinServerConfigParser_validateAll");
    call.funcNum = 0;
    call.args = &args;
    call.thread = &thread;
    benchmark::DoNotOptimize(handler.validateConfigFile(call, false));
  }
  countLinesAndBlocks(state, data);
}
BENCHMARK(BM_ValidateAllCall)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trel::quorlinsrv::bench
