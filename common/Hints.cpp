#include "common/Hints.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <numeric>
#include <tuple>

#include "config/QuorlinServerConfigDpeBlock.hpp"
#include "config/Vocabulary.hpp"

namespace trel::quorlinsrv {

namespace {

// Sets at most this large are searched name by name.
constexpr std::size_t kScanLimit = 256;

// The most element names of one type that hints look among, the most bytes they walk, and the
// longest name they keep (the index holds each name's one-byte deletions: its length squared).
constexpr std::size_t kMaxElementNames = 10000;
constexpr std::size_t kMaxElementBytes = std::size_t{16} << 20;
constexpr std::size_t kMaxElementName = 128;

std::string lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

// How far a name may be from the query to count as near: one edit in a short name, two else.
std::size_t distanceLimit(std::string_view query) {
  return query.size() <= 4 ? 1 : 2;
}

// The word of an unknown-word message of the three vocabularies; "" for any other message.
std::string_view unknownWord(const std::string& message) {
  std::array<std::string_view, 1> word;
  for (const MessageForm<1>* form : {&kUnknownDirection, &kUnknownValueType, &kUnknownTimeType}) {
    if (form->match(message, &word))
      return word[0];
  }
  return std::string_view();
}

std::string quotedList(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names)
    text += (text.empty() ? "'" : ", '") + name + "'";
  return text;
}

// "did you mean 'X'?" with X as the quick fix, and the other near names in a note of their own.
void addNearest(Finding& finding, const std::vector<std::string>& nearest) {
  if (nearest.empty())
    return;
  finding.notes.push_back(Note{"did you mean '" + nearest.front() + "'?", nearest.front()});
  if (nearest.size() > 1) {
    std::vector<std::string> others(nearest.begin() + 1, nearest.end());
    finding.notes.push_back(Note{"other near names: " + quotedList(others), ""});
  }
}

// The edit distance of `a` and `b` with letters compared case-insensitively (ASCII), or
// `limit + 1` when it is greater than `limit`.
std::size_t editDistance(std::string_view a, std::string_view b, std::size_t limit) {
  if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit)
    return limit + 1;
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), 0);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    std::size_t best = row[0];
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                  std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
      best = std::min(best, row[j]);
    }
    if (best > limit)
      return limit + 1;
  }
  return std::min(row[b.size()], limit + 1);
}

// The data point or alias names of `config`, sorted, to look up.
std::unique_ptr<NearestNames> sortedNames(
    const DpConfiguration& config,
    void (DpConfiguration::*forEach)(const std::function<void(std::string_view, std::string_view)>&)
        const) {
  std::vector<std::string> names;
  (config.*forEach)([&](std::string_view name, std::string_view) { names.emplace_back(name); });
  std::sort(names.begin(), names.end());
  return std::make_unique<NearestNames>(std::move(names));
}

}  // namespace

NearestNames::NearestNames(std::vector<std::string> names) : names_(std::move(names)) {
  if (names_.size() <= kScanLimit)
    return;
  for (std::uint32_t i = 0; i < names_.size(); ++i) {
    std::string name = lowered(names_[i]);
    sorted_.emplace_back(name, i);
    byVariant_[name].push_back(i);
    for (std::size_t at = 0; at < name.size(); ++at)
      byVariant_[name.substr(0, at) + name.substr(at + 1)].push_back(i);
  }
  std::sort(sorted_.begin(), sorted_.end());
}

