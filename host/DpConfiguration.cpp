#include "host/DpConfiguration.hpp"

#include <algorithm>
#include <deque>
#include <limits>
#include <map>
#include <string>
#include <unordered_map>

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// A span of the store's text: a name.
struct Span {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// One element of a type, in the store's table of all types' elements in definition order.
struct Element {
  Span name;
  Span referencedType;         // empty unless a type reference names a type
  std::uint32_t end = 0;       // one past the last element below it
  std::uint32_t children = 0;  // where its children, sorted by name, begin in `sortedChildren`
  std::uint32_t childCount = 0;
  DpElementType type = DPELEMENT_RECORD;
};

struct TypeEntry {
  std::uint32_t root;    // the root's index in the element table
  std::uint32_t number;  // 0, 1, ... in the order the types were added
};

// What the cycle search knows of a type.
enum class Walked : std::uint8_t { kNot, kOnPath, kFree };

}  // namespace

struct DpConfiguration::Store {
  std::string systemName = "System1";
  std::string text;  // every element name and referenced type name, end to end
  std::vector<Element> elements;
  // The children of each element, sorted by name (in definition order among equal names), so
  // that a name is found by binary search however many siblings it has.
  std::vector<std::uint32_t> sortedChildren;
  std::map<std::string, TypeEntry, std::less<>> types;
  // Each data point's number (DpIdentifier::dp), keyed by a view of its name in `dataPointNames`
  // (whose names never move), and the root of its type.
  std::deque<std::string> dataPointNames;
  std::unordered_map<std::string_view, std::uint32_t> dataPoints;
  std::vector<std::uint32_t> rootOfDataPoint;  // by number - 1
  std::unordered_map<std::string, std::string> aliases;
  std::vector<Walked> walked;  // by type number; empty when a type was added since the last walk

  std::string_view view(Span span) const {
    return std::string_view(text).substr(span.offset, span.length);
  }

  bool store(std::string_view name, Span& span) {
    if (text.size() + name.size() > std::numeric_limits<std::uint32_t>::max())
      return false;
    span = Span{static_cast<std::uint32_t>(text.size()), static_cast<std::uint32_t>(name.size())};
    text.append(name);
    return true;
  }

  const TypeEntry* typeNamed(std::string_view name) const {
    auto it = types.find(name);
    return it == types.end() ? nullptr : &it->second;
  }

  // The type a reference element reaches, or null for any other element or an unknown type.
  const TypeEntry* referenced(const Element& element) const {
    if (element.type != DPELEMENT_TYPEREF || element.referencedType.length == 0)
      return nullptr;
    return typeNamed(view(element.referencedType));
  }

  // The element whose children `index` has: itself, or the root of the type it refers to; kNone
  // for a reference to a type that is not known.
  std::uint32_t childSource(std::uint32_t index) const {
    const Element& element = elements[index];
    if (element.type != DPELEMENT_TYPEREF || element.referencedType.length == 0)
      return index;
    const TypeEntry* type = referenced(element);
    return type ? type->root : kNone;
  }

  // The child called `name` of the element `parent` (a child source), or kNone.
  std::uint32_t child(std::uint32_t parent, std::string_view name) const {
    const Element& element = elements[parent];
    auto first = sortedChildren.begin() + element.children;
    auto last = first + element.childCount;
    auto it = std::lower_bound(first, last, name, [&](std::uint32_t index, std::string_view n) {
      return view(elements[index].name) < n;
    });
    return it != last && view(elements[*it].name) == name ? *it : kNone;
  }

  // `name` without the local system prefix ("System1:").
  std::string_view withoutSystem(std::string_view name) const {
    // The colon first: most names have none there, and it spares comparing the prefix.
    if (name.size() > systemName.size() && name[systemName.size()] == ':' &&
        name.compare(0, systemName.size(), systemName) == 0) {
      name.remove_prefix(systemName.size() + 1);
    }
    return name;
  }
};

namespace {
DpConfiguration* selected = nullptr;
}  // namespace

DpConfiguration& DpConfiguration::instance() {
  static DpConfiguration configuration;
  return selected != nullptr ? *selected : configuration;
}

void DpConfiguration::select(DpConfiguration* config) {
  selected = config;
}

DpConfiguration::DpConfiguration() : store_(std::make_unique<Store>()) {}
DpConfiguration::~DpConfiguration() = default;

void DpConfiguration::clear() {
  std::string systemName = std::move(store_->systemName);
  store_ = std::make_unique<Store>();
  store_->systemName = std::move(systemName);
}

void DpConfiguration::setSystemName(std::string name) {
  store_->systemName = std::move(name);
}
const std::string& DpConfiguration::getSystemName() const {
  return store_->systemName;
}

