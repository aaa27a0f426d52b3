#include "common/Findings.hpp"

#include <algorithm>
#include <cstdlib>

#include "config/AttributeIndex.hpp"
#include "host/Variables.hpp"

namespace trel::quorlinsrv {

namespace {

// The mapping's attribute lists come in the order of the module's attribute table, then "lineNo".
static_assert(kAttributeCount + 1 == kBlockFieldCount);
static_assert(kAttributeTable[kFieldDpe].resultKey == "dpe" &&
              kAttributeTable[kFieldTimeType].resultKey == "timeType");

// `value` as a `Class` when its type code is `kType`, else null. The host's scalar and anytype
// codes each belong to one class only, so the code test can replace a dynamic_cast.
template <typename Class, VariableType kType>
const Class* as(const Variable* value) {
  return value != nullptr && value->isA() == kType ? static_cast<const Class*>(value) : nullptr;
}

std::string textOf(const Variable* value) {
  auto* text = as<TextVar, TEXT_VAR>(value);
  return text ? text->getValue().str() : std::string();
}

// Unwraps the anytype elements of a checked value.
const Variable* heldValue(const Variable* item) {
  auto* any = as<AnyTypeVar, ANYTYPE_VAR>(item);
  return any ? any->getVar() : item;
}

bool readCheckedText(const Variable* item, CheckedText& checked) {
  auto* triple = dynamic_cast<const DynVar*>(heldValue(item));
  if (!triple || triple->getNumberOfItems() != 3)
    return false;
  auto* text = as<TextVar, TEXT_VAR>(heldValue(triple->getAt(0)));
  auto* ok = as<BitVar, BIT_VAR>(heldValue(triple->getAt(1)));
  auto* error = as<TextVar, TEXT_VAR>(heldValue(triple->getAt(2)));
  if (!text || !ok || !error)
    return false;
  checked.text = text->getValue().str();
  checked.ok = ok->getValue();
  checked.error = error->getValue().str();
  return true;
}

const DynVar* listAt(const MappingVar& mapping, const char* key, std::string& error) {
  auto* list = dynamic_cast<const DynVar*>(mapping.getAt(key));
  if (!list)
    error = std::string("the module's result mapping has no list \"") + key + "\"";
  return list;
}

bool anyError(const BlockOutcome& block) {
  return !block.syntax.empty() ||
         std::any_of(block.fields.begin(), block.fields.end(),
                     [](const CheckedText& field) { return !field.error.empty(); });
}

// The block's own error holds its messages joined by line feeds.
std::vector<std::string> messagesOf(const std::string& joined) {
  std::vector<std::string> messages;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find('\n', start);
    if (end == std::string::npos)
      end = joined.size();
    messages.push_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return messages;
}

}  // namespace

const char* blockFieldKey(BlockField field) {
  if (field < kAttributeCount)
    return kAttributeTable[field].resultKey.data();  // a string literal, so NUL-terminated
  return field == kFieldLineNo ? kLineNoKey : "";
}

bool readResultMapping(const MappingVar& mapping, FileOutcome& outcome, std::string& error) {
  const DynVar* lists[kBlockFieldCount];
  for (std::size_t f = 0; f < kBlockFieldCount; ++f) {
    lists[f] = listAt(mapping, blockFieldKey(static_cast<BlockField>(f)), error);
    if (!lists[f])
      return false;
  }
  const DynVar* syntax = listAt(mapping, kSyntaxKey, error);
  if (!syntax)
    return false;
  auto* comment = dynamic_cast<const TextVar*>(mapping.getAt(kCommentKey));
  if (!comment) {
    error = "the module's result mapping has no text \"comment\"";
    return false;
  }
  outcome.comment = comment->getValue().str();
  std::size_t count = syntax->getNumberOfItems();
  outcome.blocks = std::vector<BlockOutcome>(count);
  for (std::size_t f = 0; f < kBlockFieldCount; ++f) {
    if (lists[f]->getNumberOfItems() != count) {
      error = std::string("the module's result lists differ in length (\"") +
              blockFieldKey(static_cast<BlockField>(f)) + "\" and \"syntax\")";
      return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (!readCheckedText(lists[f]->getAt(i), outcome.blocks[i].fields[f])) {
        error = std::string("element ") + std::to_string(i + 1) + " of \"" +
                blockFieldKey(static_cast<BlockField>(f)) +
                "\" is not a checked value (text, ok, error)";
        return false;
      }
    }
  }
  for (std::size_t i = 0; i < count; ++i)
    outcome.blocks[i].syntax = textOf(heldValue(syntax->getAt(i)));
  return true;
}

FileReport makeFileReport(FileOutcome outcome) {
  FileReport report;
  report.findings = findingsOf(outcome);
  report.counts.withFindings = static_cast<std::size_t>(
      std::count_if(outcome.blocks.begin(), outcome.blocks.end(), anyError));
  // Errors-only returns the blocks with findings alone; the function's result counts them all.
  report.counts.blocks = outcome.errorsOnly && outcome.result >= 0
                             ? static_cast<std::size_t>(outcome.result)
                             : outcome.blocks.size();
  report.outcome = std::move(outcome);
  return report;
}

bool parseLineRange(const std::string& text, unsigned& first, unsigned& last) {
  std::size_t dots = text.find("...");
  if (dots == std::string::npos || dots == 0)
    return false;
  auto number = [](const std::string& digits, unsigned& value) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
        digits.size() > 9)
      return false;
    value = static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 10));
    return true;
  };
  std::string tail = text.substr(dots + 3);
  if (!number(text.substr(0, dots), first))
    return false;
  if (tail == "???") {
    last = 0;
    return true;
  }
  return number(tail, last);
}

