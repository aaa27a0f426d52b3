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

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[5];
          std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

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

std::string lineDiff(const std::string& expected, const std::string& actual) {
  auto split = [](const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      lines.push_back(line);
    }
    return lines;
  };
  const std::vector<std::string> a = split(expected);
  const std::vector<std::string> b = split(actual);
  if (a == b) {
    return std::string();
  }
  // Longest common subsequence from the back; golden files are small enough for the table.
  std::vector<std::vector<std::size_t>> common(a.size() + 1,
                                               std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = a.size(); i-- > 0;) {
    for (std::size_t j = b.size(); j-- > 0;) {
      common[i][j] =
          a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    }
  }
  // The edit script: ' ' kept, '-' only expected, '+' only actual.
  std::vector<std::pair<char, std::string>> edits;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && j < b.size() && a[i] == b[j]) {
      edits.emplace_back(' ', a[i++]);
      ++j;
    } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1])) {
      edits.emplace_back('-', a[i++]);
    } else {
      edits.emplace_back('+', b[j++]);
    }
  }
  const std::size_t kContext = 2;
  std::ostringstream out;
  out << "--- expected\n+++ actual\n";
  std::size_t lastShown = 0;
  bool anyShown = false;
  std::size_t expectedLine = 0;  // of edits[k] in the expected text, 1-based
  for (std::size_t k = 0; k < edits.size(); ++k) {
    expectedLine += edits[k].first != '+' ? 1 : 0;
    const std::size_t from = k >= kContext ? k - kContext : 0;
    const std::size_t to = std::min(edits.size() - 1, k + kContext);
    bool nearChange = false;
    for (std::size_t m = from; m <= to; ++m) {
      nearChange = nearChange || edits[m].first != ' ';
    }
    if (!nearChange) {
      continue;
    }
    if (anyShown ? k > lastShown + 1 : k > 0) {
      out << "@@ expected line " << std::max<std::size_t>(expectedLine, 1) << "\n";
    }
    out << edits[k].first << edits[k].second << "\n";
    lastShown = k;
    anyShown = true;
  }
  return out.str();
}

}  // namespace trel::quorlinsrv::test
