// The line reader: turns the lines of a config file into blocks and the leading comment.
#include <algorithm>
#include <utility>

#include "config/MessageForm.hpp"
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

constexpr MessageForm<1> kMisplacedComment{
    {"Line ", ": comments are only allowed at beginning of file"}};
constexpr MessageForm<2> kLineSyntax{
    {"syntax error: found '",
     "' while expecting either Quorlin device name in square brackets (for example: [Device1]), "
     "or key-value pair separated by '",
     "' (for example: dpe=Dp1.Dpe1.Dpe1)"}};
constexpr MessageForm<4> kHeaderSyntax{
    {"syntax error in line ", ": found '",
     "' while expecting either one word (Quorlin device name, like [MyDeviceName]), or 3 words "
     "(Quorlin device name followed by '",
     "' class name introducer followed by class name, like [MyDeviceName ", " MyClassName])"}};
constexpr MessageForm<2> kUnexpectedKey{{"Line ", ": unexpected key '", "'"}};

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

}  // namespace

void ConfigLineReader::read(std::istream& input, BlockList& output) {
  store = std::make_shared<BlockStore>(readText(input));
  currentBlock = &store->newBlock();
  const LineGrammar grammar;  // the global locale of this read
  std::string_view rest = store->text;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    ++lineNumber;
    const ConfigLine read = grammar.read(line);
    if (read.kind == LineKind::kComment) {
      processComment(line, output);
    } else if (read.kind != LineKind::kBlank) {
      processLine(read, output);
    }
  }
  finishBlock(output, lineNumber);
}

void ConfigLineReader::processComment(std::string_view line, BlockList& output) {
  const bool leading =
      currentBlock->isEmpty() && deviceName.empty() && className.empty() && output.empty();
  if (!leading) {
    currentBlock->addError(lineNumber, kMisplacedComment(lineNumber));
    return;
  }
  if (!comment.empty()) {
    comment += '\n';
  }
  comment += line;
}

void ConfigLineReader::processLine(const ConfigLine& line, BlockList& output) {
  if (line.kind == LineKind::kHeader) {
    finishBlock(output, lineNumber - 1);
    // The header in force: its names, or its message when it is malformed.
    deviceName = line.deviceName();
    className = line.className();
    headerError = line.wellFormed()
                      ? std::string()
                      : kHeaderSyntax(lineNumber, line.inside, kClassIntroducer, kClassIntroducer);
  } else if (line.kind == LineKind::kKeyValue) {
    processKeyValue(line.key, line.value, output);
  } else {
    currentBlock->addError(lineNumber, kLineSyntax(line.text, kKeyValueSeparator));
  }
}

void ConfigLineReader::processKeyValue(std::string_view key, std::string_view value,
                                       BlockList& output) {
  const AttributeRow* row = findFileKey(key);
  if (row == nullptr) {
    currentBlock->addError(lineNumber, kUnexpectedKey(lineNumber, key));
    return;
  }
  if (row->index == kDpe) {
    finishBlock(output, lineNumber - 1);  // a "dpe" line begins a new block
  }
  currentBlock->setAttribute(lineNumber, row->index, value);
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
