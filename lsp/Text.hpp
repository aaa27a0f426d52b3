// The editor's text as the protocol addresses it: lines, UTF-16 columns, ranges, edits and file
// URIs, and the request errors that every handler may answer with.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "config/AttributeIndex.hpp"
#include "parser/ConfigLine.hpp"

namespace trel::quorlinsrv::lsp {

using Json = nlohmann::json;

// JSON-RPC and protocol error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

// A request that is answered with this error rather than a result.
struct RpcError : std::runtime_error {
  RpcError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
  int code;
};

// The lines of `text` without their line ends (LF or CR LF).
std::vector<std::string_view> splitLines(const std::string& text);
// The number of UTF-16 code units in the UTF-8 bytes `bytes` (the protocol's column unit).
std::size_t utf16Length(std::string_view bytes);
// The byte offset in `line` of the UTF-16 column `column` (clamped to the line).
std::size_t byteOffset(std::string_view line, std::size_t column);
// The UTF-16 column (0-based) of the character column `column` (1-based, counting UTF-8
// sequences) of `line`; past its end, the line's end.
std::size_t utf16Column(std::string_view line, unsigned column);
// The value of `field` of `object`: a non-negative integer, or invalid params.
std::size_t unsignedField(const Json& object, const char* field);

Json position(std::size_t line, std::size_t character);
Json range(std::size_t line, std::size_t start, std::size_t end);
// An edit that puts `text` (a string) in place of the range `where`.
Json textEdit(const Json& where, Json text);
// A quick fix of the document `uri` that ends `diagnostic` with the edit `edit`.
Json quickFix(const std::string& title, const std::string& uri, const Json& diagnostic, Json edit);

// The local path of a file:// URI, percent-decoded; "" for other schemes.
std::string pathOfUri(const std::string& uri);

// Lines are read with the module's grammar, in the global locale of the session.
const LineGrammar& grammar();
std::string_view fileKey(AttributeIndex attribute);
bool containsNoCase(std::string_view text, std::string_view part);

}  // namespace trel::quorlinsrv::lsp
