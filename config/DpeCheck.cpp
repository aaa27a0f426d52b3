// Resolution of a block's "alias"/"dpe" to a data point element of the host's configuration.
#include <string>

#include "config/QuorlinServerConfigDpeBlock.hpp"
#include "host/CharString.hpp"
#include "host/Manager.hpp"

namespace trel::quorlinsrv {

namespace {

// Asks the host about the element `dpeName` and returns why it cannot be mapped, or "" when it
// is a leaf; fills `id`, `type` and `isArray` as far as the host answered.
std::string elementProblem(const std::string& dpeName, DpIdentifier& id, DpElementType& type,
                           bool& isArray) {
  if (dpeName.empty()) {
    return "both alias and DPE name are empty";
  }
  if (Manager::getId(dpeName.c_str(), id) == 0) {
    return kUnknownDpe(dpeName);
  }
  if (Manager::getElementType(id, type) == 0) {
    return "Failed to get type for DPE " + dpeName;
  }
  if (DpElType::isLeafType(type) == 0) {
    return "DPE " + dpeName + " is not a leaf, i.e element does NOT have original config";
  }
  isArray = DpElType::isDynType(type) != 0;
  return std::string();
}

}  // namespace

bool QuorlinServerConfigDpeBlock::checkDpe() {
  if (!checkOccurrence(kDpe, false) || !checkOccurrence(kAlias, false)) {
    return false;
  }
  // The host takes names ending in a NUL; one buffer per thread serves every block.
  thread_local std::string name;
  name.clear();
  const std::string_view alias = values_[kAlias];
  if (!alias.empty()) {
    name.assign(alias);
    CharString aliasTarget;
    if (Manager::getName(name.c_str(), aliasTarget) == 0) {
      setAttributeError(kAlias, kAliasUnknown());
      return false;
    }
    name = aliasTarget.str();
  }
  name += values_[kDpe];
  const std::string problem = elementProblem(name, dpId, elementType, isArray);
  if (problem.empty()) {
    return true;
  }
  setAttributeError(kDpe, problem);
  setAttributeError(kAlias, problem);
  return false;
}

}  // namespace trel::quorlinsrv
