// quorlin-bench-gen: writes a seeded benchmark config file and its DP list, and prints what the
// config holds as "key=value" lines.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "bench/gen/ConfigGenerator.hpp"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) {
    std::cerr << "quorlin-bench-gen: cannot write " << path << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using trel::quorlinsrv::bench::ConfigCounts;
  using trel::quorlinsrv::bench::FaultKind;
  using trel::quorlinsrv::bench::GeneratorOptions;
  namespace gen = trel::quorlinsrv::bench;

  GeneratorOptions options;
  std::string configPath;
  std::string dpListPath;
  CLI::App app("Writes a seeded QuorlinServer config file and its DP list for benchmarks.");
  app.add_option("--blocks", options.blocks, "number of blocks, rounded up to whole devices")
      ->capture_default_str();
  app.add_option("--properties", options.propertiesPerDevice, "properties per device")
      ->capture_default_str()
      ->check(CLI::PositiveNumber);
  app.add_option("--classes", options.classes, "number of classes")
      ->capture_default_str()
      ->check(CLI::PositiveNumber);
  app.add_option("--faults", options.faultShare, "share of faulty blocks")
      ->capture_default_str()
      ->check(CLI::Range(0.0, 1.0));
  app.add_option("--classless", options.classlessShare, "share of devices without a class")
      ->capture_default_str()
      ->check(CLI::Range(0.0, 1.0));
  app.add_option("--aliases", options.aliasShare, "share of devices addressed by alias")
      ->capture_default_str()
      ->check(CLI::Range(0.0, 1.0));
  app.add_option("--comment-lines", options.commentLines, "comment lines at the top")
      ->capture_default_str();
  app.add_option("--seed", options.seed, "seed of the generator")->capture_default_str();
  app.add_option("--config", configPath, "config file to write")->required();
  app.add_option("--dp-list", dpListPath, "DP list to write")->required();
  CLI11_PARSE(app, argc, argv);

  const gen::GeneratedSet set = gen::planSet(options);
  ConfigCounts counts;
  if (!writeFile(configPath, gen::configText(set, counts)) ||
      !writeFile(dpListPath, gen::dpListText(set))) {
    return 1;
  }
  std::printf(
      "devices=%zu\nclasses=%u\nblocks=%llu\nlines=%llu\nbytes=%llu\nfaulty=%llu\n",
      set.devices.size(), set.options.classes, static_cast<unsigned long long>(counts.blocks),
      static_cast<unsigned long long>(counts.lines), static_cast<unsigned long long>(counts.bytes),
      static_cast<unsigned long long>(counts.faultyBlocks()));
  for (unsigned k = 0; k < gen::kFaultKindCount; ++k) {
    std::printf("fault[%s]=%llu\n", gen::faultKindName(static_cast<FaultKind>(k)),
                static_cast<unsigned long long>(counts.faults[k]));
  }
  return 0;
}
