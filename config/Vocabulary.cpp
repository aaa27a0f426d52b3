#include "config/Vocabulary.hpp"

#include <iterator>
#include <utility>
#include <vector>

namespace trel::quorlinsrv {

const std::string kUnknownName(kNoWord);
const std::string kClassIntroducer = "_instance_of_";
const std::string kKeyValueSeparator = "=";

namespace {

// One vocabulary: its words, each with its own code.
template <class Code>
using Vocabulary = std::vector<std::pair<std::string, Code>>;

// The value types' words are those of the converter registry's messages too.
Vocabulary<ValueType> valueTypeVocabulary() {
  Vocabulary<ValueType> words;
  for (std::size_t code = 0; code < std::size(kValueTypeWords); ++code) {
    if (!kValueTypeWords[code].configWord.empty()) {
      words.emplace_back(kValueTypeWords[code].configWord, static_cast<ValueType>(code));
    }
  }
  return words;
}

const Vocabulary<ValueType> kValueTypes = valueTypeVocabulary();

const Vocabulary<Direction> kDirections = {
    {"in/out", Direction::InOut},
    {"out", Direction::Out},
    {"in", Direction::In},
};

const Vocabulary<TimeType> kTimeTypes = {
    {"none", TimeType::None},
    {"double", TimeType::Double},
    {"longlong", TimeType::LongLong},
    {"longlongnano", TimeType::LongLongNano},
};

template <class Code>
bool parseWord(const Vocabulary<Code>& vocabulary, const MessageForm<1>& unknown,
               std::string_view word, Code& code, std::string& error) {
  // A walk over the few words compares lengths first, where a search would compare bytes.
  for (const auto& [known, knownCode] : vocabulary) {
    if (known == word) {
      code = knownCode;
      return true;
    }
  }
  error = unknown(word);
  return false;
}

template <class Code>
const std::string& nameOf(const Vocabulary<Code>& vocabulary, Code code) {
  for (const auto& [word, wordCode] : vocabulary) {
    if (wordCode == code) {
      return word;
    }
  }
  return kUnknownName;
}

// Every vocabulary lists its words in ascending order of their codes, one word for each code.
template <class Code>
std::vector<std::string> wordsByCode(const Vocabulary<Code>& vocabulary) {
  std::vector<std::string> words;
  for (const auto& entry : vocabulary) {
    words.push_back(entry.first);
  }
  return words;
}

}  // namespace

bool parseValueType(std::string_view word, ValueType& code, std::string& error) {
  return parseWord(kValueTypes, kUnknownValueType, word, code, error);
}

bool parseDirection(std::string_view word, Direction& code, std::string& error) {
  return parseWord(kDirections, kUnknownDirection, word, code, error);
}

bool parseTimeType(std::string_view word, TimeType& code, std::string& error) {
  return parseWord(kTimeTypes, kUnknownTimeType, word, code, error);
}

const std::string& valueTypeName(ValueType code) {
  return nameOf(kValueTypes, code);
}
const std::string& directionName(Direction code) {
  return nameOf(kDirections, code);
}
const std::string& timeTypeName(TimeType code) {
  return nameOf(kTimeTypes, code);
}

std::vector<std::string> valueTypeNames() {
  return wordsByCode(kValueTypes);
}
std::vector<std::string> directionNames() {
  return wordsByCode(kDirections);
}
std::vector<std::string> timeTypeNames() {
  return wordsByCode(kTimeTypes);
}

}  // namespace trel::quorlinsrv
