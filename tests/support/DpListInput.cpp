// The DP list input: the bytes read as an export and loaded into a configuration of their own.
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

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::string runDpListInput(std::string_view bytes) {
  std::istringstream in{std::string(bytes)};
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
  // Queries with the names the list used, whatever they hold, must answer without harm.
  for (const DpListDataPoint& dataPoint : list.dataPoints) {
    DpIdentifier id;
    DpElementType type = DPELEMENT_NOELEMENT;
    if (config.findElement(dataPoint.name, id)) {
      rules.require(config.findElementType(id, type), "a found element has no type",
                    dataPoint.name);
    }
  }
  for (const DpListAlias& alias : list.aliases) {
    std::string element;
    config.findAlias(alias.alias, element);
    DpIdentifier id;
    config.findElement(alias.element, id);
  }
  return rules.broken();
}

}  // namespace trel::quorlinsrv::fuzz
