#include "common/DpListReader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace trel::quorlinsrv {

namespace {

// The tables a DP list reader tells apart.
enum class Table { kNone, kTypes, kDataPoints, kAliases, kForeign };

// First columns of the header rows of tables that carry nothing the validator needs.
constexpr std::string_view kForeignHeaders[] = {"ElementName", "Manager/User", "StampSec",
                                                "CNSpath"};

// A structure element: the only element type that holds child lines.
constexpr std::int32_t kRecordCode = DPELEMENT_RECORD;
constexpr std::int32_t kTypeRefCode = DPELEMENT_TYPEREF;

// One logical line: a physical line, or several when a quoted value spans them.
struct Record {
  std::string text;
  unsigned line = 0;
  bool isComment = false;
};

// Scans `text` for double-quoted values (with backslash escapes) and returns whether a quote is
// still open at its end, starting with `inQuote`.
bool quoteOpenAfter(std::string_view text, bool inQuote) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!inQuote) {
      inQuote = text[i] == '"';
    } else if (text[i] == '\\') {
      ++i;  // the escaped byte, a quote included, does not close the value
    } else if (text[i] == '"') {
      inQuote = false;
    }
  }
  return inQuote;
}

// The position of the quote that closes the value opened by the quote at position 0, or npos.
std::size_t closingQuote(std::string_view text) {
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\\')
      ++i;
    else if (text[i] == '"')
      return i;
  }
  return std::string_view::npos;
}

// Splits at TABs that are not inside a quoted value.
std::vector<std::string> splitColumns(std::string_view text) {
  std::vector<std::string> columns;
  columns.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\t')) + 1);
  bool inQuote = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || (text[i] == '\t' && !inQuote)) {
      columns.emplace_back(text.substr(start, i - start));
      start = i + 1;
    } else if (inQuote && text[i] == '\\' && i + 1 < text.size()) {
      ++i;  // the escaped byte, a quote included, does not close the value
    } else if (text[i] == '"') {
      inQuote = !inQuote;
    }
  }
  return columns;
}

void stripTrailingBlanks(std::string& text) {
  std::size_t end = text.find_last_not_of(" \t\r");
  text.erase(end == std::string::npos ? 0 : end + 1);
}

bool isDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "SYS:name" without "SYS:" (names hold no ':' of their own, so the first one ends a prefix).
std::string withoutSystemPrefix(const std::string& name) {
  std::size_t colon = name.find(':');
  std::size_t dot = name.find('.');
  if (colon != std::string::npos && (dot == std::string::npos || colon < dot))
    return name.substr(colon + 1);
  return name;
}

Table headerTable(const std::vector<std::string>& columns) {
  // Compared in place: every row of a table is asked, and a list of strings per row cost more
  // than the rest of the row.
  auto are = [&columns](std::initializer_list<std::string_view> names) {
    return std::equal(columns.begin(), columns.end(), names.begin(), names.end());
  };
  if (are({"TypeName"}))
    return Table::kTypes;
  if (are({"DpName", "TypeName"}) || are({"DpName", "TypeName", "ID"}))
    return Table::kDataPoints;
  if (are({"AliasId", "AliasName", "CommentName"}))
    return Table::kAliases;
  for (std::string_view header : kForeignHeaders) {
    if (columns.front() == header)
      return Table::kForeign;
  }
  return Table::kNone;
}

// An element's code column: CODE, CODE#ID, CODE#, and for a type reference CODE#ID:TYPE.
struct ElementColumn {
  std::int32_t code = 0;
  std::string referencedType;
};

