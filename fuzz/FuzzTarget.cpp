// A libFuzzer target around the fuzz input that QUORLIN_FUZZ_INPUT names: a broken rule aborts,
// so that libFuzzer keeps the input like any crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/support/FuzzInputs.hpp"

namespace {

void run(std::string_view bytes) {
  const std::string broken = trel::quorlinsrv::fuzz::QUORLIN_FUZZ_INPUT(bytes);
  if (!broken.empty()) {
    std::fprintf(stderr, "rule broken: %s\n", broken.c_str());
    std::abort();
  }
}

}  // namespace

// One empty input before fuzzing starts loads the module, so that its coverage counts from the
// first input on.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  run(std::string_view());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  run(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
