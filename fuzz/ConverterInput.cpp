// The converter input: the bytes as registry keys (element type, value type, array-ness) and as
// words of the vocabularies, looked up in the module's tables linked into this program.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "config/Vocabulary.hpp"
#include "ds/ConverterRegistry.hpp"
#include "fuzz/FuzzInputs.hpp"
#include "fuzz/RuleCheck.hpp"
#include "host/DpTypes.hpp"

namespace trel::quorlinsrv::fuzz {

namespace {

const std::string kUntouched = "left as it was";

// Takes fixed-size numbers from the front of the input; missing bytes read as zero.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : rest_(bytes) {}

  template <typename Number>
  Number take() {
    unsigned char raw[sizeof(Number)] = {};
    const std::size_t n = rest_.size() < sizeof(Number) ? rest_.size() : sizeof(Number);
    if (n > 0) {
      std::memcpy(raw, rest_.data(), n);
      rest_.remove_prefix(n);
    }
    Number value;
    std::memcpy(&value, raw, sizeof(Number));
    return value;
  }
  std::string_view rest() const { return rest_; }

 private:
  std::string_view rest_;
};

std::string setterMiss(DpElementType dpe, ValueType value, int isArray) {
  return std::string("conversion from ") + DpElType::getName(dpe) + " to " +
         (isArray != 0 ? "array of " : "scalar ") + valueTypeName(value) + " is not implemented";
}

std::string getterMiss(ValueType value, std::int64_t dimensions, DpElementType dpe) {
  const std::string shape =
      dimensions != 0 ? std::to_string(dimensions) + "-dimensional array of " : "scalar ";
  return "conversion from " + shape + valueTypeName(value) + " to " + DpElType::getName(dpe) +
         " is not implemented";
}

void checkLookups(DpElementType dpe, ValueType value, int isArray, std::int64_t dimensions,
                  RuleCheck& rules) {
  std::string setterError = kUntouched;
  const ds::SetterFn setter = ds::findSetter(dpe, value, isArray, setterError);
  rules.require(setter ? setterError == kUntouched : setterError == setterMiss(dpe, value, isArray),
                "setter lookup error text", setterError);
  std::string getterError = kUntouched;
  const ds::GetterFn getter = ds::findGetter(value, dimensions, dpe, getterError);
  rules.require(
      getter ? getterError == kUntouched : getterError == getterMiss(value, dimensions, dpe),
      "getter lookup error text", getterError);
  const bool shapeKnown = isArray == 0 || isArray == 1;
  rules.require(!setter || shapeKnown, "a setter for an array-ness other than 0 and 1");
  rules.require(!getter || dimensions == 0 || dimensions == 1, "a getter for 2 or more dimensions");
  // Both registries hold the same combinations, so one key answers the same in both.
  if (shapeKnown) {
    std::string ignored;
    const bool getterToo = ds::findGetter(value, isArray, dpe, ignored) != nullptr;
    rules.require((setter != nullptr) == getterToo, "the registries disagree on a combination");
  }
}

// A word either names a code whose name is that word, or is refused with the vocabulary's text.
template <typename Code>
void checkWord(const std::string& word, bool (*parse)(std::string, Code&, std::string&),
               const std::string& (*name)(Code), const std::string& refusal, RuleCheck& rules) {
  const Code sentinel = static_cast<Code>(-77);
  Code code = sentinel;
  std::string error = kUntouched;
  if (parse(word, code, error)) {
    rules.require(error == kUntouched && name(code) == word, "a parsed word names another code",
                  word);
  } else {
    rules.require(code == sentinel && error == refusal + word + "'", "refused word text", error);
  }
}

// A code's name is "unknown ???" or a word that parses back to the code.
template <typename Code>
void checkCode(std::int32_t raw, bool (*parse)(std::string, Code&, std::string&),
               const std::string& (*name)(Code), RuleCheck& rules) {
  const Code code = static_cast<Code>(raw);
  const std::string& word = name(code);
  if (word == kUnknownName) {
    return;
  }
  Code parsed = static_cast<Code>(-77);
  std::string error;
  rules.require(parse(word, parsed, error) && parsed == code, "a name does not parse back", word);
}

}  // namespace

std::string runConverterInput(std::string_view bytes) {
  ByteReader reader(bytes);
  const auto dpe = static_cast<DpElementType>(reader.take<std::int32_t>());
  const std::int32_t rawValue = reader.take<std::int32_t>();
  const auto isArray = reader.take<std::int32_t>();
  const auto dimensions = reader.take<std::int64_t>();
  const std::string word(reader.rest());

  RuleCheck rules;
  checkLookups(dpe, static_cast<ValueType>(rawValue), isArray, dimensions, rules);
  checkWord<ValueType>(word, parseValueType, valueTypeName, "unknown data type '", rules);
  checkWord<Direction>(word, parseDirection, directionName, "unknown direction '", rules);
  checkWord<TimeType>(word, parseTimeType, timeTypeName, "unknown time type '", rules);
  checkCode<ValueType>(rawValue, parseValueType, valueTypeName, rules);
  checkCode<Direction>(rawValue, parseDirection, directionName, rules);
  checkCode<TimeType>(rawValue, parseTimeType, timeTypeName, rules);
  return rules.broken();
}

}  // namespace trel::quorlinsrv::fuzz