bool parseElementColumn(const std::string& text, ElementColumn& column, std::string& problem) {
  std::size_t colon = text.find(':');
  std::string codeAndId = text.substr(0, colon);
  std::string code = codeAndId.substr(0, codeAndId.find('#'));
  if (!isDigits(code) || code.size() > 9) {
    problem = "element code '" + text + "' is not CODE#ID with a decimal CODE";
    return false;
  }
  std::size_t hash = codeAndId.find('#');
  if (hash != std::string::npos && hash + 1 < codeAndId.size() &&
      !isDigits(codeAndId.substr(hash + 1))) {
    problem = "element id in '" + text + "' is not a decimal number";
    return false;
  }
  column.code = std::stoi(code);
  column.referencedType = colon == std::string::npos ? std::string() : text.substr(colon + 1);
  if (column.code == kTypeRefCode && column.referencedType.empty()) {
    problem = "type reference '" + text + "' names no type: expected 41#ID:TYPE";
    return false;
  }
  if (column.code != kTypeRefCode && colon != std::string::npos) {
    problem = "'" + text + "' names a type, but only code 41 is a type reference";
    return false;
  }
  return true;
}

// The line loop: records in, rows of the three tables out.
class Reader {
 public:
  Reader(std::istream& in, const std::string& fileName, DpList& list)
      : in_(in), fileName_(fileName), list_(list) {}

  bool run(std::string& error) {
    list_ = DpList();
    list_.file = fileName_;
    Record record;
    while (nextRecord(record, error)) {
      if (!handle(record, error))
        return false;
    }
    if (!error.empty())
      return false;
    finishType();
    return true;
  }

 private:
  bool fail(unsigned line, const std::string& message, std::string& error) const {
    error = fileName_ + ":" + std::to_string(line) + ": error: " + message;
    return false;
  }

  // The next logical line; false at the end of the input (with `error` set for an open quote).
  bool nextRecord(Record& record, std::string& error) {
    std::string physical;
    if (!std::getline(in_, physical))
      return false;
    record = Record();
    record.line = ++lineNumber_;
    if (record.line == 1 && physical.compare(0, 3, "\xEF\xBB\xBF") == 0)
      physical.erase(0, 3);  // a byte order mark is no part of the first line
    stripTrailingBlanks(physical);
    if (!physical.empty() && physical.front() == '#') {
      record.isComment = true;  // comments are never scanned for quotes
      record.text = std::move(physical);
      return true;
    }
    bool open = quoteOpenAfter(physical, false);
    record.text = std::move(physical);
    while (open) {
      if (!std::getline(in_, physical)) {
        fail(record.line,
             "quoted value opened on this line is not closed before the end of the file", error);
        return false;
      }
      ++lineNumber_;
      stripTrailingBlanks(physical);
      record.text += '\n';
      record.text += physical;
      open = quoteOpenAfter(physical, true);
    }
    return true;
  }

  bool handle(const Record& record, std::string& error) {
    if (record.isComment || record.text.empty())
      return true;
    std::size_t depth = record.text.find_first_not_of('\t');
    std::vector<std::string> columns = splitColumns(std::string_view(record.text).substr(depth));
    if (depth == 0) {
      Table header = headerTable(columns);
      if (header != Table::kNone) {
        finishType();
        table_ = header;
        if (header == Table::kForeign)
          ++list_.skippedTables;
        return true;
      }
    }
    switch (table_) {
      case Table::kTypes:
        return typeRow(record.line, depth, columns, error);
      case Table::kDataPoints:
        return dataPointRow(record.line, columns, error);
      case Table::kAliases:
        return aliasRow(record.line, columns, error);
      case Table::kForeign:
        return true;
      case Table::kNone:
        break;
    }
    return fail(record.line,
                "line outside any table: expected a header row such as 'TypeName', "
                "'DpName<TAB>TypeName<TAB>ID' or 'AliasId<TAB>AliasName<TAB>CommentName'",
                error);
  }

