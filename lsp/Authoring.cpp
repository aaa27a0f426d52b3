// Authoring requests: from a `dpe=` or `alias=` value to the DP list line that defines it, the
// class findings of the module turned into edits, and device and class names renamed and listed
// across a file.
#include "lsp/Authoring.hpp"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>

#include "common/Formats.hpp"
#include "config/Vocabulary.hpp"
#include "lsp/LanguageServer.hpp"
#include "parser/CrossBlockChecks.hpp"

namespace trel::quorlinsrv::lsp {

namespace {

// Where a DP list defines something: its file and 1-based line.
struct ListLine {
  std::string file;
  unsigned line = 0;
};

Json locationOf(const ListLine& where) {
  std::error_code ignored;
  std::string path =
      std::filesystem::absolute(std::filesystem::u8path(where.file), ignored).u8string();
  std::size_t line = where.line > 0 ? where.line - 1 : 0;
  return {{"uri", pathToUri(path)}, {"range", range(line, 0, 0)}};
}

// `element` without a leading "SYSTEM:" (the configuration accepts one in names it resolves).
std::string_view withoutSystem(std::string_view element) {
  std::size_t colon = element.find(':');
  return colon != std::string_view::npos && colon < element.find('.') ? element.substr(colon + 1)
                                                                      : element;
}

const DpListType* findType(const std::vector<DpList>& lists, std::string_view name,
                           const DpList*& list) {
  for (const DpList& each : lists) {
    for (const DpListType& type : each.types) {
      if (type.elements.front().name == name) {
        list = &each;
        return &type;
      }
    }
  }
  return nullptr;
}

// The line of the data point `name`, with its type.
std::optional<ListLine> findDataPoint(const std::vector<DpList>& lists, std::string_view name,
                                      std::string& type) {
  for (const DpList& list : lists) {
    for (const DpListDataPoint& point : list.dataPoints) {
      if (point.name == name) {
        type = point.type;
        return ListLine{list.file, point.line};
      }
    }
  }
  return std::nullopt;
}

// The line that defines the element `path` ("a.b") of the type `typeName`: a name is looked up
// among the children of the one before, and a type reference continues in the type it reaches.
std::optional<ListLine> findElement(const std::vector<DpList>& lists, std::string_view typeName,
                                    std::string_view path) {
  const DpList* list = nullptr;
  const DpListType* type = findType(lists, typeName, list);
  std::size_t at = 0;
  while (type && !path.empty()) {
    if (type->elements[at].type == DPELEMENT_TYPEREF) {
      type = findType(lists, type->elements[at].referencedType, list);
      at = 0;
      continue;
    }
    std::size_t dot = path.find('.');
    std::string_view name = path.substr(0, dot);
    path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
    const std::uint32_t depth = type->elements[at].depth;
    std::size_t child = at + 1;
    while (child < type->elements.size() && type->elements[child].depth > depth &&
           (type->elements[child].depth != depth + 1 || type->elements[child].name != name))
      ++child;
    if (child == type->elements.size() || type->elements[child].depth <= depth)
      return std::nullopt;
    at = child;
  }
  if (!type)
    return std::nullopt;
  return ListLine{list->file, type->lines[at]};
}

// The device or class name under the cursor of a protocol position, if there is one.
std::optional<HeaderName> nameAt(const std::vector<std::string_view>& lines, const Json& where) {
  std::size_t lineNo = unsignedField(where, "line");
  if (lineNo >= lines.size())
    return std::nullopt;
  std::size_t cursor = byteOffset(lines[lineNo], unsignedField(where, "character"));
  for (const HeaderName& name : headerNamesOf({lines[lineNo]})) {
    if (cursor >= name.at && cursor <= name.at + name.name.size())
      return HeaderName{name.isClass, name.name, lineNo, name.at};
  }
  return std::nullopt;
}

// The headers that name `name` in the role of `name` (device or class).
std::vector<HeaderName> namesLike(const std::vector<std::string_view>& lines,
                                  const HeaderName& name) {
  std::vector<HeaderName> found;
  for (const HeaderName& other : headerNamesOf(lines)) {
    if (other.isClass == name.isClass && other.name == name.name)
      found.push_back(other);
  }
  return found;
}

// The blocks of the section whose header is on line `header`, as the reader forms them: a block
// begins with the section and at each `dpe` line after a key line. Each is its first and last
// key line.
std::vector<std::pair<std::size_t, std::size_t>> blocksOf(
    const std::vector<std::string_view>& lines, std::size_t header) {
  std::vector<std::pair<std::size_t, std::size_t>> blocks;
  for (std::size_t i = header + 1; i < lines.size(); ++i) {
    ConfigLine line = grammar().read(lines[i]);
    if (line.kind == LineKind::kHeader)
      break;
    if (line.kind != LineKind::kKeyValue && line.kind != LineKind::kOther)
      continue;
    if (blocks.empty() || line.key == fileKey(kDpe))
      blocks.emplace_back(i, i);
    blocks.back().second = i;
  }
  return blocks;
}

// The key/value lines of 1-based lines `first`...`last`: the line of each key's first
// occurrence (0-based).
std::map<std::string_view, std::size_t> keyLines(const std::vector<std::string_view>& lines,
                                                 unsigned first, unsigned last) {
  std::map<std::string_view, std::size_t> keys;
  for (std::size_t i = first > 0 ? first - 1 : 0; i < last && i < lines.size(); ++i) {
    ConfigLine line = grammar().read(lines[i]);
    if (line.kind == LineKind::kKeyValue)
      keys.emplace(line.key, i);
  }
  return keys;
}

std::string_view valueOn(const std::vector<std::string_view>& lines, std::size_t line) {
  return grammar().read(lines[line]).value;
}

// An insertion at the end of line `line`.
Json insertAfter(const std::vector<std::string_view>& lines, std::size_t line,
                 const std::string& text) {
  std::size_t end = utf16Length(lines[line]);
  return textEdit(range(line, end, end), text);
}

std::string keyLine(AttributeIndex attribute, std::string_view value) {
  return "\n" + std::string(fileKey(attribute)) + kKeyValueSeparator + std::string(value);
}

}  // namespace

std::vector<HeaderName> headerNamesOf(const std::vector<std::string_view>& lines) {
  std::vector<HeaderName> names;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    ConfigLine line = grammar().read(lines[i]);
    if (line.kind != LineKind::kHeader || line.deviceName().empty())
      continue;
    names.push_back({false, line.deviceName(), i, LineGrammar::offsetOf(lines[i], line.words[0])});
    if (!line.className().empty())
      names.push_back({true, line.className(), i, LineGrammar::offsetOf(lines[i], line.words[2])});
  }
  return names;
}

