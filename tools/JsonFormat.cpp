#include <nlohmann/json.hpp>

#include "tools/Formats.hpp"

namespace trel::quorlinsrv {

namespace {

using Json = nlohmann::ordered_json;

Json checkedJson(const CheckedText& value) {
  return Json{{"text", value.text}, {"ok", value.ok}, {"error", value.error}};
}

Json blockJson(const BlockOutcome& block) {
  Json json = Json::object();
  for (std::size_t f = 0; f < kBlockFieldCount; ++f)
    json[blockFieldKey(static_cast<BlockField>(f))] = checkedJson(block.fields[f]);
  json[kSyntaxKey] = block.syntax;
  return json;
}

}  // namespace

void writeJson(const Report& report, std::ostream& out) {
  Json files = Json::array();
  for (const FileReport& file : report.files) {
    const FileOutcome& outcome = file.outcome;
    Json blocks = Json::array();
    for (const BlockOutcome& block : outcome.blocks)
      blocks.push_back(blockJson(block));
    files.push_back(Json{{"file", outcome.file},
                         {"result", outcome.result},
                         {"errMsg", outcome.errMsg},
                         {"comment", outcome.comment},
                         {"blocks", std::move(blocks)}});
  }
  Json json{{"module", report.moduleVersion}, {"files", std::move(files)}};
  out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace trel::quorlinsrv