  bool typeRow(unsigned line, std::size_t depth, const std::vector<std::string>& columns,
               std::string& error) {
    if (columns.size() != 2 || columns[0].empty()) {
      return fail(line,
                  "malformed type line: expected NAME<TAB>CODE#ID, indented by one TAB per level",
                  error);
    }
    ElementColumn column;
    std::string problem;
    if (!parseElementColumn(columns[1], column, problem))
      return fail(line, problem, error);
    DpTypeElement element;
    element.type = static_cast<DpElementType>(column.code);
    element.referencedType = column.referencedType;
    if (depth == 0)
      return rootRow(line, columns[0], std::move(element), error);

    const std::string& name = columns[0];
    if (!current_)
      return fail(line, "element '" + name + "' comes before any type's root line", error);
    if (depth > path_.size()) {
      return fail(line,
                  "element '" + name + "' is indented " + std::to_string(depth) +
                      " TABs, more than one level below the element before it",
                  error);
    }
    if (name.find('.') != std::string::npos)
      return fail(line, "element name '" + name + "' contains '.'", error);
    path_.resize(depth);
    std::vector<DpTypeElement>& elements = current_->elements;
    const DpTypeElement& parent = elements[path_.back()];
    if (parent.type == kTypeRefCode) {
      return fail(line,
                  "element '" + name + "' is below '" + parent.name + "', a reference to type '" +
                      parent.referencedType + "': a type reference has no child lines",
                  error);
    }
    if (parent.type != kRecordCode) {
      return fail(line,
                  "element '" + name + "' is below '" + parent.name + "', which is not a structure",
                  error);
    }
    // Siblings by their parent's index and name, which holds no '.'.
    if (!siblings_.insert(std::to_string(path_.back()) + "." + name).second)
      return fail(line, "element '" + name + "' appears twice in '" + parent.name + "'", error);
    element.name = name;
    element.depth = static_cast<std::uint32_t>(depth);
    if (element.type == kTypeRefCode) {
      std::string path = elements.front().name;
      for (std::size_t i = 1; i < path_.size(); ++i)
        path += "." + elements[path_[i]].name;
      list_.typeRefs.push_back({path + "." + name, element.referencedType, line});
    }
    path_.push_back(elements.size());
    elements.push_back(std::move(element));
    current_->lines.push_back(line);
    return true;
  }

  bool rootRow(unsigned line, const std::string& text, DpTypeElement root, std::string& error) {
    finishType();
    std::string name = text;
    std::size_t dot = text.find('.');
    if (dot != std::string::npos) {
      name = text.substr(0, dot);
      if (name.empty() || text.substr(dot + 1) != name) {
        return fail(
            line,
            "root line '" + text + "': expected TYPE.TYPE, the type's name twice, or TYPE alone",
            error);
      }
    }
    root.name = name;
    if (root.type == kTypeRefCode)
      list_.typeRefs.push_back({name, root.referencedType, line});
    current_ = std::make_unique<DpListType>();
    current_->elements.push_back(std::move(root));
    current_->lines.push_back(line);
    path_.assign(1, 0);
    return true;
  }

  void finishType() {
    if (current_)
      list_.types.push_back(std::move(*current_));
    current_.reset();
    path_.clear();
    siblings_.clear();
  }

  bool dataPointRow(unsigned line, const std::vector<std::string>& columns, std::string& error) {
    if (columns.size() < 2 || columns.size() > 3)
      return fail(line, "malformed data point line: expected DPNAME<TAB>TYPE<TAB>ID", error);
    std::string name = withoutSystemPrefix(columns[0]);
    if (!name.empty() && name.back() == '.')
      name.pop_back();  // "DP." names the same data point as "DP"
    if (name.empty() || columns[1].empty())
      return fail(line, "malformed data point line: data point or type name is empty", error);
    if (name.find('.') != std::string::npos)
      return fail(line, "data point name '" + columns[0] + "' contains '.'", error);
    if (columns.size() == 3 && !columns[2].empty() && !isDigits(columns[2]))
      return fail(line, "data point id '" + columns[2] + "' is not a decimal number", error);
    list_.dataPoints.push_back({name, columns[1], line});
    return true;
  }

