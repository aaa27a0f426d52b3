// Many threads at once, each with its own handler: some validate different files, some list the
// allowed names, some look converters up. Each must get what it gets alone. Built with the tsan
// preset, ThreadSanitizer watches the same run for data races.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/ModuleSession.hpp"
#include "config/Vocabulary.hpp"
#include "ds/ConverterRegistry.hpp"
#include "host/CtrlExpr.hpp"
#include "host/CtrlThread.hpp"
#include "host/DpTypes.hpp"
#include "host/ExternModule.hpp"
#include "host/Variables.hpp"
#include "tests/support/LoadedModule.hpp"
#include "tests/support/SanitizerBuild.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {
namespace {

constexpr int kValidators = 4;
constexpr int kListers = 2;
constexpr int kLookers = 2;
constexpr int kRounds = kSanitizerBuild ? 20 : 60;

// A validation's outcome as text. The integer result is left out: the module keeps one result
// object for all calls, valid only until the next call from any thread, so under concurrent
// calls it is another call's as often as not.
std::string outcomeText(const FileOutcome& outcome) {
  std::ostringstream text;
  text << outcome.errMsg << "\n" << outcome.comment << "\n";
  for (const BlockOutcome& block : outcome.blocks) {
    for (const CheckedText& field : block.fields) {
      text << field.text << "|" << field.ok << "|" << field.error << "\n";
    }
    text << block.syntax << "\n";
  }
  return text.str();
}

// Lists the words of function 2, 3 or 4 through `module`'s own handler.
std::string wordsOf(const ExternModule& module, ScriptFunction function) {
  DynVar list(TEXT_VAR);
  ExprList args;
  args.appendVariable(list, CharString("allowedNames"));
  CtrlThread thread(CharString("lister"));
  module.call(module.handler().getFuncNum(CharString(function)), args, thread);
  std::string words = thread.getLastErrors().empty() ? "" : "refused ";
  for (unsigned i = 0; i < list.getNumberOfItems(); ++i) {
    auto* word = dynamic_cast<const TextVar*>(list.getAt(i));
    words += (word ? word->getValue().str() : std::string("?")) + ",";
  }
  return words;
}

// Every registry key of a small grid and every vocabulary word, looked up, as one text.
std::string lookups() {
  std::string text;
  for (int dpe = 0; dpe < 64; ++dpe) {
    for (int value = -1; value < 14; ++value) {
      for (int isArray = 0; isArray < 2; ++isArray) {
        std::string error;
        const auto type = static_cast<DpElementType>(dpe);
        text += ds::findSetter(type, static_cast<ValueType>(value), isArray, error) ? 's' : '-';
        text += ds::findGetter(static_cast<ValueType>(value), isArray, type, error) ? 'g' : '-';
      }
    }
  }
  for (const auto& words : {valueTypeNames(), directionNames(), timeTypeNames()}) {
    for (const std::string& word : words) {
      ValueType value{};
      Direction direction{};
      TimeType time{};
      std::string error;
      text += word + (parseValueType(word, value, error) ? valueTypeName(value) : error) +
              (parseDirection(word, direction, error) ? directionName(direction) : error) +
              (parseTimeType(word, time, error) ? timeTypeName(time) : error);
    }
  }
  return text;
}

// The config files of the validators: the examples and variants of them, each different.
std::vector<std::string> configFiles(const ScratchDir& dir) {
  const std::string valid = readBytes(QUORLIN_SOURCE_DIR "/examples/valid.cfg");
  const std::string invalid = readBytes(QUORLIN_SOURCE_DIR "/examples/invalid.cfg");
  const std::string variants[] = {valid,
                                  invalid,
                                  valid + invalid,
                                  invalid + valid,
                                  "#only a comment\n",
                                  valid + "\n[Extra]\ndpe=x\n",
                                  invalid + invalid,
                                  "dpe=PS1.voltage\n"};
  std::vector<std::string> paths;
  for (const std::string& bytes : variants) {
    paths.push_back(dir.at("config" + std::to_string(paths.size()) + ".cfg"));
    writeBytes(paths.back(), bytes);
  }
  return paths;
}

TEST(Concurrency, ThreadsWithTheirOwnHandlersGetWhatEachGetsAlone) {
  ScratchDir dir;
  const std::vector<std::string> files = configFiles(dir);
  const ModuleSession& alone = fuzz::loadedModule();  // also loads the DP list, once
  std::vector<std::string> expected[2];
  for (const std::string& file : files) {
    for (int errorsOnly = 0; errorsOnly < 2; ++errorsOnly) {
      FileOutcome outcome;
      std::string error;
      ASSERT_TRUE(alone.validate(file, errorsOnly != 0, outcome, error)) << error;
      expected[errorsOnly].push_back(outcomeText(outcome));
    }
  }
  const ScriptFunction lists[] = {kAllowedDirections, kAllowedDataTypes, kAllowedTimeTypes};
  std::string expectedWords[3];
  std::string error;
  const std::unique_ptr<ExternModule> aloneModule = ExternModule::load(QUORLIN_MODULE_PATH, error);
  ASSERT_TRUE(aloneModule) << error;
  for (int l = 0; l < 3; ++l) {
    expectedWords[l] = wordsOf(*aloneModule, lists[l]);
  }
  const std::string expectedLookups = lookups();

  std::atomic<bool> go{false};
  std::atomic<int> mismatches{0};
  std::vector<std::string> failures(kValidators + kListers + kLookers);
  std::vector<std::thread> threads;
  for (int t = 0; t < kValidators; ++t) {
    threads.emplace_back([&, t] {
      std::string loadError;
      const std::unique_ptr<ModuleSession> own =
          ModuleSession::open(QUORLIN_MODULE_PATH, loadError);
      while (!go) {
        std::this_thread::yield();
      }
      if (!own) {
        failures[t] = loadError;
        return;
      }
      for (int round = 0; round < kRounds; ++round) {
        const std::size_t f = static_cast<std::size_t>(t + round * kValidators) % files.size();
        const bool errorsOnly = round % 2 == 1;
        FileOutcome outcome;
        std::string callError;
        if (!own->validate(files[f], errorsOnly, outcome, callError) ||
            outcomeText(outcome) != expected[errorsOnly][f]) {
          ++mismatches;
          failures[t] = files[f] + ": " + callError;
        }
      }
    });
  }
  for (int t = 0; t < kListers; ++t) {
    threads.emplace_back([&, t] {
      std::string loadError;
      const std::unique_ptr<ExternModule> own = ExternModule::load(QUORLIN_MODULE_PATH, loadError);
      while (!go) {
        std::this_thread::yield();
      }
      for (int round = 0; own && round < kRounds * 10; ++round) {
        if (wordsOf(*own, lists[round % 3]) != expectedWords[round % 3]) {
          ++mismatches;
          failures[kValidators + t] = std::string("words of ") + lists[round % 3];
        }
      }
      if (!own) {
        failures[kValidators + t] = loadError;
      }
    });
  }
  for (int t = 0; t < kLookers; ++t) {
    threads.emplace_back([&, t] {
      while (!go) {
        std::this_thread::yield();
      }
      for (int round = 0; round < kRounds; ++round) {
        if (lookups() != expectedLookups) {
          ++mismatches;
          failures[kValidators + kListers + t] = "converter or vocabulary lookups";
        }
      }
    });
  }
  go = true;
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(mismatches.load(), 0);
  for (const std::string& failure : failures) {
    EXPECT_EQ(failure, "");
  }
}

}  // namespace
}  // namespace trel::quorlinsrv::test
