#include "bench/gen/ConfigGenerator.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>

namespace trel::quorlinsrv::bench {

namespace {

// splitmix64: tiny, fast, and the same sequence everywhere for a seed.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, n) up to a bias below 2^-40 for the small n used here.
  std::uint64_t below(std::uint64_t n) { return next() % n; }
  bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1.0p-53 < p; }

 private:
  std::uint64_t state_;
};

// Streams of the generator: classes and devices are planned from one, faults drawn from another,
// so that changing the fault share keeps the same devices.
constexpr std::uint64_t kPlanStream = 0x706c616e;
constexpr std::uint64_t kFaultStream = 0x6661756c;

constexpr const char* kClassWords[] = {
    "Pump",   "Valve",   "Motor",    "Tank",  "Sensor", "Meter",      "Drive",  "Heater",
    "Cooler", "Breaker", "Conveyor", "Mixer", "Fan",    "Compressor", "Boiler", "Scale"};

constexpr const char* kPropertyWords[] = {
    "Temperature", "Pressure", "Speed",    "Voltage", "Current", "Level", "Flow",      "Position",
    "State",       "Alarm",    "Setpoint", "Mode",    "Counter", "Power", "Frequency", "Torque",
    "Humidity",    "Weight",   "Runtime",  "Status",  "Command", "Limit", "ErrorCode", "Label"};

// Element types with a data type that the converter registries serve in every direction.
struct TypedElement {
  DpElementType elementType;
  const char* valueType;
};
constexpr TypedElement kTypedElements[] = {
    {DPELEMENT_FLOAT, "float"}, {DPELEMENT_FLOAT, "double"},  {DPELEMENT_INT, "long"},
    {DPELEMENT_INT, "short"},   {DPELEMENT_UINT, "long"},     {DPELEMENT_BIT, "boolean"},
    {DPELEMENT_TEXT, "string"}, {DPELEMENT_LONG, "longlong"}, {DPELEMENT_DYNFLOAT, "double"},
    {DPELEMENT_DYNINT, "long"},
};

constexpr const char* kDirections[] = {"in/out", "out", "in"};
// Null: the block has no "time" line.
constexpr const char* kTimeTypes[] = {nullptr, "none", "double", "longlong", "longlongnano"};

template <typename T, std::size_t N>
const T& pick(Random& random, const T (&table)[N]) {
  return table[random.below(N)];
}

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string numbered(const std::string& stem, std::uint64_t number, int width) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*llu", width, static_cast<unsigned long long>(number));
  return stem + "_" + digits;
}

ClassSpec planClass(Random& random, unsigned index, unsigned properties) {
  constexpr unsigned kWords = std::size(kClassWords);
  ClassSpec plan;
  plan.name = kClassWords[index % kWords];
  if (index >= kWords) {
    plan.name += std::to_string(index / kWords);
  }
  const std::uint64_t offset = random.below(std::size(kPropertyWords));
  for (unsigned i = 0; i < properties; ++i) {
    constexpr unsigned kPropertyWordCount = std::size(kPropertyWords);
    std::string property = kPropertyWords[(offset + i) % kPropertyWordCount];
    if (i >= kPropertyWordCount) {
      property += std::to_string(i / kPropertyWordCount);
    }
    const TypedElement& typed = pick(random, kTypedElements);
    PropertySpec entry{property,        lowerCase(property),       typed.elementType,
                       typed.valueType, pick(random, kDirections), pick(random, kTimeTypes)};
    plan.properties.push_back(std::move(entry));
  }
  return plan;
}

// One block's lines, with `fault` applied.
struct BlockWriter {
  std::string& out;
  Random& random;

  void line(const char* key, const std::string& value) {
    out += key;
    out += '=';
    out += value;
    out += '\n';
  }

  void write(const DeviceSpec& device, const PropertySpec& property, FaultKind* fault) {
    std::string element = property.element;
    if (fault && *fault == FaultKind::kUnknownElement) {
      element += "_missing";
    }
    if (device.viaAlias) {
      line("dpe", element);
      line("alias", aliasOf(device));
    } else {
      line("dpe", device.name + "." + element);
    }
    line("property", property.property);
    if (fault && *fault == FaultKind::kRepeatedAttribute) {
      line("property", property.property);
    }
    const char* direction = property.direction;
    const char* valueType = property.valueType;
    const char* timeType = property.timeType;
    if (fault && *fault == FaultKind::kClassMismatch) {
      // Any other valid direction: the block alone differs from its class's reference.
      direction = std::string_view(direction) == "in" ? "out" : "in";
    }
    if (fault && *fault == FaultKind::kBadWord) {
      switch (random.below(timeType ? 3 : 2)) {
        case 0:
          direction = "sideways";
          break;
        case 1:
          valueType = "real";
          break;
        default:
          timeType = "seconds";
          break;
      }
    }
    line("direction", direction);
    line("value", valueType);
    if (timeType) {
      line("time", timeType);
    }
  }
};

}  // namespace

const char* faultKindName(FaultKind kind) {
  switch (kind) {
    case FaultKind::kUnknownElement:
      return "unknown element";
    case FaultKind::kBadWord:
      return "bad word";
    case FaultKind::kRepeatedAttribute:
      return "repeated attribute";
    case FaultKind::kClassMismatch:
      return "class mismatch";
  }
  return "?";  // unreachable: every kind is listed above
}

std::uint64_t ConfigCounts::faultyBlocks() const {
  std::uint64_t total = 0;
  for (std::uint64_t count : faults) {
    total += count;
  }
  return total;
}