  bool aliasRow(unsigned line, const std::vector<std::string>& columns, std::string& error) {
    if (columns.size() < 2 || columns.size() > 3) {
      return fail(line, "malformed alias line: expected ELEMENT<TAB>\"ALIAS\"<TAB>COMMENT", error);
    }
    const std::string& quoted = columns[1];
    if (quoted.empty() || quoted.front() != '"' || closingQuote(quoted) != quoted.size() - 1) {
      return fail(line, "alias " + quoted + " is not one value in double quotes", error);
    }
    std::string alias;
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
      if (quoted[i] == '\\' && i + 2 < quoted.size() &&
          (quoted[i + 1] == '"' || quoted[i + 1] == '\\'))
        ++i;
      alias += quoted[i];
    }
    if (alias.empty())
      return true;  // a row that only carries a comment
    std::string element = withoutSystemPrefix(columns[0]);
    std::size_t dot = element.find('.');
    if (dot == std::string::npos || dot == 0) {
      return fail(line,
                  "alias element '" + columns[0] + "' is not DP.ELEMENT, nor DP. for a data point",
                  error);
    }
    list_.aliases.push_back({alias, element, line});
    return true;
  }

  std::istream& in_;
  const std::string& fileName_;
  DpList& list_;
  unsigned lineNumber_ = 0;
  Table table_ = Table::kNone;
  std::unique_ptr<DpListType> current_;
  std::vector<std::size_t> path_;             // the root and the open elements below it, by depth
  std::unordered_set<std::string> siblings_;  // of the current type
};

// Merges the lists and checks what spans them before anything enters the configuration.
class Loader {
 public:
  Loader(const std::vector<DpList>& lists, std::vector<DpListSummary>& summaries)
      : lists_(lists), summaries_(summaries) {}

  bool run(DpConfiguration& config, std::string& error) {
    summaries_.assign(lists_.size(), DpListSummary());
    for (std::size_t i = 0; i < lists_.size(); ++i)
      summaries_[i].file = lists_[i].file;
    if (!collectTypes(error))
      return false;
    noteUnknownReferences();
    for (const auto& entry : types_) {
      if (!config.addType(entry.second.type->elements, error))
        return false;  // unreachable: names were made unique above
    }
    return refuseCycles(config, error) && addDataPoints(config, error) && addAliases(config, error);
  }

 private:
  // Where a row was read: its list and line.
  struct Seen {
    std::size_t list;
    unsigned line;
  };

  std::string at(const Seen& where) const {
    return lists_[where.list].file + ":" + std::to_string(where.line);
  }

  bool fail(const Seen& where, const std::string& message, std::string& error) const {
    error = at(where) + ": error: " + message;
    return false;
  }

  bool collectTypes(std::string& error) {
    for (std::size_t i = 0; i < lists_.size(); ++i) {
      for (const DpListType& type : lists_[i].types) {
        const std::string& name = type.elements.front().name;
        auto [it, inserted] = types_.emplace(name, First{&type, {i, type.lines.front()}});
        if (inserted) {
          ++summaries_[i].types;
        } else if (it->second.type->elements == type.elements) {
          ++summaries_[i].repeatedRows;
        } else {
          return fail({i, type.lines.front()},
                      "type '" + name + "' is defined again differently (first at " +
                          at(it->second.where) + ")",
                      error);
        }
      }
    }
    return true;
  }

  void noteUnknownReferences() {
    for (std::size_t i = 0; i < lists_.size(); ++i) {
      for (const DpListTypeRef& ref : lists_[i].typeRefs) {
        if (types_.count(ref.referencedType) == 0) {
          summaries_[i].notes.push_back(at({i, ref.line}) + ": note: " + ref.element +
                                        " refers to type " + ref.referencedType +
                                        ", which no DP list defines: it has no elements");
        }
      }
    }
  }

  // Refuses the first cycle of references, searched from the types in name order, at the
  // reference that closes it.
  bool refuseCycles(DpConfiguration& config, std::string& error) {
    for (const auto& entry : types_) {
      std::vector<std::string> cycle = config.findCycle(entry.first);
      if (cycle.empty())
        continue;
      std::string text;
      for (std::size_t k = 0; k + 1 < cycle.size(); ++k)
        text += cycle[k] + " -> ";
      const std::string& owner = cycle[cycle.size() - 2];
      for (std::size_t i = 0; i < lists_.size(); ++i) {
        for (const DpListTypeRef& ref : lists_[i].typeRefs) {
          if (ref.referencedType == cycle.back() &&
              std::string_view(ref.element).substr(0, ref.element.find('.')) == owner)
            return fail({i, ref.line}, "cycle of type references: " + text + cycle.back(), error);
        }
      }
      error = "cycle of type references: " + text + cycle.back();  // unreachable: a list made it
      return false;
    }
    return true;
  }

