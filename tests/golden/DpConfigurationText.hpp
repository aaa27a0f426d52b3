// A small text form of a data point configuration, read into DpConfiguration for tests.
//
//   # comment (blank lines are ignored too)
//   type NAME CODE             a data point type; CODE is its root's element type code
//     ELEMENT CODE [TYPE]      an element, indented by two blanks per level below its parent;
//                              TYPE names the type that a type reference (code 41) reaches
//   dp NAME TYPE               a data point of the type TYPE
//   alias ALIAS ELEMENT        an alias standing for ELEMENT (for example "DP1." or "DP1.a.b")
//
// Codes are the decimal element type codes (1 struct, 21 int, 22 float, 6 dyn float, ...).
#pragma once

#include <string>

namespace trel::quorlinsrv::test {

// Clears DpConfiguration::instance() and fills it from `text`. False, with `error` naming the
// line, when the text is malformed or the store refuses an entry.
bool loadDpConfiguration(const std::string& text, std::string& error);

}  // namespace trel::quorlinsrv::test
