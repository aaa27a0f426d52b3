#include "lsp/Project.hpp"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "common/ProjectFile.hpp"
#include "host/DpConfiguration.hpp"

namespace trel::quorlinsrv::lsp {

namespace {

// The most leaf elements offered, and the most bytes of names walked to find them: references
// may fan out to more names than a completion list can show.
constexpr std::size_t kMaxLeaves = 200000;
constexpr std::size_t kMaxLeafBytes = std::size_t{32} << 20;

std::tuple<long, long, long> stampOf(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code timeError, sizeError;
  fs::path file = fs::u8path(path);
  auto modified = fs::last_write_time(file, timeError).time_since_epoch();
  auto size = fs::is_directory(file, sizeError) ? 0 : fs::file_size(file, sizeError);
  if (timeError || sizeError)
    return {-1, -1, -1};
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(modified);
  return {static_cast<long>(seconds.count()),
          static_cast<long>(std::chrono::nanoseconds(modified - seconds).count()),
          static_cast<long>(size)};
}

// DP lists are read and loaded on the message loop, which a list of 8 MiB of data points held up
// for 6 s of CPU (17 s on a busy machine): a larger list than this is refused with a message
// instead, and the command-line program reads it.
constexpr long kMaxDpListBytes = 4L << 20;

// "" when the list at `path` is small enough to be read here; otherwise why it is not read.
std::string refuseLargeDpList(const std::string& path) {
  long size = std::get<2>(stampOf(path));
  if (size <= kMaxDpListBytes)
    return "";
  return path + ": error: DP list of " + std::to_string(size >> 20) + " MiB; the language server " +
         "reads lists up to " + std::to_string(kMaxDpListBytes >> 20) +
         " MiB (quorlin-validate on the command line reads any)";
}

}  // namespace

Project::Project(std::vector<std::string> dpLists, std::string projectFile)
    : dpLists_(std::move(dpLists)), projectFile_(std::move(projectFile)) {}

std::map<std::string, Project::Stamp> Project::stamps() const {
  std::map<std::string, Stamp> result;
  for (const std::string& path : dpLists_)
    result[path] = stampOf(path);
  if (!projectFile_.empty())
    result[projectFile_] = stampOf(projectFile_);
  return result;
}

bool Project::refresh() {
  std::map<std::string, Stamp> now = stamps();
  if (read_ && now == stamps_)
    return false;
  read_ = true;
  error_.clear();
  if (!projectFile_.empty()) {
    try {
      dpLists_ = readProjectFile(projectFile_).dpLists;
    } catch (const ProjectFileError& malformed) {
      error_ = malformed.what();
      dpLists_.clear();
    }
  }
  stamps_ = stamps();  // the lists the project file names now
  std::vector<DpList> lists(dpLists_.size());
  for (std::size_t i = 0; i < dpLists_.size() && error_.empty(); ++i) {
    error_ = refuseLargeDpList(dpLists_[i]);
    if (error_.empty())
      readDpListFile(dpLists_[i], lists[i], error_);
  }
  config_.clear();
  std::vector<DpListSummary> summaries;
  if (error_.empty())
    loadDpLists(lists, config_, summaries, error_);
  if (!error_.empty()) {
    lists.clear();
    config_.clear();
  }
  install();
  index(lists);
  hints_ = std::make_unique<HintSources>(config_);
  return true;
}

Project::~Project() {
  if (&DpConfiguration::instance() == &config_)
    DpConfiguration::select(nullptr);
}

void Project::install() {
  DpConfiguration::select(&config_);
}

void Project::index(const std::vector<DpList>& lists) {
  leaves_.clear();
  aliases_.clear();
  for (const DpList& list : lists)
    aliases_.insert(aliases_.end(), list.aliases.begin(), list.aliases.end());
  // The leaves as validation finds them, through the configuration's own walk.
  std::size_t bytes = 0;
  DpIdentifier root;
  config_.forEachDataPoint([&](std::string_view point, std::string_view) {
    if (!config_.findElement(point, root))
      return;
    config_.forEachElement(root, [&](std::string_view name, DpElementType elementType) {
      if (DpElType::isLeafType(elementType)) {
        leaves_.push_back(
            {std::string(point) + "." + std::string(name), DpElType::getName(elementType)});
        bytes += leaves_.back().name.size();
      }
      return leaves_.size() < kMaxLeaves && bytes < kMaxLeafBytes;
    });
  });
  auto byName = [](const LeafElement& a, const LeafElement& b) { return a.name < b.name; };
  std::sort(leaves_.begin(), leaves_.end(), byName);
  std::sort(aliases_.begin(), aliases_.end(),
            [](const DpListAlias& a, const DpListAlias& b) { return a.alias < b.alias; });
}

const LeafElement* Project::findLeaf(const std::string& name) const {
  auto it = std::lower_bound(leaves_.begin(), leaves_.end(), name,
                             [](const LeafElement& e, const std::string& n) { return e.name < n; });
  return it != leaves_.end() && it->name == name ? &*it : nullptr;
}

const std::string* Project::findAlias(const std::string& alias) const {
  auto it =
      std::lower_bound(aliases_.begin(), aliases_.end(), alias,
                       [](const DpListAlias& a, const std::string& n) { return a.alias < n; });
  return it != aliases_.end() && it->alias == alias ? &it->element : nullptr;
}

const std::vector<DpList>& Project::definitions() {
  if (!error_.empty() || definitionsRead_ != stamps_) {
    definitions_.clear();
    definitionsRead_ = stamps_;
  }
  if (error_.empty() && definitions_.empty()) {
    definitions_.assign(dpLists_.size(), DpList());
    std::string error;
    for (std::size_t i = 0; i < definitions_.size(); ++i) {
      if (!readDpListFile(dpLists_[i], definitions_[i], error))
        definitions_.clear();  // changed since the refresh: the next refresh reports it
    }
  }
  return definitions_;
}

}  // namespace trel::quorlinsrv::lsp
