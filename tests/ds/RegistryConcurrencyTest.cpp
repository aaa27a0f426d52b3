// Many threads looking converters up and running them at once see what one thread sees alone.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "ds/ConverterRegistry.hpp"
#include "host/Variables.hpp"
#include "tests/ds/MemoryDataObject.hpp"

namespace {

// One pass over a range of lookups, running every converter found: each lookup's outcome and
// message, and each converter's result, in order.
std::vector<std::string> lookUpAndRun() {
  std::vector<std::string> outcomes;
  IntegerVar value(5);
  for (int dpeType = -1; dpeType <= 60; ++dpeType) {
    for (int valueType = -1; valueType <= 12; ++valueType) {
      for (int arrayness = 0; arrayness <= 2; ++arrayness) {
        const auto dpe = static_cast<DpElementType>(dpeType);
        const auto type = static_cast<ds::ValueType>(valueType);
        std::string error;
        std::string readError;
        auto memory = std::make_shared<MemoryDataObject>();
        std::shared_ptr<DataObject> out = memory;
        if (const ds::SetterFn setter = ds::findSetter(dpe, type, arrayness, error)) {
          outcomes.push_back(setter(&value, out, "v", error) ? "stored" : error);
        } else {
          outcomes.push_back(error);
        }
        if (const ds::GetterFn getter = ds::findGetter(type, arrayness, dpe, readError)) {
          const std::shared_ptr<Variable> result = getter(*memory, "v", readError);
          outcomes.push_back(result ? result->formatValue() : readError);
        } else {
          outcomes.push_back(readError);
        }
      }
    }
  }
  return outcomes;
}

TEST(RegistryConcurrency, ThreadsLookingUpAtOnceGetTheSingleThreadedOutcomes) {
  const std::vector<std::string> expected = lookUpAndRun();
  constexpr int kThreads = 8;
  std::vector<std::vector<std::string>> seen(kThreads);
  std::atomic<int> waiting{kThreads};
  std::vector<std::thread> threads;
  for (int index = 0; index < kThreads; ++index) {
    threads.emplace_back([&, index] {
      // Start together, so that the lookups overlap.
      waiting.fetch_sub(1);
      while (waiting.load() > 0)
        std::this_thread::yield();
      for (int round = 0; round < 3; ++round)
        seen[index] = lookUpAndRun();
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  for (int index = 0; index < kThreads; ++index) {
    SCOPED_TRACE("thread " + std::to_string(index));
    EXPECT_EQ(seen[index], expected);
  }
}

}  // namespace
