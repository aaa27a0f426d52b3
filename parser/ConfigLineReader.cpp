// The line reader: turns the lines of a config file into blocks and the leading comment.
#include <algorithm>
#include <boost/algorithm/string/split.hpp>
#include <boost/algorithm/string/trim.hpp>
#include <boost/range/iterator_range.hpp>
#include <cstdint>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "parser/ConfigLineReader.hpp"

namespace trel::quorlinsrv {

// The text of one read and the blocks made from it, whose values view that text. Blocks are made
// in chunks and never move; every block pointer of the read shares the store, so the text lives
// as long as any block.
class BlockStore {
 public:
  explicit BlockStore(std::string text) : text(std::move(text)) {}

  QuorlinServerConfigDpeBlock& newBlock() {
    if (chunks_.empty() || used_ == kChunk) {
      chunks_.push_back(std::make_unique<QuorlinServerConfigDpeBlock[]>(kChunk));
      used_ = 0;
    }
    return chunks_.back()[used_++];
  }

  const std::string text;

 private:
  static constexpr std::size_t kChunk = 256;
  std::vector<std::unique_ptr<QuorlinServerConfigDpeBlock[]>> chunks_;
  std::size_t used_ = 0;
};

namespace {

using TextRange = boost::iterator_range<const char*>;

TextRange rangeOf(std::string_view text) {
  return TextRange(text.data(), text.data() + text.size());
}

std::string_view viewOf(TextRange range) {
  return std::string_view(range.begin(), range.size());
}

// Whitespace of the global locale, classified once per table instead of once per byte: Boost's
// is_space() looks the ctype facet up again for every byte it tests. The global locale cannot
// change while one file is read, so a table built when reading starts answers the same.
class SpaceTable {
 public:
  SpaceTable() {
    const auto& ctype = std::use_facet<std::ctype<char>>(std::locale());
    for (int c = 0; c < 256; ++c) {
      space_[c] = ctype.is(std::ctype_base::space, static_cast<char>(c));
    }
  }
  bool operator()(char c) const { return space_[static_cast<unsigned char>(c)]; }

 private:
  bool space_[256];
};

// The table as a Boost classification predicate (by reference: predicates are copied freely).
struct IsSpace {
  const SpaceTable* table;
  bool operator()(char c) const { return (*table)(c); }
};

// `text` without leading and trailing whitespace; no characters are copied.
std::string_view trimmed(std::string_view text, IsSpace isSpace) {
  return viewOf(boost::algorithm::trim_copy_if(rangeOf(text), isSpace));
}

std::string misplacedCommentMessage(std::uint32_t line) {
  std::ostringstream message;
  message << "Line " << line << ": comments are only allowed at beginning of file";
  return message.str();
}

std::string lineSyntaxMessage(std::string_view text) {
  std::ostringstream message;
  message << "syntax error: found '" << text
          << "' while expecting either Quorlin device name in square brackets (for example: "
             "[Device1]), or key-value pair separated by '"
          << kKeyValueSeparator << "' (for example: dpe=Dp1.Dpe1.Dpe1)";
  return message.str();
}

std::string headerSyntaxMessage(std::uint32_t line, std::string_view text) {
  std::ostringstream message;
  message << "syntax error in line " << line << ": found '" << text
          << "' while expecting either one word (Quorlin device name, like [MyDeviceName]), or 3 "
             "words (Quorlin device name followed by '"
          << kClassIntroducer
          << "' class name introducer followed by class name, like [MyDeviceName "
          << kClassIntroducer << " MyClassName])";
  return message.str();
}

std::string unexpectedKeyMessage(std::uint32_t line, std::string_view key) {
  std::ostringstream message;
  message << "Line " << line << ": unexpected key '" << key << "'";
  return message.str();
}

// The table of the thread that reads; rebuilt when a read starts, so that it follows the global
// locale of that moment.
thread_local SpaceTable readerSpaces;

// The first separator character at or after `from`. With the one-character separator this is a
// single memchr over the line; find_first_of would call memchr once per character of the line.
std::size_t findSeparator(std::string_view text, std::size_t from) {
  if (kKeyValueSeparator.size() == 1) {
    return text.find(kKeyValueSeparator.front(), from);
  }
  return text.find_first_of(kKeyValueSeparator, from);
}

// The whole rest of `input`, read at once: the blocks' values view this one text. Reading stops
// at the end of the input, or at a read error as if the input ended there; a line that the error
// cut short is dropped, as a line-by-line read drops it.
std::string readText(std::istream& input) {
  std::string text;
  std::streambuf* buffer = input.rdbuf();
  if (buffer == nullptr || !input.good()) {
    return text;
  }
  try {
    for (;;) {
      // What the buffer holds, or for a file all that remains: a file is read in one call.
      const std::streamsize available = buffer->in_avail();
      if (available <= 0) {
        if (available < 0 ||
            std::char_traits<char>::eq_int_type(buffer->sgetc(), std::char_traits<char>::eof())) {
          break;
        }
        continue;
      }
      const std::size_t used = text.size();
      text.resize(used + static_cast<std::size_t>(available));
      const std::streamsize got = buffer->sgetn(&text[used], available);
      text.resize(used + static_cast<std::size_t>(got));
    }
  } catch (...) {
    const std::size_t lastLineEnd = text.rfind('\n');
    text.resize(lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1);
  }
  return text;
}

bool isSectionHeader(std::string_view text) {
  return text.size() >= 3 && text.front() == '[' && text.back() == ']';
}

}  // namespace

ConfigLineReader::ConfigLineReader() = default;

ConfigLineReader::~ConfigLineReader() = default;

void ConfigLineReader::read(std::istream& input, BlockList& output) {
  store = std::make_shared<BlockStore>(readText(input));
  currentBlock = &store->newBlock();
  lineNumber = 0;
  comment.clear();
  deviceName = std::string_view();
  className = std::string_view();
  headerError.clear();
  readerSpaces = SpaceTable();
  const IsSpace isSpace{&readerSpaces};
  std::string_view rest = store->text;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    ++lineNumber;
    const std::string_view text = trimmed(line, isSpace);
    if (text.empty()) {
      continue;
    }
    if (text.front() == '#') {
      processComment(line, output);
    } else {
      processLine(text, output);
    }
  }
  finishBlock(output, lineNumber);
  // The blocks keep the store; the reader lets go of it, so it goes with the last block.
  currentBlock = nullptr;
  store.reset();
}

