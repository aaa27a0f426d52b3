// The DP list input: the bytes read as an export and loaded into a configuration of their own.
//
// Bytes that begin with the line "#shape COUNT" are a recipe instead, so that a few bytes reach
// the shapes that matter: long chains and fans of type references and deep nesting. The rest of
// the recipe is a string of operations, repeated COUNT times, each a letter with an optional
// decimal number N:
//   T   a new type (types are numbered across repetitions)
//   S   N structures, each one level below the element before it
//   L   N leaves (int) beside the element before it
//   U   N levels up
//   R   a reference to the type N after this one (1 if no N); 0 refers to the type itself
//   D   a data point of the current type
// Other bytes are skipped.
#include <algorithm>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/DpListReader.hpp"
#include "host/DpConfiguration.hpp"
#include "tests/support/FuzzInputs.hpp"
#include "tests/support/RuleCheck.hpp"

namespace trel::quorlinsrv::fuzz {

namespace {

const std::string kFileName = "input.dpl";
const std::string kShape = "#shape ";
// A recipe makes at most this many bytes of types (10,000 levels of nesting by TAB take 50 MB),
// at most this many lines (a chain of 100,000 references takes 300,000), and numbers in it are at
// most this large; beyond that one input outlasts the fuzzer's time limit.
constexpr std::size_t kMaxShapeBytes = std::size_t{64} << 20;
constexpr std::size_t kMaxShapeLines = 320000;
constexpr std::size_t kMaxNumber = 1000000;
// The most elements, and bytes of their names, compared between the walk and the look-up: names
// along a chain grow with its length, and each look-up walks its name.
constexpr std::size_t kMaxWalked = 5000;
constexpr std::size_t kMaxWalkedBytes = std::size_t{1} << 20;

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The DP list that the recipe `bytes` (after its first line) describes.
std::string shapedList(std::string_view bytes) {
  std::size_t end = bytes.find('\n');
  std::string_view ops = end == std::string_view::npos ? "" : bytes.substr(end + 1);
  std::size_t count = 0;
  for (char c : bytes.substr(kShape.size(), end - kShape.size())) {
    if (c >= '0' && c <= '9')
      count = std::min<std::size_t>(count * 10 + static_cast<std::size_t>(c - '0'), kMaxNumber);
  }
  std::string types = "TypeName\n", points = "DpName\tTypeName\tID\n";
  std::size_t type = 0, depth = 0, element = 0, lines = 0;
  bool open = false;
  auto line = [&](std::size_t at, const std::string& code) {
    ++lines;
    types.append(at, '\t').append(at == 0 ? "T" + std::to_string(type)
                                          : "e" + std::to_string(++element));
    types.append("\t" + code + "\n");
  };
  auto room = [&] { return types.size() < kMaxShapeBytes && lines < kMaxShapeLines; };
  for (std::size_t round = 0; round < count && room(); ++round) {
    for (std::size_t i = 0; i < ops.size() && room(); ++i) {
      const char op = ops[i];
      std::size_t n = 0;
      bool given = false;
      while (i + 1 < ops.size() && ops[i + 1] >= '0' && ops[i + 1] <= '9') {
        n = std::min<std::size_t>(n * 10 + static_cast<std::size_t>(ops[++i] - '0'), kMaxNumber);
        given = true;
      }
      const std::size_t times = given ? n : 1;
      if (op == 'T') {
        type += open ? 1 : 0;
        open = true;
        depth = 0;
        line(0, "1#1");
      } else if (!open) {
        continue;
      } else if (op == 'S') {
        for (std::size_t k = 0; k < times && room(); ++k)
          line(++depth, "1#1");
      } else if (op == 'L') {
        for (std::size_t k = 0; k < times && room(); ++k)
          line(depth + 1, "21#1");
      } else if (op == 'U') {
        depth -= std::min(depth, times);
      } else if (op == 'R') {
        line(depth + 1, "41#1:T" + std::to_string(type + (given ? n : 1)));
      } else if (op == 'D') {
        points += "P" + std::to_string(type) + "\tT" + std::to_string(type) + "\t1\n";
        ++lines;
      }
    }
  }
  return types + points;
}

// Reads and loads `bytes` as a DP list and checks what the configuration answers.
std::string runList(const std::string& text) {
  std::istringstream in{text};
  std::vector<DpList> lists(1);
  std::string error;
  RuleCheck rules;
  if (!readDpList(in, kFileName, lists[0], error)) {
    rules.require(startsWith(error, kFileName + ":"), "a refused DP list names no line", error);
    return rules.broken();
  }
  const DpList& list = lists[0];
  DpConfiguration config;
  std::vector<DpListSummary> summaries;
  if (!loadDpLists(lists, config, summaries, error)) {
    rules.require(!error.empty(), "a DP list is refused without a reason");
    return rules.broken();
  }
  rules.require(summaries.size() == 1, "not one summary per list");
  rules.require(config.getTypeCount() <= list.types.size(), "more types than the list defines");
  rules.require(config.getDataPointCount() <= list.dataPoints.size(),
                "more data points than the list defines");
  rules.require(config.getAliasCount() <= list.aliases.size(),
                "more aliases than the list defines");
  // Every element the walk offers is found under its name with its type, and nothing else is.
  std::size_t walked = 0, bytes = 0;
  for (const DpListDataPoint& dataPoint : list.dataPoints) {
    DpIdentifier id;
    DpElementType type = DPELEMENT_NOELEMENT;
    if (!config.findElement(dataPoint.name, id))
      continue;
    rules.require(config.findElementType(id, type), "a found element has no type", dataPoint.name);
    rules.require(!config.findElement(dataPoint.name + "..", id),
                  "an element is found that no type defines", dataPoint.name);
    if (walked >= kMaxWalked || bytes >= kMaxWalkedBytes)
      continue;
    config.forEachElement(id, [&](std::string_view name, DpElementType walkedType) {
      const std::string full = dataPoint.name + "." + std::string(name);
      rules.require(
          config.findElement(full, id) && config.findElementType(id, type) && type == walkedType,
          "the walk offers an element that is not found so", full);
      bytes += full.size();
      return ++walked < kMaxWalked && bytes < kMaxWalkedBytes;
    });
  }
  for (const DpListAlias& alias : list.aliases) {
    std::string element;
    config.findAlias(alias.alias, element);
    DpIdentifier id;
    config.findElement(alias.element, id);
  }
  return rules.broken();
}

}  // namespace

std::string runDpListInput(std::string_view bytes) {
  return runList(startsWith(bytes, kShape) ? shapedList(bytes) : std::string(bytes));
}

}  // namespace trel::quorlinsrv::fuzz
