#include "tests/golden/OutcomeText.hpp"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace trel::quorlinsrv::test {

namespace {

// The lists of the result mapping that describe blocks, in the order of the mapping.
const char* const kBlockLists[] = {"class",     "device",    "property", "alias",  "dpe",
                                   "direction", "valueType", "timeType", "lineNo", "syntax"};

std::string textOf(const Variable* value) {
  const auto* text = dynamic_cast<const TextVar*>(value);
  return text != nullptr ? quoted(text->getValue().str()) : "<not a string>";
}

// An entry of a checked-value list: "TEXT ok" or "TEXT FAIL ERROR" (ERROR shown when not empty).
std::string checkedValueOf(const Variable* entry) {
  const auto* triple = dynamic_cast<const DynVar*>(entry);
  if (triple == nullptr || triple->getElementType() != ANYTYPE_VAR ||
      triple->getNumberOfItems() != 3) {
    return "<not a dyn_anytype of 3 elements>";
  }
  const Variable* parts[3];
  for (unsigned i = 0; i < 3; ++i) {
    const auto* any = dynamic_cast<const AnyTypeVar*>(triple->getAt(i));
    if (any == nullptr) {
      return "<element " + std::to_string(i + 1) + " is not an anytype>";
    }
    parts[i] = any->getVar();
  }
  const auto* ok = dynamic_cast<const BitVar*>(parts[1]);
  if (ok == nullptr) {
    return "<element 2 is not a bool>";
  }
  const std::string error = textOf(parts[2]);
  std::string shown = textOf(parts[0]) + (ok->getValue() ? " ok" : " FAIL");
  return error == "\"\"" ? shown : shown + " " + error;
}

void describeBlocks(std::ostream& out, const MappingVar& result) {
  std::size_t count = 0;
  for (const char* key : kBlockLists) {
    if (const auto* list = dynamic_cast<const DynVar*>(result.getAt(key))) {
      count = std::max<std::size_t>(count, list->getNumberOfItems());
    }
  }
  out << "blocks: " << count << "\n";
  for (std::size_t i = 0; i < count; ++i) {
    out << "block " << i + 1 << "\n";
    for (const char* key : kBlockLists) {
      const auto* list = dynamic_cast<const DynVar*>(result.getAt(key));
      const Variable* entry = list != nullptr ? list->getAt(i) : nullptr;
      std::string shown = "<missing>";
      if (entry != nullptr) {
        shown = std::string(key) == "syntax" ? textOf(entry) : checkedValueOf(entry);
      }
      out << "  " << key << std::string(10 - std::string(key).size(), ' ') << shown << "\n";
    }
  }
}

}  // namespace

std::string describeOutcome(const Variable* returned, const TextVar& errMsg,
                            const MappingVar& result, const std::vector<ErrClass>& hostErrors) {
  std::ostringstream out;
  const auto* integer = dynamic_cast<const IntegerVar*>(returned);
  out << "result: " << (integer != nullptr ? std::to_string(integer->getValue()) : "<not an int>")
      << "\n";
  out << "errMsg: " << quoted(errMsg.getValue().str()) << "\n";
  out << "host errors: " << hostErrors.size() << "\n";
  for (const ErrClass& error : hostErrors) {
    out << "  " << error.toLine() << "\n";
  }
  out << "keys:";
  for (unsigned i = 0; i < result.getNumberOfItems(); ++i) {
    const Variable* value = result.getValue(i);
    out << " " << textOf(result.getKey(i)) << ":"
        << (value != nullptr ? Variable::getTypeName(value->isA()) : "<null>");
  }
  out << "\n";
  out << "comment: " << textOf(result.getAt("comment")) << "\n";
  describeBlocks(out, result);
  return out.str();
}

}  // namespace trel::quorlinsrv::test
