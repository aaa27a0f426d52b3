#include "tests/golden/DpConfigurationText.hpp"

#include <sstream>
#include <vector>

#include "host/DpConfiguration.hpp"

namespace trel::quorlinsrv::test {

namespace {

// Reads the lines of a type definition into one tree, keeping the path of open parents.
class TypeBuilder {
 public:
  void begin(const std::string& name, int code) {
    root_ = DpTypeNode{name, static_cast<DpElementType>(code), {}, {}};
    path_.assign(1, &root_);
  }
  bool open() const { return !path_.empty(); }
  // Adds an element at `depth` (1 for a child of the root); false when the depth skips a level.
  bool add(std::size_t depth, DpTypeNode node) {
    if (depth == 0 || depth > path_.size()) {
      return false;
    }
    path_.resize(depth);
    DpTypeNode* parent = path_.back();
    parent->children.push_back(std::move(node));
    path_.push_back(&parent->children.back());
    return true;
  }
  bool finish(std::string& error) {
    if (path_.empty()) {
      return true;
    }
    path_.clear();
    return DpConfiguration::instance().addType(std::move(root_), error);
  }

 private:
  DpTypeNode root_;
  // Points into root_: only the deepest parent's children grow, and none of them is on the path.
  std::vector<DpTypeNode*> path_;
};

}  // namespace

bool loadDpConfiguration(const std::string& text, std::string& error) {
  DpConfiguration& store = DpConfiguration::instance();
  store.clear();
  TypeBuilder type;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    error = "dp configuration line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string::npos || line[indent] == '#') {
      continue;
    }
    std::istringstream words(line.substr(indent));
    std::string first;
    std::string second;
    std::string third;
    words >> first >> second >> third;
    if (indent > 0) {
      int code = 0;
      if (!type.open() || indent % 2 != 0 || !(std::istringstream(second) >> code)) {
        return fail("expected an element 'NAME CODE [TYPE]' inside a type");
      }
      if (!type.add(indent / 2, DpTypeNode{first, static_cast<DpElementType>(code), third, {}})) {
        return fail("element indented deeper than below its parent");
      }
      continue;
    }
    if (!type.finish(error)) {
      return fail(error);
    }
    bool added = true;
    int code = 0;
    if (first == "type" && (std::istringstream(third) >> code)) {
      type.begin(second, code);
    } else if (first == "dp" && !third.empty()) {
      added = store.addDataPoint(second, third, error);
    } else if (first == "alias" && !third.empty()) {
      added = store.addAlias(second, third, error);
    } else {
      return fail("expected 'type NAME CODE', 'dp NAME TYPE' or 'alias ALIAS ELEMENT'");
    }
    if (!added) {
      return fail(error);
    }
  }
  return type.finish(error) || fail(error);
}

}  // namespace trel::quorlinsrv::test