std::vector<std::uint32_t> NearestNames::candidates(const std::string& lower) const {
  std::vector<std::uint32_t> found;
  if (byVariant_.empty()) {
    found.resize(names_.size());
    std::iota(found.begin(), found.end(), 0);
    return found;
  }
  // A name within one edit shares the query or one of its one-byte deletions as a variant.
  auto add = [&](const std::string& variant) {
    auto entry = byVariant_.find(variant);
    if (entry != byVariant_.end())
      found.insert(found.end(), entry->second.begin(), entry->second.end());
  };
  add(lower);
  for (std::size_t at = 0; at < lower.size(); ++at)
    add(lower.substr(0, at) + lower.substr(at + 1));
  // Names that begin with the query follow it in sorted order; a few of them are enough.
  auto from = std::lower_bound(sorted_.begin(), sorted_.end(), std::make_pair(lower, 0u));
  for (int taken = 0; from != sorted_.end() && from->first.rfind(lower, 0) == 0 && taken < 8;
       ++from, ++taken)
    found.push_back(from->second);
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

std::vector<std::string> NearestNames::nearest(std::string_view query, std::size_t count) const {
  std::string lower = lowered(query);
  std::size_t limit = distanceLimit(query);
  // (rank, length, name): of names equally near, the shorter comes first.
  std::vector<std::tuple<std::size_t, std::size_t, std::uint32_t>> ranked;
  for (std::uint32_t i : candidates(lower)) {
    const std::string& name = names_[i];
    if (name == query)
      return {};
    std::string nameLower = lowered(name);
    // Equal but for case is distance 0 and comes first of all.
    std::size_t rank = editDistance(lower, nameLower, limit);
    if (rank > limit) {
      if (lower.size() < 3 || nameLower.rfind(lower, 0) != 0)
        continue;
      rank = limit + 1;  // a name that begins with the query, after the near ones
    }
    ranked.emplace_back(rank, name.size(), i);
  }
  std::sort(ranked.begin(), ranked.end());
  // A name equal but for case is what was meant: the names only near it would be noise.
  while (!ranked.empty() && std::get<0>(ranked.front()) == 0 && std::get<0>(ranked.back()) > 0)
    ranked.pop_back();
  std::vector<std::string> result;
  for (std::size_t k = 0; k < ranked.size() && k < count; ++k)
    result.push_back(names_[std::get<2>(ranked[k])]);
  return result;
}

HintSources::HintSources(const DpConfiguration& config) : config_(config) {}

HintSources::~HintSources() = default;

void HintSources::setAllowedWords(const std::string& key, std::vector<std::string> words) {
  words_[key] = std::move(words);
}

const std::vector<std::string>* HintSources::allowedWords(const std::string& key) const {
  auto entry = words_.find(key);
  return entry == words_.end() ? nullptr : &entry->second;
}

const NearestNames& HintSources::dataPointIndex() const {
  if (!dataPoints_)
    dataPoints_ = sortedNames(config_, &DpConfiguration::forEachDataPoint);
  return *dataPoints_;
}

const NearestNames& HintSources::elementIndex(const DpIdentifier& below) const {
  std::unique_ptr<NearestNames>& index = elements_[below.element];
  if (!index) {
    // The names that validation finds, as far as a bounded look reaches: references may fan out
    // to more names than a hint needs.
    std::vector<std::string> names;
    std::size_t bytes = 0;
    config_.forEachElement(below, [&](std::string_view name, DpElementType) {
      if (!name.empty() && name.size() <= kMaxElementName)
        names.emplace_back(name);
      bytes += name.size();
      return names.size() < kMaxElementNames && bytes < kMaxElementBytes;
    });
    index = std::make_unique<NearestNames>(std::move(names));
  }
  return *index;
}

std::vector<std::string> HintSources::nearestElements(std::string_view name) const {
  std::size_t colon = name.find(':');
  std::string system(colon == std::string_view::npos ? "" : name.substr(0, colon + 1));
  name.remove_prefix(system.size());
  std::size_t dot = name.find('.');
  std::string point(name.substr(0, dot));
  std::string element(dot == std::string_view::npos ? "" : name.substr(dot + 1));
  std::vector<std::string> points = {point};
  if (config_.findDataPointType(point).empty())
    points = dataPointIndex().nearest(point);
  std::vector<std::size_t> ends;  // where the names in `element` end
  for (std::size_t at = element.find('.'); at != std::string::npos; at = element.find('.', at + 1))
    ends.push_back(at);
  std::vector<std::string> result;
  for (const std::string& candidate : points) {
    std::vector<std::string> elements = {element};
    DpIdentifier id;
    if (!element.empty() && !config_.findElement(candidate + "." + element, id)) {
      // Near names below the longest leading part of the name that exists (the data point's root
      // at least): found by halving, as a part exists when a longer one does.
      std::size_t found = 0, missing = ends.size() + 1;  // counts of leading names
      while (missing - found > 1) {
        std::size_t middle = (found + missing) / 2;
        if (config_.findElement(candidate + "." + element.substr(0, ends[middle - 1]), id))
          found = middle;
        else
          missing = middle;
      }
      const std::size_t split = found == 0 ? 0 : ends[found - 1] + 1;
      config_.findElement(candidate + "." + element.substr(0, split), id);
      elements.clear();
      for (const std::string& near : elementIndex(id).nearest(element.substr(split)))
        elements.push_back(element.substr(0, split) + near);
    }
    for (const std::string& e : elements) {
      std::string full = system + candidate + (e.empty() ? "" : "." + e);
      if (full != std::string(system) + std::string(name) && result.size() < 3)
        result.push_back(full);
    }
  }
  return result;
}

std::vector<std::string> HintSources::nearestAliases(std::string_view alias) const {
  if (!aliasIndex_)
    aliasIndex_ = sortedNames(config_, &DpConfiguration::forEachAlias);
  return aliasIndex_->nearest(alias);
}

const std::vector<std::string>& fileKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> all;
    for (std::int32_t index = kDpe; index <= kTime; ++index)
      all.emplace_back(attributeRow(static_cast<AttributeIndex>(index)).fileKey);
    return all;
  }();
  return keys;
}

