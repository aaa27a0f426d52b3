// A seeded generator of benchmark inputs: a config file of N devices x M properties in K classes,
// with a chosen share of faulty blocks, and the DP list that defines the elements it names.
//
// The same options and seed always give the same bytes, on every machine: the generator draws
// from its own 64-bit generator and never from the standard library's distributions.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "host/DpConfiguration.hpp"
#include "host/DpTypes.hpp"

namespace trel::quorlinsrv::bench {

struct GeneratorOptions {
  std::uint64_t blocks = 10000;  // rounded up to whole devices
  unsigned propertiesPerDevice = 10;
  unsigned classes = 50;
  double faultShare = 0.01;     // share of blocks that carry one fault
  double classlessShare = 0.1;  // share of devices with a one-word header
  double aliasShare = 0.1;      // share of devices whose blocks name the element through an alias
  unsigned commentLines = 3;
  std::uint64_t seed = 1;
};

// The faults a block may carry; each makes exactly that block report an error.
enum class FaultKind : unsigned {
  kUnknownElement = 0,     // "dpe" names no element
  kBadWord = 1,            // a direction, data type or time type word that no vocabulary has
  kRepeatedAttribute = 2,  // the "property" line twice
  kClassMismatch = 3,      // a direction that differs from the class's reference device
};
inline constexpr std::size_t kFaultKindCount = 4;
const char* faultKindName(FaultKind kind);

// One property that every device of a class offers.
struct PropertySpec {
  std::string property;  // the "property" value
  std::string element;   // the element below the device's data point
  DpElementType elementType;
  const char* valueType;  // the "value" word
  const char* direction;  // the "direction" word
  const char* timeType;   // the "time" word, null for a block without a "time" line
};

// A class: its name is also the name of the data point type of its devices.
struct ClassSpec {
  std::string name;
  std::vector<PropertySpec> properties;
};

struct DeviceSpec {
  std::string name;  // also its data point's name
  unsigned classIndex;
  bool classless;  // written under a one-word header
  bool viaAlias;   // blocks give "alias" for the data point and "dpe" for the element below it
};

// Devices in file order and the classes they belong to.
struct GeneratedSet {
  GeneratorOptions options;
  std::vector<ClassSpec> classes;
  std::vector<DeviceSpec> devices;
};

// What one written config file holds.
struct ConfigCounts {
  std::uint64_t blocks = 0;
  std::uint64_t lines = 0;
  std::uint64_t bytes = 0;
  std::array<std::uint64_t, kFaultKindCount> faults{};
  std::uint64_t faultyBlocks() const;
};

// Draws classes and devices from the options; writes nothing.
GeneratedSet planSet(const GeneratorOptions& options);

// The config file as text; the faults are drawn from the set's seed as the blocks are written.
std::string configText(const GeneratedSet& set, ConfigCounts& counts);

// The DP list (data point types, data points, aliases) in the host's ASCII export format.
std::string dpListText(const GeneratedSet& set);

// Enters the same types, data points and aliases as the DP list directly into `config`.
// False, with `error` set, when the configuration refuses one.
bool fillDpConfiguration(const GeneratedSet& set, DpConfiguration& config, std::string& error);

// The alias that a device's blocks use when `viaAlias` is set.
std::string aliasOf(const DeviceSpec& device);

}  // namespace trel::quorlinsrv::bench