std::string aliasOf(const DeviceSpec& device) {
  return "al_" + device.name;
}

GeneratedSet planSet(const GeneratorOptions& options) {
  GeneratedSet set;
  set.options = options;
  set.options.classes = std::max(1u, options.classes);
  set.options.propertiesPerDevice = std::max(1u, options.propertiesPerDevice);
  Random random(options.seed ^ kPlanStream);
  for (unsigned k = 0; k < set.options.classes; ++k) {
    set.classes.push_back(planClass(random, k, set.options.propertiesPerDevice));
  }
  const std::uint64_t perDevice = set.options.propertiesPerDevice;
  const std::uint64_t devices = (options.blocks + perDevice - 1) / perDevice;
  set.devices.reserve(devices);
  for (std::uint64_t i = 0; i < devices; ++i) {
    DeviceSpec device;
    device.classIndex = static_cast<unsigned>(random.below(set.options.classes));
    device.classless = random.chance(options.classlessShare);
    device.viaAlias = random.chance(options.aliasShare);
    device.name = numbered(set.classes[device.classIndex].name, i + 1, 7);
    set.devices.push_back(std::move(device));
  }
  return set;
}

std::string configText(const GeneratedSet& set, ConfigCounts& counts) {
  const GeneratorOptions& options = set.options;
  counts = ConfigCounts();
  std::string out;
  out.reserve(set.devices.size() * options.propertiesPerDevice * 80);
  for (unsigned i = 0; i < options.commentLines; ++i) {
    if (i == 0) {
      out += "# QuorlinServer benchmark config: " + std::to_string(set.devices.size()) +
             " devices x " + std::to_string(options.propertiesPerDevice) + " properties, " +
             std::to_string(options.classes) + " classes, seed " + std::to_string(options.seed) +
             "\n";
    } else {
      out += "# generated file, line " + std::to_string(i + 1) + " of the header\n";
    }
  }
  Random random(options.seed ^ kFaultStream);
  BlockWriter writer{out, random};
  // The first classed device of each class is its reference: it gets no fault that would make
  // every later device of the class differ from it.
  std::vector<bool> classHasReference(set.classes.size(), false);
  for (const DeviceSpec& device : set.devices) {
    const ClassSpec& plan = set.classes[device.classIndex];
    const bool isReference = !device.classless && !classHasReference[device.classIndex];
    if (!device.classless) {
      classHasReference[device.classIndex] = true;
    }
    out += '[';
    out += device.name;
    if (!device.classless) {
      out += " _instance_of_ ";
      out += plan.name;
    }
    out += "]\n";
    for (const PropertySpec& property : plan.properties) {
      FaultKind fault{};
      const bool faulty = random.chance(options.faultShare);
      if (faulty) {
        fault = static_cast<FaultKind>(random.below(kFaultKindCount));
        const bool comparable = !device.classless && !isReference;
        if ((fault == FaultKind::kClassMismatch && !comparable) ||
            (fault == FaultKind::kUnknownElement && isReference)) {
          fault = FaultKind::kRepeatedAttribute;
        }
        ++counts.faults[static_cast<unsigned>(fault)];
      }
      writer.write(device, property, faulty ? &fault : nullptr);
      ++counts.blocks;
    }
    out += '\n';
  }
  counts.bytes = out.size();
  counts.lines = static_cast<std::uint64_t>(std::count(out.begin(), out.end(), '\n'));
  return out;
}

std::string dpListText(const GeneratedSet& set) {
  std::string out;
  out.reserve(set.devices.size() * 60 + set.classes.size() * set.options.propertiesPerDevice * 30);
  out += "# DP list of the QuorlinServer benchmark config, seed " +
         std::to_string(set.options.seed) + "\n";
  out += "TypeName\n";
  for (const ClassSpec& plan : set.classes) {
    unsigned id = 1;
    out += plan.name + "." + plan.name + "\t1#" + std::to_string(id++) + "\n";
    for (const PropertySpec& property : plan.properties) {
      out += "\t" + property.element + "\t" + std::to_string(property.elementType) + "#" +
             std::to_string(id++) + "\n";
    }
    out += "\n";
  }
  out += "DpName\tTypeName\tID\n";
  std::uint64_t id = 1;
  for (const DeviceSpec& device : set.devices) {
    out += device.name + "\t" + set.classes[device.classIndex].name + "\t" + std::to_string(id++) +
           "\n";
  }
  out += "\nAliasId\tAliasName\tCommentName\n";
  for (const DeviceSpec& device : set.devices) {
    if (device.viaAlias) {
      out += device.name + ".\t\"" + aliasOf(device) + "\"\t\n";
    }
  }
  return out;
}

bool fillDpConfiguration(const GeneratedSet& set, DpConfiguration& config, std::string& error) {
  for (const ClassSpec& plan : set.classes) {
    std::vector<DpTypeElement> elements(1);
    elements[0].name = plan.name;
    for (const PropertySpec& property : plan.properties)
      elements.push_back({property.element, property.elementType, 1, ""});
    if (!config.addType(elements, error)) {
      return false;
    }
  }
  for (const DeviceSpec& device : set.devices) {
    if (!config.addDataPoint(device.name, set.classes[device.classIndex].name, error)) {
      return false;
    }
    if (device.viaAlias && !config.addAlias(aliasOf(device), device.name + ".", error)) {
      return false;
    }
  }
  return true;
}

}  // namespace trel::quorlinsrv::bench
