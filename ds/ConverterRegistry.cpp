#include "ds/ConverterRegistry.hpp"

#include <sstream>
#include <tuple>
#include <utility>

#include "ds/ElementClasses.hpp"
#include "ds/GetterFamily.hpp"
#include "ds/SetterFamily.hpp"

namespace ds {

namespace {

std::int64_t arrayness(const Combination& combination) {
  return combination.isArray ? 1 : 0;
}

// The two families, each as its scalar and its array converter template.
struct Setters {
  template <typename Row, ValueType V>
  static constexpr SetterFn scalar = &setScalar<Row, V>;
  template <typename Row, ValueType V>
  static constexpr SetterFn array = &setArray<Row, V>;
};

struct Getters {
  template <typename Row, ValueType V>
  static constexpr GetterFn scalar = &getScalar<Row, V>;
  template <typename Row, ValueType V>
  static constexpr GetterFn array = &getArray<Row, V>;
};

// The member of `Family` for combination I of kCombinations.
template <typename Family, std::size_t I>
constexpr auto converterAt() {
  constexpr Combination combination = kCombinations[I];
  using Row = ElementClassAt<combination.elementClass>;
  if constexpr (combination.isArray) {
    return Family::template array<Row, combination.valueType>;
  } else {
    return Family::template scalar<Row, combination.valueType>;
  }
}

template <std::size_t... I>
std::map<SetterKey, SetterFn> buildSetterRegistry(std::index_sequence<I...>) {
  return {
      {SetterKey{kCombinations[I].dpeType, kCombinations[I].valueType, arrayness(kCombinations[I])},
       converterAt<Setters, I>()}...};
}

template <std::size_t... I>
std::map<GetterKey, GetterFn> buildGetterRegistry(std::index_sequence<I...>) {
  return {
      {GetterKey{kCombinations[I].valueType, arrayness(kCombinations[I]), kCombinations[I].dpeType},
       converterAt<Getters, I>()}...};
}

// The exact-key search of both lookups.
template <typename Key, typename Fn>
Fn lookUp(const std::map<Key, Fn>& registry, const Key& key) {
  const auto found = registry.find(key);
  return found != registry.end() ? found->second : nullptr;
}

// Builds both registries while the module loads, so that no caller ever sees one being built.
[[maybe_unused]] const bool registriesBuilt = (setterRegistry(), getterRegistry(), true);

}  // namespace

bool operator<(const SetterKey& a, const SetterKey& b) {
  return std::make_tuple(std::int32_t{a.dpeType}, code(a.valueType), a.isArray) <
         std::make_tuple(std::int32_t{b.dpeType}, code(b.valueType), b.isArray);
}

bool operator<(const GetterKey& a, const GetterKey& b) {
  return std::make_tuple(code(a.valueType), a.dimensions, std::int32_t{a.dpeType}) <
         std::make_tuple(code(b.valueType), b.dimensions, std::int32_t{b.dpeType});
}

// Function-local statics: built on first use, whichever file's static initialisation that is.
const std::map<SetterKey, SetterFn>& setterRegistry() {
  static const std::map<SetterKey, SetterFn> registry =
      buildSetterRegistry(std::make_index_sequence<kCombinationCount>());
  return registry;
}

const std::map<GetterKey, GetterFn>& getterRegistry() {
  static const std::map<GetterKey, GetterFn> registry =
      buildGetterRegistry(std::make_index_sequence<kCombinationCount>());
  return registry;
}

SetterFn findSetter(DpElementType dpeType, const ValueType& valueType, int isArray,
                    std::string& error) {
  const SetterFn setter = lookUp(setterRegistry(), SetterKey{dpeType, valueType, isArray});
  if (setter != nullptr)
    return setter;
  std::ostringstream message;
  message << "conversion from " << DpElType::getName(dpeType) << " to "
          << (isArray != 0 ? "array of " : "scalar ") << trel::quorlinsrv::valueTypeWord(valueType)
          << " is not implemented";
  error = message.str();
  return nullptr;
}

GetterFn findGetter(const ValueType& valueType, std::int64_t dimensions, DpElementType dpeType,
                    std::string& error) {
  const GetterFn getter = lookUp(getterRegistry(), GetterKey{valueType, dimensions, dpeType});
  if (getter != nullptr)
    return getter;
  std::ostringstream message;
  message << "conversion from ";
  if (dimensions != 0) {
    message << dimensions << "-dimensional array of ";
  } else {
    message << "scalar ";
  }
  message << trel::quorlinsrv::valueTypeWord(valueType) << " to " << DpElType::getName(dpeType)
          << " is not implemented";
  error = message.str();
  return nullptr;
}

}  // namespace ds
