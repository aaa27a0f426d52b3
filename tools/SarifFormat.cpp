#include <nlohmann/json.hpp>

#include "tools/Formats.hpp"

namespace trel::quorlinsrv {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kSarifSchema = "https://json.schemastore.org/sarif-2.1.0.json";

// What each key's findings are about, in the order of the rules.
struct RuleText {
  const char* id;
  const char* description;
};
constexpr RuleText kRules[] = {
    {"class", "Device class of the section header, and consistency of devices of one class"},
    {"device", "Quorlin device name of the section header, unique in the file"},
    {"property", "Property name, mandatory and unique within its device"},
    {"alias", "Alias of the data point element, known to the data point configuration"},
    {"dpe", "Data point element: existing, a leaf, convertible to the declared data type"},
    {"direction", "Direction of the data flow: one of the allowed words"},
    {"valueType", "Data type of the value: one of the allowed words"},
    {"timeType", "Time type of the time stamp: one of the allowed words"},
    {kSyntaxKey, "Line syntax of the config file"},
    {kFileKey, "The config file as a whole: readable, holding a configuration"},
};

std::size_t ruleIndex(const std::string& key) {
  for (std::size_t i = 0; i < std::size(kRules); ++i) {
    if (key == kRules[i].id)
      return i;
  }
  return std::size(kRules) - 1;  // unreachable: every finding's key has a rule
}

Json resultJson(const Finding& finding, std::size_t artifact) {
  Json location{{"artifactLocation", {{"uri", pathToUri(finding.file)}, {"index", artifact}}}};
  if (finding.firstLine > 0) {
    location["region"] = {{"startLine", finding.firstLine},
                          {"endLine", std::max(finding.firstLine, finding.lastLine)}};
  }
  std::size_t rule = ruleIndex(finding.key);
  std::string text = finding.message;
  if (finding.key != kFileKey)
    text = "[" + finding.device + "." + finding.property + "] " + text;
  return Json{{"ruleId", kRules[rule].id},
              {"ruleIndex", rule},
              {"level", "error"},
              {"message", {{"text", text}}},
              {"locations", Json::array({Json{{"physicalLocation", location}}})}};
}

}  // namespace

std::vector<std::string> sarifRuleIds() {
  std::vector<std::string> ids;
  for (const RuleText& rule : kRules)
    ids.push_back(rule.id);
  return ids;
}

std::string pathToUri(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = !path.empty() && path.front() == '/' ? "file://" : "";
  for (unsigned char c : path) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (keep) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0xF];
    }
  }
  return uri;
}

void writeSarif(const Report& report, std::ostream& out) {
  Json rules = Json::array();
  for (const RuleText& rule : kRules) {
    rules.push_back(Json{{"id", rule.id},
                         {"shortDescription", {{"text", rule.description}}},
                         {"defaultConfiguration", {{"level", "error"}}}});
  }
  Json artifacts = Json::array();
  Json results = Json::array();
  for (const FileReport& file : report.files) {
    std::size_t artifact = artifacts.size();
    artifacts.push_back(Json{{"location", {{"uri", pathToUri(file.outcome.file)}}}});
    for (const Finding& finding : file.findings)
      results.push_back(resultJson(finding, artifact));
  }
  Json driver{{"name", report.programName},
              {"version", report.programVersion},
              {"rules", std::move(rules)}};
  Json module{{"name", "QuorlinServerConfigValidator"}, {"version", report.moduleVersion}};
  Json run{{"tool", {{"driver", std::move(driver)}, {"extensions", Json::array({module})}}},
           {"artifacts", std::move(artifacts)},
           {"results", std::move(results)}};
  Json sarif{{"$schema", kSarifSchema}, {"version", "2.1.0"}, {"runs", Json::array({run})}};
  out << sarif.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace trel::quorlinsrv
