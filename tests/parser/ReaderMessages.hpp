// The reader's messages, written down from their rules for the tests' expectations.
#pragma once

#include <string>

namespace trel::quorlinsrv::test {

inline std::string headerMessage(int line, const std::string& text) {
  return "syntax error in line " + std::to_string(line) + ": found '" + text +
         "' while expecting either one word (Quorlin device name, like [MyDeviceName]), or 3 "
         "words (Quorlin device name followed by '_instance_of_' class name introducer followed "
         "by class name, like [MyDeviceName _instance_of_ MyClassName])";
}

inline std::string lineSyntaxMessage(const std::string& text) {
  return "syntax error: found '" + text +
         "' while expecting either Quorlin device name in square brackets (for example: "
         "[Device1]), or key-value pair separated by '=' (for example: dpe=Dp1.Dpe1.Dpe1)";
}

inline std::string misplacedCommentMessage(int line) {
  return "Line " + std::to_string(line) + ": comments are only allowed at beginning of file";
}

inline std::string unexpectedKeyMessage(int line, const std::string& key) {
  return "Line " + std::to_string(line) + ": unexpected key '" + key + "'";
}

}  // namespace trel::quorlinsrv::test