std::vector<Finding> findingsOf(const FileOutcome& outcome) {
  std::vector<Finding> findings;
  for (const BlockOutcome& block : outcome.blocks) {
    Finding base;
    base.file = outcome.file;
    base.device = block.fields[kFieldDevice].text;
    base.property = block.fields[kFieldProperty].text;
    if (!parseLineRange(block.fields[kFieldLineNo].text, base.firstLine, base.lastLine))
      base.firstLine = base.lastLine = 0;
    auto add = [&](const std::string& key, const std::string& message) {
      Finding finding = base;
      finding.key = key;
      finding.message = message;
      findings.push_back(std::move(finding));
    };
    if (!block.syntax.empty()) {
      for (const std::string& message : messagesOf(block.syntax))
        add(kSyntaxKey, message);
    }
    const CheckedText& dpe = block.fields[kFieldDpe];
    const CheckedText& alias = block.fields[kFieldAlias];
    bool sharedElementError = !dpe.error.empty() && dpe.error == alias.error;
    for (std::size_t f = 0; f < kFieldLineNo; ++f) {
      const CheckedText& field = block.fields[f];
      if (field.error.empty())
        continue;
      if (sharedElementError && (f == kFieldDpe || f == kFieldAlias)) {
        bool usedAlias = dpe.text.empty() && !alias.text.empty();
        if ((f == kFieldAlias) == usedAlias)
          add(blockFieldKey(static_cast<BlockField>(f)), field.error);
        continue;
      }
      add(blockFieldKey(static_cast<BlockField>(f)), field.error);
    }
  }
  bool summaryOnly = outcome.errMsg == kValidationErrors;
  if (!outcome.errMsg.empty() && (!summaryOnly || findings.empty())) {
    Finding finding;
    finding.file = outcome.file;
    finding.key = kFileKey;
    finding.message = outcome.errMsg;
    findings.push_back(std::move(finding));
  }
  return findings;
}

ShownPosition shownPosition(const Finding& finding) {
  if (finding.line > 0)
    return {finding.line, finding.column, finding.endLine, finding.endColumn};
  return {finding.firstLine, 0, std::max(finding.firstLine, finding.lastLine), 0};
}

}  // namespace trel::quorlinsrv