bool DpConfiguration::addType(const std::vector<DpTypeElement>& elements, std::string& error) {
  if (elements.empty() || elements.front().name.empty() || elements.front().depth != 0) {
    error = "a data point type needs a name";
    return false;
  }
  const std::string& name = elements.front().name;
  if (store_->types.count(name) != 0) {
    error = "data point type " + name + " is defined twice";
    return false;
  }
  Store& s = *store_;
  const std::size_t base = s.elements.size();
  if (base + elements.size() >= kNone) {
    error = "data point type " + name + " does not fit: too many elements";
    return false;
  }
  // The parent of each element, from the open elements above it.
  std::vector<std::uint32_t> parents(elements.size(), kNone);
  std::vector<std::uint32_t> open;
  std::vector<Element> added(elements.size());
  for (std::size_t i = 0; i < elements.size(); ++i) {
    const DpTypeElement& element = elements[i];
    if (i > 0 && (element.depth == 0 || element.depth > open.size())) {
      error = "data point type " + name + ": element " + element.name +
              " is not one level below an element before it";
      return false;
    }
    open.resize(element.depth);
    if (!open.empty()) {
      parents[i] = open.back();
      ++added[open.back()].childCount;
    }
    open.push_back(static_cast<std::uint32_t>(i));
    added[i].type = element.type;
    added[i].end = static_cast<std::uint32_t>(i + 1);
  }
  std::size_t textSize = s.text.size();
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (!s.store(elements[i].name, added[i].name) ||
        !s.store(elements[i].referencedType, added[i].referencedType)) {
      s.text.resize(textSize);
      error = "data point type " + name + " does not fit: names too long";
      return false;
    }
  }
  // Ends from the last element up: every element below one comes after it.
  for (std::size_t i = elements.size(); i-- > 1;)
    added[parents[i]].end = std::max(added[parents[i]].end, added[i].end);
  std::uint32_t children = static_cast<std::uint32_t>(s.sortedChildren.size());
  std::vector<std::uint32_t> filled(elements.size(), 0);
  for (Element& element : added) {
    element.children = children;
    children += element.childCount;
  }
  s.sortedChildren.resize(children);
  for (std::size_t i = 1; i < elements.size(); ++i) {
    const Element& parent = added[parents[i]];
    s.sortedChildren[parent.children + filled[parents[i]]++] = static_cast<std::uint32_t>(base + i);
  }
  for (Element& element : added) {
    element.end += static_cast<std::uint32_t>(base);
    s.elements.push_back(element);
  }
  for (const Element& element : added) {
    auto first = s.sortedChildren.begin() + element.children;
    std::stable_sort(first, first + element.childCount, [&](std::uint32_t a, std::uint32_t b) {
      return s.view(s.elements[a].name) < s.view(s.elements[b].name);
    });
  }
  const auto number = static_cast<std::uint32_t>(s.types.size());
  s.types.emplace(name, TypeEntry{static_cast<std::uint32_t>(base), number});
  s.walked.clear();
  return true;
}

bool DpConfiguration::hasType(std::string_view name) const {
  return store_->typeNamed(name) != nullptr;
}

std::vector<std::string> DpConfiguration::findCycle(std::string_view typeName) {
  Store& s = *store_;
  const TypeEntry* start = s.typeNamed(typeName);
  if (start == nullptr)
    return {};
  if (s.walked.empty())
    s.walked.assign(s.types.size(), Walked::kNot);
  if (s.walked[start->number] == Walked::kFree)
    return {};
  // Depth first through the references, with the path on a stack of its own: a chain of
  // references may be as long as the list.
  struct Step {
    const TypeEntry* type;
    std::uint32_t next;  // the element of the type to look at next
  };
  std::vector<Step> path{{start, start->root}};
  s.walked[start->number] = Walked::kOnPath;
  while (!path.empty()) {
    Step& step = path.back();
    const std::uint32_t end = s.elements[step.type->root].end;
    const TypeEntry* next = nullptr;
    while (step.next < end && next == nullptr) {
      const TypeEntry* target = s.referenced(s.elements[step.next++]);
      if (target == nullptr || s.walked[target->number] == Walked::kFree)
        continue;
      if (s.walked[target->number] == Walked::kOnPath) {
        std::vector<std::string> cycle;
        auto from = std::find_if(path.begin(), path.end(),
                                 [&](const Step& on) { return on.type == target; });
        for (; from != path.end(); ++from)
          cycle.emplace_back(s.view(s.elements[from->type->root].name));
        cycle.emplace_back(s.view(s.elements[target->root].name));
        s.walked.clear();  // the types on the path were left half walked
        return cycle;
      }
      next = target;
    }
    if (next == nullptr) {
      s.walked[step.type->number] = Walked::kFree;
      path.pop_back();
    } else {
      s.walked[next->number] = Walked::kOnPath;
      path.push_back({next, next->root});
    }
  }
  return {};
}

bool DpConfiguration::addDataPoint(const std::string& name, const std::string& typeName,
                                   std::string& error) {
  if (name.empty() || name.find('.') != std::string::npos) {
    error = "invalid data point name '" + name + "'";
    return false;
  }
  const TypeEntry* type = store_->typeNamed(typeName);
  if (type == nullptr) {
    error = "data point " + name + " has the unknown type " + typeName;
    return false;
  }
  if (store_->dataPoints.count(name) != 0) {
    error = "data point " + name + " is defined twice";
    return false;
  }
  std::vector<std::string> cycle = findCycle(typeName);
  if (!cycle.empty()) {
    error = "type reference cycle through type " + cycle.back();
    return false;
  }
  store_->rootOfDataPoint.push_back(type->root);
  store_->dataPoints.emplace(store_->dataPointNames.emplace_back(name),
                             static_cast<std::uint32_t>(store_->rootOfDataPoint.size()));
  return true;
}