Json rangeOf(const std::vector<std::string_view>& lines, const HeaderName& name) {
  std::string_view line = lines[name.line];
  return range(name.line, utf16Length(line.substr(0, name.at)),
               utf16Length(line.substr(0, name.at + name.name.size())));
}

std::optional<LanguageServer::NamedElement> LanguageServer::namedElement(const Json& params) {
  Document& doc = document(params.at("textDocument"));
  NamedElement named;
  named.lineNo = unsignedField(params.at("position"), "line");
  std::vector<std::string_view> lines = splitLines(doc.text);
  if (named.lineNo >= lines.size())
    return std::nullopt;
  named.line = lines[named.lineNo];
  named.read = grammar().read(named.line);
  named.cursor = byteOffset(named.line, unsignedField(params["position"], "character"));
  std::string_view key = named.read.key;
  std::string error;
  if ((key != fileKey(kDpe) && key != fileKey(kAlias)) ||
      !(named.project = projectFor(doc.path, error)))
    return std::nullopt;
  named.element = named.read.value;
  if (key == fileKey(kAlias)) {
    const std::string* target = named.project->findAlias(named.element);
    if (!target)
      return std::nullopt;
    named.element = *target;
  }
  return named;
}

Json LanguageServer::definition(const Json& params) {
  std::optional<NamedElement> named = namedElement(params);
  if (!named || named->read.value.empty())
    return nullptr;
  std::string_view value = named->read.value;
  std::size_t valueAt = LineGrammar::offsetOf(named->line, value);
  if (named->cursor < valueAt || named->cursor > valueAt + value.size())
    return nullptr;
  const std::vector<DpList>& lists = named->project->definitions();
  std::string_view name = withoutSystem(named->element);
  std::size_t dot = name.find('.');
  std::string type;
  std::optional<ListLine> where = findDataPoint(lists, name.substr(0, dot), type);
  // From the element part of a `dpe=` value: the element's line in its type.
  std::size_t dotInValue = value.find('.');
  if (where && named->read.key == fileKey(kDpe) && dot != std::string_view::npos &&
      dotInValue != std::string_view::npos && named->cursor > valueAt + dotInValue) {
    std::optional<ListLine> inType = findElement(lists, type, name.substr(dot + 1));
    if (inType)
      where = inType;
  }
  return where ? locationOf(*where) : Json(nullptr);
}

