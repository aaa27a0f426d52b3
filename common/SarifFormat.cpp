#include <nlohmann/json.hpp>

#include "common/Formats.hpp"
#include "config/AttributeIndex.hpp"
#include "platform/Files.hpp"

namespace trel::quorlinsrv {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kSarifSchema = "https://json.schemastore.org/sarif-2.1.0.json";

// What each key's findings are about, in the order of the rules: the attributes in the order of
// their table, then the block's own error and the file as a whole.
struct RuleText {
  std::string_view id;
  const char* description;
};
constexpr RuleText kRules[] = {
    {attributeRow(kClassName).resultKey,
     "Device class of the section header, and consistency of devices of one class"},
    {attributeRow(kDeviceName).resultKey,
     "Quorlin device name of the section header, unique in the file"},
    {attributeRow(kProperty).resultKey, "Property name, mandatory and unique within its device"},
    {attributeRow(kAlias).resultKey,
     "Alias of the data point element, known to the data point configuration"},
    {attributeRow(kDpe).resultKey,
     "Data point element: existing, a leaf, convertible to the declared data type"},
    {attributeRow(kDirection).resultKey, "Direction of the data flow: one of the allowed words"},
    {attributeRow(kValue).resultKey, "Data type of the value: one of the allowed words"},
    {attributeRow(kTime).resultKey, "Time type of the time stamp: one of the allowed words"},
    {kSyntaxKey, "Syntax of each line of the config file"},
    {kFileKey, "The config file as a whole: readable, holding a configuration"},
};

std::size_t ruleIndex(const std::string& key) {
  for (std::size_t i = 0; i < std::size(kRules); ++i) {
    if (key == kRules[i].id)
      return i;
  }
  return std::size(kRules) - 1;  // unreachable: every finding's key has a rule
}

Json physicalLocation(const std::string& file, std::size_t artifact, Json region) {
  Json location{{"artifactLocation", {{"uri", pathToUri(file)}, {"index", artifact}}}};
  if (!region.empty())
    location["region"] = std::move(region);
  return Json{{"physicalLocation", std::move(location)}};
}

// The text at fault as the result's location; the block's lines and the notes as related
// locations.
Json resultJson(const Finding& finding, std::size_t artifact) {
  ShownPosition at = shownPosition(finding);
  Json region = Json::object();
  if (at.line > 0) {
    region["startLine"] = at.line;
    if (at.column > 0)
      region["startColumn"] = at.column;
    region["endLine"] = at.endLine;
    if (at.column > 0)
      region["endColumn"] = at.endColumn;
  }
  Json related = Json::array();
  if (finding.firstLine > 0 && finding.line > 0) {
    Json block = physicalLocation(finding.file, artifact,
                                  {{"startLine", finding.firstLine},
                                   {"endLine", std::max(finding.firstLine, finding.lastLine)}});
    block["id"] = related.size();
    block["message"] = {{"text", "the block"}};
    related.push_back(std::move(block));
  }
  for (const Note& note : finding.notes) {
    Json location = physicalLocation(finding.file, artifact, region);
    location["id"] = related.size();
    location["message"] = {{"text", note.text}};
    related.push_back(std::move(location));
  }
  std::size_t rule = ruleIndex(finding.key);
  Json result{{"ruleId", kRules[rule].id},
              {"ruleIndex", rule},
              {"level", "error"},
              {"message", {{"text", headedMessage(finding)}}},
              {"locations", Json::array({physicalLocation(finding.file, artifact, region)})}};
  if (!related.empty())
    result["relatedLocations"] = std::move(related);
  return result;
}

}  // namespace

std::string pathToUri(const std::string& path) {
  std::string local = platform::uriPathOf(path);
  std::string uri = platform::isAbsolutePath(path) ? "file://" : "";
  // A Windows drive keeps its colon: file:///C:/x.cfg.
  std::size_t drive = local != path && local.size() > 2 && local[2] == ':' ? 2 : std::string::npos;
  for (std::size_t at = 0; at < local.size(); ++at) {
    unsigned char c = static_cast<unsigned char>(local[at]);
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '-' || c == '.' || c == '_' || c == '~' || c == '/' || at == drive;
    if (keep)
      uri += static_cast<char>(c);
    else
      appendPercentEncoded(uri, c);
  }
  return uri;
}

namespace {

// The SARIF log around the results, which are written one by one as the files come: everything
// before the results is written first, the artifacts (one per file) after them.
class SarifWriter : public FormatWriter {
 public:
  SarifWriter(const Report& header, std::ostream& out) : out_(out) {
    Json rules = Json::array();
    for (const RuleText& rule : kRules) {
      rules.push_back(Json{{"id", rule.id},
                           {"shortDescription", {{"text", rule.description}}},
                           {"defaultConfiguration", {{"level", "error"}}}});
    }
    Json driver{{"name", header.programName},
                {"version", header.programVersion},
                {"rules", std::move(rules)}};
    Json module{{"name", "QuorlinServerConfigValidator"}, {"version", header.moduleVersion}};
    Json tool{{"driver", std::move(driver)}, {"extensions", Json::array({module})}};
    out_ << "{\n  \"$schema\": \"" << kSarifSchema
         << "\",\n  \"version\": \"2.1.0\",\n  \"runs\": [\n    {\n"
         << "      \"columnKind\": \"unicodeCodePoints\",\n      \"tool\": " << indented(tool, 6)
         << ",\n      \"results\": [";
  }

  void file(const FileReport& file) override {
    std::size_t artifact = artifacts_.size();
    artifacts_.push_back(Json{{"location", {{"uri", pathToUri(file.outcome.file)}}}});
    for (const Finding& finding : file.findings) {
      out_ << (anyResult_ ? ",\n        " : "\n        ")
           << indented(resultJson(finding, artifact), 8);
      anyResult_ = true;
    }
  }

  void finish(const RunTotals&) override {
    out_ << (anyResult_ ? "\n      ]" : "]")
         << ",\n      \"artifacts\": " << indented(artifacts_, 6) << "\n    }\n  ]\n}\n";
  }

 private:
  // `value` as dump(2) lays it out, every line after the first indented by `depth` spaces.
  static std::string indented(const Json& value, std::size_t depth) {
    std::string text = value.dump(2, ' ', false, Json::error_handler_t::replace);
    std::string margin = "\n" + std::string(depth, ' ');
    for (std::size_t at = text.find('\n'); at != std::string::npos;
         at = text.find('\n', at + margin.size()))
      text.replace(at, 1, margin);
    return text;
  }

  std::ostream& out_;
  Json artifacts_ = Json::array();
  bool anyResult_ = false;
};

}  // namespace

std::unique_ptr<FormatWriter> makeSarifWriter(const Report& header, std::ostream& out) {
  return std::make_unique<SarifWriter>(header, out);
}

}  // namespace trel::quorlinsrv