void ConfigLineReader::processComment(std::string_view line, BlockList& output) {
  const bool leading =
      currentBlock->isEmpty() && deviceName.empty() && className.empty() && output.empty();
  if (!leading) {
    currentBlock->addError(lineNumber, misplacedCommentMessage(lineNumber));
    return;
  }
  if (!comment.empty()) {
    comment += '\n';
  }
  comment += line;
}

void ConfigLineReader::processLine(std::string_view trimmedLine, BlockList& output) {
  if (isSectionHeader(trimmedLine)) {
    finishBlock(output, lineNumber - 1);
    parseSectionHeader(trimmedLine.substr(1, trimmedLine.size() - 2));
    return;
  }
  // Split at every separator, without merging: two parts exactly when the line holds one.
  const std::size_t separator = findSeparator(trimmedLine, 0);
  if (separator == std::string_view::npos ||
      findSeparator(trimmedLine, separator + 1) != std::string_view::npos) {
    currentBlock->addError(lineNumber, lineSyntaxMessage(trimmedLine));
    return;
  }
  const IsSpace isSpace{&readerSpaces};
  processKeyValue(trimmed(trimmedLine.substr(0, separator), isSpace),
                  trimmed(trimmedLine.substr(separator + 1), isSpace), output);
}

bool ConfigLineReader::parseSectionHeader(std::string_view text) {
  deviceName = std::string_view();
  className = std::string_view();
  headerError.clear();
  const IsSpace isSpace{&readerSpaces};
  const std::string_view inner = trimmed(text, isSpace);
  std::vector<TextRange> words;
  words.reserve(3);
  boost::algorithm::split(words, rangeOf(inner), isSpace, boost::algorithm::token_compress_off);
  if (words.size() == 1) {
    deviceName = viewOf(words[0]);
    return true;
  }
  if (words.size() == 3 && viewOf(words[1]) == kClassIntroducer) {
    deviceName = viewOf(words[0]);
    className = viewOf(words[2]);
    return true;
  }
  headerError = headerSyntaxMessage(lineNumber, inner);
  return false;
}

bool ConfigLineReader::processKeyValue(std::string_view key, std::string_view value,
                                       BlockList& output) {
  const AttributeRow* row = findFileKey(key);
  if (row == nullptr) {
    currentBlock->addError(lineNumber, unexpectedKeyMessage(lineNumber, key));
    return false;
  }
  if (row->index == kDpe) {
    finishBlock(output, lineNumber - 1);  // a "dpe" line begins a new block
  }
  currentBlock->setAttribute(lineNumber, row->index, value);
  return true;
}

// A malformed header with nothing under it closes no block, so its message is reported nowhere:
// header messages exist only as attribute errors of the blocks under the header.
void ConfigLineReader::finishBlock(BlockList& output, std::uint32_t closingLine) {
  if (currentBlock->isEmpty()) {
    return;
  }
  currentBlock->setAttribute(closingLine, kDeviceName, deviceName);
  currentBlock->setAttribute(closingLine, kClassName, className);
  if (!headerError.empty()) {
    for (AttributeIndex index : {kClassName, kDeviceName}) {
      if (currentBlock->attributeError(index).empty()) {
        currentBlock->setAttributeError(index, headerError);
      }
    }
  }
  output.emplace_back(store, currentBlock);  // shares the store, points at the block
  currentBlock = &store->newBlock();
}

}  // namespace trel::quorlinsrv