bool DpConfiguration::addAlias(const std::string& alias, const std::string& elementName,
                               std::string& error) {
  if (alias.empty()) {
    error = "an alias needs a name";
    return false;
  }
  if (!store_->aliases.emplace(alias, elementName).second) {
    error = "alias " + alias + " is defined twice";
    return false;
  }
  return true;
}

std::size_t DpConfiguration::getTypeCount() const {
  return store_->types.size();
}
std::size_t DpConfiguration::getDataPointCount() const {
  return store_->rootOfDataPoint.size();
}
std::size_t DpConfiguration::getAliasCount() const {
  return store_->aliases.size();
}

bool DpConfiguration::findAlias(std::string_view alias, std::string& elementName) const {
  auto it = store_->aliases.find(std::string(alias));
  if (it == store_->aliases.end())
    return false;
  elementName = it->second;
  return true;
}

bool DpConfiguration::findElement(std::string_view name, DpIdentifier& id) const {
  const Store& s = *store_;
  name = s.withoutSystem(name);
  const std::size_t dot = name.find('.');
  auto found = s.dataPoints.find(name.substr(0, dot));
  if (found == s.dataPoints.end())
    return false;
  std::uint32_t element = s.rootOfDataPoint[found->second - 1];
  // "DP" and "DP." name the root; below it, each name is looked up in the one before.
  if (dot != std::string_view::npos && dot + 1 < name.size()) {
    std::string_view rest = name.substr(dot + 1);
    for (bool more = true; more;) {
      const std::size_t next = rest.find('.');
      more = next != std::string_view::npos;
      const std::uint32_t source = s.childSource(element);
      element = source == kNone ? kNone : s.child(source, rest.substr(0, next));
      if (element == kNone)
        return false;
      if (more)
        rest.remove_prefix(next + 1);
    }
  }
  id = DpIdentifier{found->second, element};
  return true;
}

bool DpConfiguration::findElementType(const DpIdentifier& id, DpElementType& type) const {
  if (id.dp == 0 || id.dp > store_->rootOfDataPoint.size() || id.element >= store_->elements.size())
    return false;
  type = store_->elements[id.element].type;
  return true;
}

std::string_view DpConfiguration::findDataPointType(std::string_view name) const {
  const Store& s = *store_;
  auto found = s.dataPoints.find(s.withoutSystem(name));
  return found == s.dataPoints.end()
             ? std::string_view()
             : s.view(s.elements[s.rootOfDataPoint[found->second - 1]].name);
}

void DpConfiguration::forEachDataPoint(
    const std::function<void(std::string_view, std::string_view)>& visit) const {
  const Store& s = *store_;
  // A type's name is its root's.
  for (const auto& [name, number] : s.dataPoints)
    visit(name, s.view(s.elements[s.rootOfDataPoint[number - 1]].name));
}

void DpConfiguration::forEachAlias(
    const std::function<void(std::string_view, std::string_view)>& visit) const {
  for (const auto& [alias, element] : store_->aliases)
    visit(alias, element);
}

void DpConfiguration::forEachElement(DpIdentifier from, const ElementVisitor& visit) const {
  const Store& s = *store_;
  if (from.element >= s.elements.size() || !visit("", s.elements[from.element].type))
    return;
  // The open levels: the siblings still to visit, the length of their parent's name, and the
  // type a reference entered to reach them. A type on the path is not entered again: the loader
  // refuses cycles, but a walk must end whatever it is given.
  struct Level {
    std::uint32_t next;
    std::uint32_t end;
    std::size_t prefix;
    std::uint32_t enteredType;
  };
  std::vector<bool> onPath(s.types.size(), false);
  std::vector<Level> levels;
  std::string name;
  auto descend = [&](std::uint32_t index) {
    const Element& element = s.elements[index];
    std::uint32_t source = index;
    std::uint32_t entered = kNone;
    if (element.type == DPELEMENT_TYPEREF && element.referencedType.length != 0) {
      const TypeEntry* target = s.referenced(element);
      if (target == nullptr || onPath[target->number])
        return;
      source = target->root;
      entered = target->number;
    }
    if (s.elements[source].end == source + 1)
      return;
    if (entered != kNone)
      onPath[entered] = true;
    levels.push_back({source + 1, s.elements[source].end, name.size(), entered});
  };
  descend(from.element);
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next >= level.end) {
      if (level.enteredType != kNone)
        onPath[level.enteredType] = false;
      levels.pop_back();
      continue;
    }
    const std::uint32_t index = level.next;
    const Element& element = s.elements[index];
    level.next = element.end;
    name.resize(level.prefix);
    if (!name.empty())
      name += '.';
    name += s.view(element.name);
    if (!visit(name, element.type))
      return;
    descend(index);
  }
}
