// Whether the converter library can serve a block's element with its data type in the directions
// that the block's data flows.
#include <string>
#include <utility>

#include "config/QuorlinServerConfigDpeBlock.hpp"

namespace trel::quorlinsrv {

namespace {

// An error on any of these means the element type, data type or direction is not known.
constexpr AttributeIndex kGateAttributes[] = {kDpe, kAlias, kValue, kDirection};

bool hasOutgoingSide(Direction direction) {
  return direction == Direction::InOut || direction == Direction::Out;
}

bool hasIncomingSide(Direction direction) {
  return direction == Direction::InOut || direction == Direction::In;
}

}  // namespace

bool QuorlinServerConfigDpeBlock::checkTypeCompatibility() {
  for (AttributeIndex index : kGateAttributes) {
    if (hasAttributeError(index)) {
      // Already reported; there is nothing sound to look up.
      return true;
    }
  }
  const int rank = isArray ? 1 : 0;
  std::string error;
  bool found = true;
  if (hasOutgoingSide(direction)) {
    setter = ds::findSetter(elementType, valueType, rank, error);
    found = setter != nullptr;
  }
  // For "in/out" a missing setter is what gets reported; the getter is then not looked up.
  if (found && hasIncomingSide(direction)) {
    getter = ds::findGetter(valueType, rank, elementType, error);
    found = getter != nullptr;
  }
  if (!found) {
    setAttributeError(kDpe, error);
    setAttributeError(kAlias, std::move(error));
  }
  return found;
}

}  // namespace trel::quorlinsrv
