// Reader of the host's ASCII export format (a DP list, usually a .dpl file): the tables of data
// point types, data points and aliases. Every other table of an export is skipped.
//
// Lines are byte strings and are never converted; a malformed line is an error that names the file
// and the line, never a guess.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "host/DpConfiguration.hpp"

namespace trel::quorlinsrv {

struct DpListType {
  std::vector<DpTypeElement> elements;  // the root first; its name is the type's
  std::vector<unsigned> lines;          // 1-based line of each element in the list's file
};

// One element of a type that refers to another type, for the checks that span all lists.
struct DpListTypeRef {
  std::string element;         // "Type.elem.ref"
  std::string referencedType;  // the type it reaches
  unsigned line = 0;
};

struct DpListDataPoint {
  std::string name;
  std::string type;
  unsigned line = 0;
};

struct DpListAlias {
  std::string alias;
  std::string element;  // "DP.elem.sub" or "DP." for a root, without system prefix
  unsigned line = 0;
};

// Everything read from one DP list, in file order.
struct DpList {
  std::string file;
  std::vector<DpListType> types;
  std::vector<DpListTypeRef> typeRefs;
  std::vector<DpListDataPoint> dataPoints;
  std::vector<DpListAlias> aliases;
  std::size_t skippedTables = 0;  // header rows of tables that are not read
};

// Reads one DP list from `in`; `fileName` names it in messages. False, with `error` set to
// "FILE:LINE: error: ...", at the first malformed line.
bool readDpList(std::istream& in, const std::string& fileName, DpList& list, std::string& error);

// Opens and reads the file at `path`; an unreadable file is an error "FILE: error: ...".
bool readDpListFile(const std::string& path, DpList& list, std::string& error);

// What loading took from one list, for the program's verbose output.
struct DpListSummary {
  std::string file;
  std::size_t types = 0;
  std::size_t dataPoints = 0;
  std::size_t aliases = 0;
  std::size_t repeatedRows = 0;           // identical repetitions of earlier rows
  std::size_t leftOutInternal = 0;        // data points named "_..." whose type no list defines
  std::vector<std::string> leftOutOther;  // other data points whose type no list defines
  std::vector<std::string> notes;         // "FILE:LINE: note: ..." lines
};

// Loads `lists` into `config` (which should be empty), so that types of one list may be used by
// another. Data points of types that no list defines are left out. False, with `error` set, for a
// type, data point or alias defined twice differently, or for a cycle of type references.
bool loadDpLists(const std::vector<DpList>& lists, DpConfiguration& config,
                 std::vector<DpListSummary>& summaries, std::string& error);

}  // namespace trel::quorlinsrv