Json LanguageServer::references(const Json& params) {
  Document& doc = document(params.at("textDocument"));
  std::vector<std::string_view> lines = splitLines(doc.text);
  std::optional<HeaderName> name = nameAt(lines, params.at("position"));
  if (!name)
    return nullptr;
  std::string uri = params["textDocument"]["uri"];
  Json locations = Json::array();
  for (const HeaderName& header : namesLike(lines, *name)) {
    locations.push_back({{"uri", uri}, {"range", rangeOf(lines, header)}});
    for (auto [first, last] : blocksOf(lines, header.line)) {
      Json block = {{"start", position(first, 0)},
                    {"end", position(last, utf16Length(lines[last]))}};
      locations.push_back({{"uri", uri}, {"range", std::move(block)}});
    }
  }
  return locations;
}

Json LanguageServer::prepareRename(const Json& params) {
  Document& doc = document(params.at("textDocument"));
  std::vector<std::string_view> lines = splitLines(doc.text);
  std::optional<HeaderName> name = nameAt(lines, params.at("position"));
  if (!name)
    return nullptr;  // only a header's device or class name can be renamed
  return {{"range", rangeOf(lines, *name)}, {"placeholder", std::string(name->name)}};
}

Json LanguageServer::rename(const Json& params) {
  Document& doc = document(params.at("textDocument"));
  std::vector<std::string_view> lines = splitLines(doc.text);
  std::optional<HeaderName> name = nameAt(lines, params.at("position"));
  if (!name)
    throw RpcError(kInvalidRequest, "only a device or class name of a section header is renamed");
  const Json& newName = params.at("newName");
  // The new name must stay one name of a header, as the module reads headers.
  std::string probe = newName.is_string() ? "[" + newName.get<std::string>() + "]" : "";
  ConfigLine header = grammar().read(probe);
  if (!newName.is_string() || header.kind != LineKind::kHeader || header.wordCount != 1 ||
      header.deviceName() != newName.get<std::string>())
    throw RpcError(kInvalidParams, "the new name must be one word that a section header can hold");
  Json edits = Json::array();
  for (const HeaderName& header : namesLike(lines, *name))
    edits.push_back(textEdit(rangeOf(lines, header), newName));
  return {{"changes", {{params["textDocument"]["uri"].get<std::string>(), std::move(edits)}}}};
}

