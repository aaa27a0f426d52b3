// Writes the table of README.md that says, for each element type a DP list may use, which data
// types of a config file the module has no converter for, as the converter registries hold them.
// With `--check README`, exits 1 when the table in README differs from what the registries say.
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "ds/ConverterRegistry.hpp"
#include "host/DpTypes.hpp"

namespace {

using trel::quorlinsrv::kValueTypeWords;
using trel::quorlinsrv::ValueType;

// The markers around the table in README.md.
constexpr const char* kBegin = "<!-- converter table: packaging/ConverterTable.cpp -->\n";
constexpr const char* kEnd = "<!-- end of converter table -->\n";

// Element type codes are below 128: the host's largest is 59.
constexpr std::int32_t kCodeLimit = 128;

// The data types that `type` has no converter for in either direction, as a list of words.
std::string missingDataTypes(DpElementType type) {
  const int rank = DpElType::isDynType(type) ? 1 : 0;
  std::string missing;
  for (std::size_t code = 0; code < std::size(kValueTypeWords); ++code) {
    if (kValueTypeWords[code].empty())
      continue;  // no word in a config file
    auto valueType = static_cast<ValueType>(code);
    std::string error;
    bool out = ds::findSetter(type, valueType, rank, error) != nullptr;
    bool in = ds::findGetter(valueType, rank, type, error) != nullptr;
    if (out && in)
      continue;
    missing += (missing.empty() ? "`" : ", `") + std::string(kValueTypeWords[code]) + "`";
    if (out != in)
      missing += out ? " (direction out only)" : " (direction in only)";
  }
  return missing.empty() ? "none" : missing;
}

std::string table() {
  std::ostringstream out;
  out << "| code | element type | data types without a converter |\n|---|---|---|\n";
  for (std::int32_t code = 0; code < kCodeLimit; ++code) {
    auto type = static_cast<DpElementType>(code);
    std::string name = DpElType::getName(type);
    if (name == "unknown")
      continue;
    out << "| " << code << " | `" << name << "` | "
        << (DpElType::isLeafType(type) ? missingDataTypes(type) : "no value: not a leaf") << " |\n";
  }
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) {
    std::cout << kBegin << table() << kEnd;
    return 0;
  }
  if (argc != 3 || std::string(argv[1]) != "--check") {
    std::cerr << "usage: " << argv[0] << " [--check README.md]\n";
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  std::string readme{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string expected = std::string(kBegin) + table() + kEnd;
  if (readme.find(expected) != std::string::npos)
    return 0;
  std::cerr << argv[2] << " lacks this table (or holds another one); put it in place of the old:\n"
            << expected;
  return 1;
}
