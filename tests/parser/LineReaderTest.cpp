#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "parser/QuorlinServerConfigParser.hpp"
#include "tests/parser/ReaderMessages.hpp"

namespace trel::quorlinsrv {
namespace {

using test::headerMessage;
using test::lineSyntaxMessage;
using test::misplacedCommentMessage;
using test::unexpectedKeyMessage;

struct Read {
  QuorlinServerConfigParser::BlockList blocks;
  std::string comment;
};

Read readText(const std::string& text) {
  QuorlinServerConfigParser parser;
  std::istringstream input(text);
  Read read;
  parser.readLines(input, read.blocks);
  read.comment = parser.comment;
  return read;
}

struct HeaderRow {
  const char* header;
  std::string device;
  std::string className;
  std::string malformedText;  // the trimmed inner text a header message quotes; "" if well-formed
};

const HeaderRow kHeaderRows[] = {
    {"[Dev1 _instance_of_ Pump]", "Dev1", "Pump", ""},
    {"[Dev1]", "Dev1", "", ""},
    {"[ Dev1 ]", "Dev1", "", ""},
    {"  [Dev1]\t", "Dev1", "", ""},
    {"[Dev1\t_instance_of_\tPump]", "Dev1", "Pump", ""},
    {"[ ]", "", "", ""},
    {"[a=b]", "a=b", "", ""},
    {"[Dev1  _instance_of_ Pump]", "", "", "Dev1  _instance_of_ Pump"},
    {"[Dev1 : Pump]", "", "", "Dev1 : Pump"},
    {"[Dev1 _Instance_Of_ Pump]", "", "", "Dev1 _Instance_Of_ Pump"},
    {"[Dev1 Pump]", "", "", "Dev1 Pump"},
    {"[  Dev1 _instance_of_ Pump extra ]", "", "", "Dev1 _instance_of_ Pump extra"},
};

TEST(LineReaderTest, SectionHeaderNamesDeviceAndClassOfItsBlocks) {
  for (const HeaderRow& row : kHeaderRows) {
    SCOPED_TRACE(row.header);
    const Read read = readText(std::string(row.header) + "\ndpe=x\n");
    ASSERT_EQ(read.blocks.size(), 1u);
    const auto& block = *read.blocks[0];
    EXPECT_EQ(block.attributeValue(kDeviceName), row.device);
    EXPECT_EQ(block.attributeValue(kClassName), row.className);
    const std::string expectedError =
        row.malformedText.empty() ? "" : headerMessage(1, row.malformedText);
    EXPECT_EQ(block.attributeError(kDeviceName), expectedError);
    EXPECT_EQ(block.attributeError(kClassName), expectedError);
    EXPECT_EQ(block.blockError(), "");
    EXPECT_EQ(block.firstLine, 2u);
    EXPECT_EQ(block.lastLine, 2u);
  }
}

// One line after "[Dev]" (so on line 2): what it records on the block.
struct KeyLineRow {
  const char* line;
  int index;  // attribute that gets the value, or -1 when the line draws a block error
  std::string valueOrError;
};

const KeyLineRow kKeyLineRows[] = {
    {"dpe = PS1.voltage", kDpe, "PS1.voltage"},
    {"dpe=", kDpe, ""},
    {"alias=a b", kAlias, "a b"},
    {"  property \t=\t Speed  ", kProperty, "Speed"},
    {"direction=in/out", kDirection, "in/out"},
    {"value=float", kValue, "float"},
    {"time=none", kTime, "none"},
    {"dpe=a=b", -1, lineSyntaxMessage("dpe=a=b")},
    {"dpe", -1, lineSyntaxMessage("dpe")},
    {"[]", -1, lineSyntaxMessage("[]")},
    {"[Dev2", -1, lineSyntaxMessage("[Dev2")},
    {"dpe==x", -1, lineSyntaxMessage("dpe==x")},
    {"DPE=x", -1, unexpectedKeyMessage(2, "DPE")},
    {"=x", -1, unexpectedKeyMessage(2, "")},
    {"a=b]", -1, unexpectedKeyMessage(2, "a")},
    {"class = Pump", -1, unexpectedKeyMessage(2, "class")},
};

TEST(LineReaderTest, KeyLineRecordsOneAttributeOrABlockError) {
  for (const KeyLineRow& row : kKeyLineRows) {
    SCOPED_TRACE(row.line);
    const Read read = readText(std::string("[Dev]\n") + row.line + "\n");
    ASSERT_EQ(read.blocks.size(), 1u);
    const auto& block = *read.blocks[0];
    for (std::int32_t i = kDpe; i <= kTime; ++i) {
      const auto index = static_cast<AttributeIndex>(i);
      const bool expected = i == row.index;
      EXPECT_EQ(block.attributeCount(index), expected ? 1u : 0u) << "attribute " << i;
      if (expected) {
        EXPECT_EQ(block.attributeValue(index), row.valueOrError);
      }
    }
    EXPECT_EQ(block.blockError(), row.index < 0 ? row.valueOrError : "");
    EXPECT_EQ(block.attributeValue(kDeviceName), "Dev");
    EXPECT_EQ(block.firstLine, 2u);
    EXPECT_EQ(block.lastLine, 2u);
  }
}

struct CommentRow {
  const char* what;
  std::string text;
  std::string comment;
  std::size_t blocks;
  std::string firstBlockError;
};

const CommentRow kCommentRows[] = {
    {"blank lines between", "#a\n\n#b\n", "#a\n#b", 0, ""},
    {"indented, kept untrimmed", "  #x\n#y", "  #x\n#y", 0, ""},
    {"carriage returns kept", "#a\r\n#b\r\n", "#a\r\n#b\r", 0, ""},
    {"empty file", "", "", 0, ""},
    {"blank lines only", "\n \t\n\r\n", "", 0, ""},
    {"after a header", "#a\n[Dev1]\n#b\n", "#a", 1, misplacedCommentMessage(3)},
    {"after a key line", "dpe=x\n#c\n", "", 1, misplacedCommentMessage(2)},
    {"after a malformed header", "[a b]\n#c\n", "#c", 0, ""},
};

TEST(LineReaderTest, LeadingCommentLinesFormTheComment) {
  for (const CommentRow& row : kCommentRows) {
    SCOPED_TRACE(row.what);
    const Read read = readText(row.text);
    EXPECT_EQ(read.comment, row.comment);
    ASSERT_EQ(read.blocks.size(), row.blocks);
    if (row.blocks > 0) {
      EXPECT_EQ(read.blocks[0]->blockError(), row.firstBlockError);
    }
  }
}

TEST(LineReaderTest, CommentBeforeTheFirstKeyMakesABlockOfItsOwn) {
  const Read read = readText("[Dev1]\n# note\ndpe=x\n");
  ASSERT_EQ(read.blocks.size(), 2u);
  EXPECT_EQ(read.blocks[0]->blockError(), misplacedCommentMessage(2));
  EXPECT_EQ(read.blocks[0]->attributeValue(kDeviceName), "Dev1");
  EXPECT_EQ(read.blocks[0]->firstLine, 2u);
  EXPECT_EQ(read.blocks[0]->lastLine, 2u);
  EXPECT_EQ(read.blocks[1]->attributeValue(kDpe), "x");
}

struct RangeRow {
  const char* what;
  std::string text;
  std::vector<std::pair<unsigned, unsigned>> ranges;
};

const RangeRow kRangeRows[] = {
    {"two dpe lines in a row", "dpe=a\ndpe=b\n", {{1, 1}, {2, 2}}},
    {"trailing blank lines belong to the last block", "[D]\ndpe=a\n\n\n", {{2, 4}}},
    {"blank line before a header", "[D]\ndpe=a\nvalue=v\n\n[E]\ndpe=b", {{2, 4}, {6, 6}}},
    {"no line feed at the end", "dpe=a\nproperty=x", {{1, 2}}},
    {"alias does not begin a block", "alias=a\nproperty=p\nalias=b\n", {{1, 3}}},
    {"dpe after alias begins one", "alias=a\nproperty=p\ndpe=b\n", {{1, 2}, {3, 3}}},
    {"header with nothing before it", "[D]\n[E]\ndpe=a\n", {{3, 3}}},
    {"key lines before the first header", "dpe=a\n[D]\ndpe=b\n", {{1, 1}, {3, 3}}},
};

TEST(LineReaderTest, BlocksSpanFromTheirFirstLineToTheLineBeforeTheNextStart) {
  for (const RangeRow& row : kRangeRows) {
    SCOPED_TRACE(row.what);
    const Read read = readText(row.text);
    ASSERT_EQ(read.blocks.size(), row.ranges.size());
    for (std::size_t i = 0; i < row.ranges.size(); ++i) {
      EXPECT_EQ(read.blocks[i]->firstLine, row.ranges[i].first) << "block " << i + 1;
      EXPECT_EQ(read.blocks[i]->lastLine, row.ranges[i].second) << "block " << i + 1;
    }
  }
}

TEST(LineReaderTest, RepeatedAliasStaysInOneBlockWithItsFirstValue) {
  const Read read = readText("[D]\nalias=a\nalias=b\n");
  ASSERT_EQ(read.blocks.size(), 1u);
  EXPECT_EQ(read.blocks[0]->attributeValue(kAlias), "a");
  EXPECT_EQ(read.blocks[0]->attributeCount(kAlias), 2u);
}

TEST(LineReaderTest, MalformedHeaderWithBlocksGetsNoExtraBlock) {
  const Read read = readText("[a b]\ndpe=x\ndpe=y\n");
  ASSERT_EQ(read.blocks.size(), 2u);
  for (const auto& block : read.blocks) {
    EXPECT_EQ(block->attributeError(kDeviceName), headerMessage(1, "a b"));
  }
}

// Serves `text`, then fails the way a device error does.
class FailingBuffer : public std::streambuf {
 public:
  explicit FailingBuffer(std::string text) : text_(std::move(text)) {}

 protected:
  int_type underflow() override {
    if (served_) {
      throw std::runtime_error("read error");
    }
    served_ = true;
    setg(text_.data(), text_.data(), text_.data() + text_.size());
    return traits_type::to_int_type(text_[0]);
  }

 private:
  std::string text_;
  bool served_ = false;
};

TEST(LineReaderTest, ReadErrorEndsTheInputLikeTheEndOfTheFile) {
  FailingBuffer buffer("[D]\ndpe=a\nproperty=p\nvalue=lo");
  std::istream input(&buffer);
  QuorlinServerConfigParser parser;
  QuorlinServerConfigParser::BlockList blocks;
  parser.readLines(input, blocks);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0]->attributeValue(kProperty), "p");
  EXPECT_EQ(blocks[0]->attributeCount(kValue), 0u);
  EXPECT_EQ(blocks[0]->lastLine, 3u);
}

}  // namespace
}  // namespace trel::quorlinsrv
