// Hints below a finding: the allowed words and the nearest one for an unknown word, the nearest
// element or alias names of the DP lists, the nearest key, a byte order mark at the start of the
// file. They are notes beside the module's findings and never change their text.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/Findings.hpp"
#include "common/Positions.hpp"
#include "host/DpConfiguration.hpp"

namespace trel::quorlinsrv {

// Names to look up by a misspelt one. Names equal to it but for case are the answer; otherwise
// names within a small edit distance, nearest first, then names that begin with it. A large set is
// indexed by its names' one-byte deletions and in sorted order, so a look-up compares a handful
// of names, not all: it finds every name within one edit, those within two that share a
// one-byte deletion with the query (a transposition, a substitution), and the names that begin
// with the query.
class NearestNames {
 public:
  explicit NearestNames(std::vector<std::string> names);
  // Up to `count` names near `query`, nearest first; none when nothing is near or `query` is
  // one of the names.
  std::vector<std::string> nearest(std::string_view query, std::size_t count = 3) const;

 private:
  std::vector<std::uint32_t> candidates(const std::string& lowered) const;

  std::vector<std::string> names_;
  // Both empty for a set that is scanned.
  std::unordered_map<std::string, std::vector<std::uint32_t>> byVariant_;
  std::vector<std::pair<std::string, std::uint32_t>> sorted_;  // lower-case names
};

// What hints are taken from: the module's allowed words and the names of the DP lists.
class HintSources {
 public:
  // The names of `config`, which must outlive the sources.
  explicit HintSources(const DpConfiguration& config);
  ~HintSources();

  // The words the module allows for a per-block key ("direction", "valueType", "timeType").
  void setAllowedWords(const std::string& key, std::vector<std::string> words);
  bool hasAllowedWords() const { return !words_.empty(); }

  // The allowed words of a per-block key ("direction", "valueType", "timeType"), else null.
  const std::vector<std::string>* allowedWords(const std::string& key) const;
  // Element names near `name` ("DP.element", a system name before ':' allowed), nearest first.
  std::vector<std::string> nearestElements(std::string_view name) const;
  std::vector<std::string> nearestAliases(std::string_view alias) const;

 private:
  const NearestNames& dataPointIndex() const;
  const NearestNames& elementIndex(const DpIdentifier& below) const;

  std::map<std::string, std::vector<std::string>> words_;
  const DpConfiguration& config_;
  // Built when first needed: most runs have no unknown name to look up.
  mutable std::unique_ptr<NearestNames> dataPoints_;
  mutable std::unique_ptr<NearestNames> aliasIndex_;
  mutable std::map<std::uint32_t, std::unique_ptr<NearestNames>> elements_;  // by element
};

// The keys of key lines in the order of the attribute slots, as a block is usually written.
const std::vector<std::string>& fileKeys();

// The positions and then the hints of the findings of the config file whose text is `text`, the
// findings then in line and column order.
void annotateFindings(std::string_view text, const HintSources& sources,
                      std::vector<Finding>& findings);

}  // namespace trel::quorlinsrv
