// The line reader: turns the lines of a config file into blocks and the leading comment.
#include <sys/mman.h>

#include <algorithm>
#include <boost/algorithm/string/split.hpp>
#include <boost/algorithm/string/trim.hpp>
#include <boost/range/iterator_range.hpp>
#include <cstdint>
#include <cstdlib>
#include <locale>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "parser/QuorlinServerConfigParser.hpp"

namespace trel::quorlinsrv {

// Memory for the blocks of one read, handed out in file order from a few large chunks and given
// back all at once when the last block is gone. Blocks are never freed one by one before that,
// so a malloc call per block (and its scattered first-touch page faults) buys nothing.
class BlockArena {
 public:
  BlockArena() = default;
  BlockArena(const BlockArena&) = delete;
  BlockArena& operator=(const BlockArena&) = delete;
  ~BlockArena() {
    for (void* chunk : chunks_) {
      std::free(chunk);
    }
  }

  void* allocate(std::size_t bytes, std::size_t alignment) {
    std::size_t skip = paddingFor(alignment);
    if (next_ == nullptr || skip + bytes > left_) {
      newChunk(bytes + alignment);
      skip = paddingFor(alignment);
    }
    char* memory = next_ + skip;
    next_ = memory + bytes;
    left_ -= skip + bytes;
    return memory;
  }

 private:
  static constexpr std::size_t kFirstChunk = std::size_t{64} << 10;
  // From this size on a chunk is aligned to, and advised as, transparent huge pages: one fault
  // then maps 2 MiB instead of 4 KiB.
  static constexpr std::size_t kHugeChunk = std::size_t{2} << 20;
  static constexpr std::size_t kLastChunk = std::size_t{32} << 20;

  std::size_t paddingFor(std::size_t alignment) const {
    return (alignment - reinterpret_cast<std::uintptr_t>(next_) % alignment) % alignment;
  }

  void newChunk(std::size_t atLeast) {
    std::size_t size = chunkSize_;
    while (size < atLeast) {
      size *= 2;
    }
    chunkSize_ = std::min(size * 2, std::max(size, kLastChunk));
    void* chunk = size >= kHugeChunk ? std::aligned_alloc(kHugeChunk, size) : std::malloc(size);
    if (chunk == nullptr) {
      throw std::bad_alloc();
    }
#ifdef MADV_HUGEPAGE
    if (size >= kHugeChunk) {
      madvise(chunk, size, MADV_HUGEPAGE);  // only advice: without it the chunk works the same
    }
#endif
    chunks_.push_back(chunk);
    next_ = static_cast<char*>(chunk);
    left_ = size;
  }

  std::vector<void*> chunks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t chunkSize_ = kFirstChunk;
};

namespace {

// Allocates from a shared arena; the copy in each block's control block keeps the arena alive.
template <typename T>
struct ArenaAllocator {
  using value_type = T;

  explicit ArenaAllocator(std::shared_ptr<BlockArena> arena) : arena(std::move(arena)) {}
  template <typename U>
  ArenaAllocator(const ArenaAllocator<U>& other) : arena(other.arena) {}  // NOLINT: rebinding

  T* allocate(std::size_t count) {
    return static_cast<T*>(arena->allocate(count * sizeof(T), alignof(T)));
  }
  void deallocate(T*, std::size_t) noexcept {}

  template <typename U>
  bool operator==(const ArenaAllocator<U>& other) const {
    return arena == other.arena;
  }
  template <typename U>
  bool operator!=(const ArenaAllocator<U>& other) const {
    return arena != other.arena;
  }

  std::shared_ptr<BlockArena> arena;
};

std::shared_ptr<QuorlinServerConfigDpeBlock> newBlock(const std::shared_ptr<BlockArena>& arena) {
  return std::allocate_shared<QuorlinServerConfigDpeBlock>(
      ArenaAllocator<QuorlinServerConfigDpeBlock>(arena));
}

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

struct KeyRule {
  std::string_view key;
  AttributeIndex index;
  bool beginsBlock;
};

// The keys of an attribute line; a "dpe" line begins a new block once the current one holds
// something.
constexpr KeyRule kKeyRules[] = {
    {"dpe", kDpe, true},
    {"alias", kAlias, false},
    {"property", kProperty, false},
    {"direction", kDirection, false},
    {"value", kValue, false},
    {"time", kTime, false},
};

const KeyRule* findKeyRule(std::string_view key) {
  for (const KeyRule& rule : kKeyRules) {
    if (rule.key == key) {
      return &rule;
    }
  }
  return nullptr;
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

bool isSectionHeader(std::string_view text) {
  return text.size() >= 3 && text.front() == '[' && text.back() == ']';
}

}  // namespace

void QuorlinServerConfigParser::readLines(BlockList& output) {
  readLines(file, output);
}

void QuorlinServerConfigParser::readLines(std::istream& input, BlockList& output) {
  blockArena = std::make_shared<BlockArena>();
  currentBlock = newBlock(blockArena);
  lineNumber = 0;
  comment.clear();
  readerSpaces = SpaceTable();
  const IsSpace isSpace{&readerSpaces};
  std::string line;  // reused for every line
  while (std::getline(input, line)) {
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
  // The blocks keep the arena; the parser lets go of it, so the arena goes with the last block.
  currentBlock = std::make_shared<QuorlinServerConfigDpeBlock>();
  blockArena.reset();
}

void QuorlinServerConfigParser::processComment(const std::string& line, BlockList& output) {
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

void QuorlinServerConfigParser::processLine(std::string_view trimmedLine, BlockList& output) {
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

bool QuorlinServerConfigParser::parseSectionHeader(std::string_view text) {
  deviceName.clear();
  className.clear();
  headerError.clear();
  const IsSpace isSpace{&readerSpaces};
  const std::string_view inner = trimmed(text, isSpace);
  std::vector<TextRange> words;
  words.reserve(3);
  boost::algorithm::split(words, rangeOf(inner), isSpace, boost::algorithm::token_compress_off);
  if (words.size() == 1) {
    deviceName.assign(viewOf(words[0]));
    return true;
  }
  if (words.size() == 3 && viewOf(words[1]) == kClassIntroducer) {
    deviceName.assign(viewOf(words[0]));
    className.assign(viewOf(words[2]));
    return true;
  }
  headerError = headerSyntaxMessage(lineNumber, inner);
  return false;
}

bool QuorlinServerConfigParser::processKeyValue(std::string_view key, std::string_view value,
                                                BlockList& output) {
  const KeyRule* rule = findKeyRule(key);
  if (rule == nullptr) {
    currentBlock->addError(lineNumber, unexpectedKeyMessage(lineNumber, key));
    return false;
  }
  if (rule->beginsBlock) {
    finishBlock(output, lineNumber - 1);
  }
  currentBlock->setAttribute(lineNumber, rule->index, value);
  return true;
}

// A malformed header with nothing under it closes no block, so its message is reported nowhere:
// header messages exist only as attribute errors of the blocks under the header.
void QuorlinServerConfigParser::finishBlock(BlockList& output, std::uint32_t closingLine) {
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
  output.push_back(currentBlock);
  currentBlock = newBlock(blockArena);
}

}  // namespace trel::quorlinsrv