Json LanguageServer::classActions(const std::string& uri, const Document& doc,
                                  const Json& diagnostic) {
  Json actions = Json::array();
  if (diagnostic.value("code", Json()) != attributeRow(kClassName).resultKey ||
      !diagnostic.contains("message") || !diagnostic["message"].is_string())
    return actions;
  // The module's message; a client without related information shows notes below it.
  std::string message = diagnostic["message"];
  message = message.substr(0, message.find('\n'));
  ClassFinding finding;
  if (!readClassFinding(message, finding))
    return actions;
  std::vector<std::string_view> lines = splitLines(doc.text);
  auto beyond = [&](unsigned line) { return line == 0 || line > lines.size(); };
  if (beyond(finding.firstLine) || beyond(finding.lastLine) || beyond(finding.otherStart))
    return actions;
  std::map<std::string_view, std::size_t> block =
      keyLines(lines, finding.firstLine, finding.lastLine);
  if (block.empty())
    return actions;
  std::string error;
  const Project* project = projectFor(doc.path, error);

  if (!finding.missing) {
    if (!finding.settable)
      return actions;
    std::string title = "Set " + std::string(fileKey(finding.attribute)) + " to '" +
                        std::string(finding.otherWord) + "' as in device " +
                        std::string(finding.otherDevice);
    auto at = block.find(fileKey(finding.attribute));
    if (at == block.end()) {
      std::size_t last = std::max_element(block.begin(), block.end(), [](auto& a, auto& b) {
                           return a.second < b.second;
                         })->second;
      actions.push_back(
          quickFix(title, uri, diagnostic,
                   insertAfter(lines, last, keyLine(finding.attribute, finding.otherWord))));
    } else {
      std::string_view line = lines[at->second];
      std::string_view value = valueOn(lines, at->second);
      std::size_t from = LineGrammar::offsetOf(line, value);
      Json where = range(at->second, utf16Length(line.substr(0, from)),
                         utf16Length(line.substr(0, from + value.size())));
      actions.push_back(
          quickFix(title, uri, diagnostic, textEdit(where, std::string(finding.otherWord))));
    }
    return actions;
  }

  // The property lacks in a device after the one that has it: the block is added to that device.
  if (finding.otherStart <= finding.lastLine)
    return actions;
  std::size_t section = finding.otherStart - 1;
  while (section > 0 && grammar().read(lines[section]).kind != LineKind::kHeader)
    --section;
  if (grammar().read(lines[section]).deviceName() != finding.otherDevice)
    return actions;
  // The device's run: its sections up to a header of another device. Its data point is the one
  // its first element names.
  std::size_t last = section;
  std::string dataPoint;
  for (std::size_t i = section; i < lines.size(); ++i) {
    ConfigLine line = grammar().read(lines[i]);
    if (line.kind == LineKind::kHeader && line.deviceName() != finding.otherDevice)
      break;
    if (line.kind != LineKind::kKeyValue)
      continue;
    last = i;
    std::string element(line.value);
    if (line.key == fileKey(kAlias) && project && project->findAlias(element))
      element = *project->findAlias(element);
    else if (line.key != fileKey(kDpe))
      continue;
    if (dataPoint.empty() && !element.empty())
      dataPoint = element.substr(0, element.find('.'));
  }
  // The reference's element path, below its data point.
  auto word = [&](AttributeIndex attribute) {
    auto at = block.find(fileKey(attribute));
    return at == block.end() ? std::string() : std::string(valueOn(lines, at->second));
  };
  std::string referenceElement = word(kDpe);
  if (referenceElement.empty() && project && project->findAlias(word(kAlias)))
    referenceElement = *project->findAlias(word(kAlias));
  std::size_t dot = referenceElement.find('.');
  std::string path = dot == std::string::npos ? "" : referenceElement.substr(dot);
  std::string element = dataPoint.empty() || path.size() < 2 ? "" : dataPoint + path;
  bool known =
      !element.empty() && project && project->findLeaf(std::string(withoutSystem(element)));
  std::string text = keyLine(kDpe, known ? element : "") + keyLine(kProperty, finding.property) +
                     keyLine(kDirection, word(kDirection)) + keyLine(kValue, word(kValue));
  if (!word(kTime).empty())
    text += keyLine(kTime, word(kTime));
  std::string title = "Add property " + std::string(finding.property) + " to device " +
                      std::string(finding.otherDevice);
  title += known             ? " with dpe=" + element
           : element.empty() ? ", dpe= left to fill"
                             : ", dpe= left to fill: the DP lists have no element " + element;
  actions.push_back(quickFix(title, uri, diagnostic, insertAfter(lines, last, text)));
  return actions;
}

}  // namespace trel::quorlinsrv::lsp
