#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "common/Formats.hpp"

namespace trel::quorlinsrv {

namespace {

using Json = nlohmann::ordered_json;

// Writes the report as it goes, laid out as nlohmann's dump with an indent of two spaces lays
// it out: no tree of the whole report and no string of the whole text. Strings that need
// escaping or may hold invalid UTF-8 still go through nlohmann, so every byte stays as before.
// Dumping each block as a small nlohmann value through its serializer instead gave the same bytes
// but cost 12 % more processor time of the whole JSON run at 100,000 blocks (median of 8 runs,
// 1.82 s against 1.62 s; fastest 1.50 s against 1.11 s), above the 10 % that the library was
// worth here.
class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;
  ~JsonWriter() { flush(); }

  // "{" or "[": the first member follows on a new line, one level deeper.
  void open(char bracket) {
    buffer_ += bracket;
    ++depth_;
    first_ = true;
  }
  // "}" or "]" on a line of its own; an empty one closes right after its opening bracket.
  void close(char bracket) {
    --depth_;
    if (!first_)
      newLine();
    buffer_ += bracket;
    first_ = false;
    if (buffer_.size() >= kFlushSize)
      flush();
  }
  // Starts the next member of an object ("key": ) or of an array (no key). Names are the
  // program's own printable ASCII, which needs no escaping.
  void key(std::string_view name) {
    element();
    buffer_ += '"';
    buffer_ += name;
    buffer_ += "\": ";
  }
  void element() {
    if (!first_)
      buffer_ += ',';
    newLine();
    first_ = false;
  }

  void string(std::string_view text) {
    if (isPlain(text)) {
      buffer_ += '"';
      buffer_ += text;
      buffer_ += '"';
    } else {
      buffer_ += Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
    }
  }
  void raw(std::string_view text) { buffer_ += text; }
  void boolean(bool value) { buffer_ += value ? "true" : "false"; }
  // A member of an object that holds a string or a number.
  void member(std::string_view name, std::string_view text) {
    key(name);
    string(text);
  }
  void member(std::string_view name, int value) {
    key(name);
    buffer_ += std::to_string(value);
  }

  void flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kFlushSize = std::size_t{1} << 16;

  // Printable ASCII other than '"' and '\\' is written as it is by every escaping rule.
  static bool isPlain(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte >= 0x20 && byte < 0x7f && c != '"' && c != '\\';
    });
  }

  void newLine() {
    buffer_ += '\n';
    buffer_.append(2 * depth_, ' ');
  }

  std::ostream& out_;
  std::string buffer_;
  std::size_t depth_ = 0;
  bool first_ = true;
};

void writeChecked(JsonWriter& json, const CheckedText& value) {
  json.open('{');
  json.member("text", value.text);
  json.key("ok");
  json.boolean(value.ok);
  json.member("error", value.error);
  json.close('}');
}

void writeBlock(JsonWriter& json, const BlockOutcome& block) {
  json.open('{');
  for (std::size_t f = 0; f < kBlockFieldCount; ++f) {
    json.key(blockFieldKey(static_cast<BlockField>(f)));
    writeChecked(json, block.fields[f]);
  }
  json.member(kSyntaxKey, block.syntax);
  json.close('}');
}

// `[`, each item written by `write`, `]`.
template <typename Item, typename Write>
void writeArray(JsonWriter& json, const std::vector<Item>& items, Write write) {
  json.open('[');
  for (const Item& item : items) {
    json.element();
    write(json, item);
  }
  json.close(']');
}

void writeFinding(JsonWriter& json, const Finding& finding) {
  json.open('{');
  json.member("line", static_cast<int>(finding.line));
  json.member("column", static_cast<int>(finding.column));
  json.member("endLine", static_cast<int>(finding.endLine));
  json.member("endColumn", static_cast<int>(finding.endColumn));
  json.member("key", finding.key);
  json.member("message", finding.message);
  json.member("device", finding.device);
  json.member("property", finding.property);
  json.key("notes");
  writeArray(json, finding.notes, [](JsonWriter& out, const Note& note) {
    out.open('{');
    out.member("text", note.text);
    out.member("suggestion", note.suggestion);
    out.close('}');
  });
  json.close('}');
}

void writeFile(JsonWriter& json, const FileReport& file) {
  const FileOutcome& outcome = file.outcome;
  json.open('{');
  json.member("file", outcome.file);
  json.member("result", outcome.result);
  json.member("errMsg", outcome.errMsg);
  json.member(kCommentKey, outcome.comment);
  json.key("blocks");
  writeArray(json, outcome.blocks, writeBlock);
  json.key("findings");
  writeArray(json, file.findings, writeFinding);
  json.close('}');
}

class JsonFormatWriter : public FormatWriter {
 public:
  JsonFormatWriter(const Report& header, std::ostream& out) : json_(out) {
    json_.open('{');
    json_.member("module", header.moduleVersion);
    json_.key("files");
    json_.open('[');
  }

  void file(const FileReport& file) override {
    json_.element();
    writeFile(json_, file);
  }

  void finish(const RunTotals&) override {
    json_.close(']');
    json_.close('}');
    json_.raw("\n");
    json_.flush();
  }

 private:
  JsonWriter json_;
};

}  // namespace

std::unique_ptr<FormatWriter> makeJsonWriter(const Report& header, std::ostream& out) {
  return std::make_unique<JsonFormatWriter>(header, out);
}

}  // namespace trel::quorlinsrv
