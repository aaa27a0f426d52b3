// The output formats of the validator: each one function over the same report.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "tools/Findings.hpp"

namespace trel::quorlinsrv {

enum class Format { kText, kJson, kSarif, kGithub };

struct TextStyle {
  bool color = false;
  bool quiet = false;  // findings only, no summary lines
};

// FILE:LINE: error: [DEVICE.PROPERTY] KEY: MESSAGE, then unless quiet one summary line per file.
void writeText(const Report& report, const TextStyle& style, std::ostream& out);
// The module's outcome of every file as JSON; invalid UTF-8 bytes become U+FFFD.
void writeJson(const Report& report, std::ostream& out);
// SARIF 2.1.0: one run, a rule per key, a result per finding.
void writeSarif(const Report& report, std::ostream& out);
// GitHub workflow commands, one ::error per finding.
void writeGithub(const Report& report, std::ostream& out);

// The rule ids of SARIF in order: the per-block keys but "lineNo", then "syntax" and "file".
std::vector<std::string> sarifRuleIds();

// A file path as a URI reference: unreserved bytes and '/' kept, others percent-encoded, and
// "file://" before an absolute path.
std::string pathToUri(const std::string& path);

// Escapes of GitHub workflow commands, for the message and for property values.
std::string escapeWorkflowData(const std::string& text);
std::string escapeWorkflowProperty(const std::string& text);

}  // namespace trel::quorlinsrv
