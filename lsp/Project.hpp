// The DP lists of one project as the language server uses them: read once, read again when one of
// the files changes, loaded once into a configuration that the host's queries read while the
// project is installed and that hints, completion and hover read too.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/DpListReader.hpp"
#include "common/Hints.hpp"

namespace trel::quorlinsrv::lsp {

// A leaf element a `dpe=` line can name, with its element type's name ("float", "int", ...).
struct LeafElement {
  std::string name;
  std::string type;
};

class Project {
 public:
  // The lists `dpLists`, or with `projectFile` (not "") the lists that it names.
  Project(std::vector<std::string> dpLists, std::string projectFile);
  ~Project();
  Project(const Project&) = delete;
  Project& operator=(const Project&) = delete;

  // Reads the project file and the lists when one of them changed since the last read, or never
  // was read, and installs them. True when it read them (successfully or not).
  bool refresh();
  // "" when the lists were read and loaded; otherwise the reader's or loader's message.
  const std::string& error() const { return error_; }
  // The names for the notes below findings; the server adds the allowed words.
  HintSources& hints() { return *hints_; }

  // Makes the lists as loaded the host's configuration, in place of another project's.
  void install();

  // The lists as read, with the lines that define each name; empty when the project has an
  // error. Read on the first call after the files changed, so that only going to a definition
  // spends their memory.
  const std::vector<DpList>& definitions();
  const std::vector<LeafElement>& leafElements() const { return leaves_; }  // sorted by name
  const std::vector<DpListAlias>& aliases() const { return aliases_; }      // sorted by alias
  // The leaf element called `name`, or null.
  const LeafElement* findLeaf(const std::string& name) const;
  // The element that `alias` names, or null.
  const std::string* findAlias(const std::string& alias) const;

 private:
  // What tells a changed file: modification time (to the nanosecond) and size, per watched file.
  using Stamp = std::tuple<long, long, long>;
  std::map<std::string, Stamp> stamps() const;
  void index(const std::vector<DpList>& lists);

  std::vector<std::string> dpLists_;
  std::string projectFile_;
  std::map<std::string, Stamp> stamps_;  // what refresh() last saw
  bool read_ = false;
  std::string error_;
  DpConfiguration config_;  // the lists loaded: what validation, hints and completion look up
  std::vector<LeafElement> leaves_;
  std::vector<DpListAlias> aliases_;
  std::unique_ptr<HintSources> hints_;
  std::vector<DpList> definitions_;
  std::map<std::string, Stamp> definitionsRead_;  // the stamps when definitions_ was read
};

}  // namespace trel::quorlinsrv::lsp
