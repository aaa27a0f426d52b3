// The script functions that hand a script the words of one vocabulary.
#include <iterator>
#include <string>
#include <vector>

#include "config/Vocabulary.hpp"
#include "extension/QuorlinServerConfigValidator.hpp"

namespace trel::quorlinsrv {

namespace {

std::vector<std::string> allowedWords(AllowedNameList list) {
  switch (list) {
    case kDirections:
      return directionNames();
    case kDataTypes:
      return valueTypeNames();
    case kTimeTypes:
      return timeTypeNames();
  }
  return {};  // unreachable: the function table passes only the three selectors
}

}  // namespace

int QuorlinServerConfigValidator::listAllowedNames(ExecuteCallRec& call, AllowedNameList list) {
  Variable* allowedNames = nullptr;
  const ArgumentDescription args[] = {{"allowedNames", DYNTEXT_VAR, nullptr, &allowedNames}};
  if (!fetchArguments(call, args, std::size(args))) {
    return -1;
  }
  auto* names = dynamic_cast<DynVar*>(allowedNames);
  if (names == nullptr) {
    return -1;  // unreachable: only a DynVar has the dyn_string type that was checked
  }
  const std::vector<std::string> words = allowedWords(list);
  names->clear();
  for (const std::string& word : words) {
    names->append(new TextVar(word.c_str(), word.size()));
  }
  return static_cast<int>(words.size());
}

}  // namespace trel::quorlinsrv