namespace {

// Adds the notes of every finding of a config file whose text is `text` (positions attached).
void attachHints(const ConfigText& text, const HintSources& sources,
                 std::vector<Finding>& findings) {
  static const NearestNames keys(fileKeys());
  for (Finding& finding : findings) {
    const std::string& message = finding.message;
    std::array<std::string_view, 1> element;
    if (const std::vector<std::string>* words = sources.allowedWords(finding.key)) {
      std::string_view word = unknownWord(message);
      if (word.empty())
        continue;
      finding.notes.push_back(Note{"allowed: " + quotedList(*words), ""});
      addNearest(finding, NearestNames(*words).nearest(word, 1));
    } else if (kUnknownDpe.match(message, &element)) {
      addNearest(finding, sources.nearestElements(element[0]));
    } else if (finding.key == blockFieldKey(kFieldAlias) && kAliasUnknown.match(message)) {
      addNearest(finding, sources.nearestAliases(text.read(finding.line).value));
    } else if (finding.key == kSyntaxKey) {
      // Positioned at the line that recorded it: an unexpected key's line reads as a key line.
      ConfigLine line = text.read(finding.line);
      if (line.kind == LineKind::kKeyValue && findFileKey(line.key) == nullptr)
        addNearest(finding, keys.nearest(line.key, 1));
    }
  }
  if (text.line(1).substr(0, 3) == "\xEF\xBB\xBF" && !findings.empty()) {
    // The module reads the mark as part of the first line; it shows as an invisible character.
    auto first = std::find_if(findings.begin(), findings.end(),
                              [](const Finding& f) { return f.line == 1; });
    Finding& finding = first == findings.end() ? findings.front() : *first;
    finding.notes.push_back(
        Note{"the file starts with a UTF-8 byte order mark (bytes EF BB BF), which is read as "
             "part of the first line: save the file without it",
             ""});
  }
}

}  // namespace

void annotateFindings(std::string_view text, const HintSources& sources,
                      std::vector<Finding>& findings) {
  ConfigText lines(text);
  attachPositions(lines, findings);
  attachHints(lines, sources, findings);
  // Line and column order; findings without a line (file-level ones) go last, and findings at
  // the same place keep the module's order.
  auto key = [](const Finding& finding) {
    ShownPosition at = shownPosition(finding);
    return std::make_tuple(at.line == 0, at.line, at.column);
  };
  std::stable_sort(findings.begin(), findings.end(),
                   [&](const Finding& a, const Finding& b) { return key(a) < key(b); });
}

}  // namespace trel::quorlinsrv