  // Visits the rows of every list in order, each key once: a later row with the same key and
  // value is a repetition; with another value it is an error.
  template <typename Row, typename Visit>
  bool eachNewRow(std::vector<Row> DpList::*rows, std::string Row::*key, std::string Row::*value,
                  const char* what, Visit visit, std::string& error) {
    std::unordered_map<std::string_view, std::pair<const Row*, Seen>> seen;
    for (std::size_t i = 0; i < lists_.size(); ++i) {
      for (const Row& row : lists_[i].*rows) {
        auto [it, inserted] = seen.emplace(row.*key, std::make_pair(&row, Seen{i, row.line}));
        const Row& first = *it->second.first;
        if (inserted) {
          if (!visit(summaries_[i], row, Seen{i, row.line}))
            return false;
        } else if (first.*value == row.*value) {
          ++summaries_[i].repeatedRows;
        } else {
          return fail({i, row.line},
                      std::string(what) + " '" + row.*key + "' is defined again as '" + row.*value +
                          "' (first at " + at(it->second.second) + " as '" + first.*value + "')",
                      error);
        }
      }
    }
    return true;
  }

  bool addDataPoints(DpConfiguration& config, std::string& error) {
    auto add = [&](DpListSummary& summary, const DpListDataPoint& dp, const Seen& where) {
      if (types_.count(dp.type) == 0) {
        if (dp.name.front() == '_')
          ++summary.leftOutInternal;
        else
          summary.leftOutOther.push_back(dp.name);
        return true;
      }
      std::string problem;
      if (!config.addDataPoint(dp.name, dp.type, problem))
        return fail(where, problem, error);
      ++summary.dataPoints;
      return true;
    };
    return eachNewRow(&DpList::dataPoints, &DpListDataPoint::name, &DpListDataPoint::type,
                      "data point", add, error);
  }

  bool addAliases(DpConfiguration& config, std::string& error) {
    auto add = [&](DpListSummary& summary, const DpListAlias& alias, const Seen& where) {
      std::string problem;
      if (!config.addAlias(alias.alias, alias.element, problem))
        return fail(where, problem, error);
      ++summary.aliases;
      return true;
    };
    return eachNewRow(&DpList::aliases, &DpListAlias::alias, &DpListAlias::element, "alias", add,
                      error);
  }

  // The first definition of a type.
  struct First {
    const DpListType* type;
    Seen where;
  };

  const std::vector<DpList>& lists_;
  std::vector<DpListSummary>& summaries_;
  std::map<std::string_view, First> types_;  // in name order, the order cycles are searched in
};

}  // namespace

bool readDpList(std::istream& in, const std::string& fileName, DpList& list, std::string& error) {
  return Reader(in, fileName, list).run(error);
}

bool readDpListFile(const std::string& path, DpList& list, std::string& error) {
  // A FIFO or a device named by mistake would block the reader or never end.
  std::error_code statusError;
  auto status = std::filesystem::status(std::filesystem::u8path(path), statusError);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    error = path + ": error: not a regular file";
    return false;
  }
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  if (!in) {
    error = path + ": error: cannot open DP list: " + std::strerror(errno);
    return false;
  }
  if (!readDpList(in, path, list, error))
    return false;
  if (in.bad()) {
    error = path + ": error: read failed: " + std::strerror(errno);
    return false;
  }
  return true;
}

bool loadDpLists(const std::vector<DpList>& lists, DpConfiguration& config,
                 std::vector<DpListSummary>& summaries, std::string& error) {
  return Loader(lists, summaries).run(config, error);
}

}  // namespace trel::quorlinsrv
