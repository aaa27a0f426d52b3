// Output that is either complete or not there: written to a temporary file beside the target and
// renamed over it.
#pragma once

#include <string>

namespace trel::quorlinsrv {

// Replaces the file at `path` by `content`. False, with `error` set, when anything fails; the
// target is then untouched and the temporary file removed. A new file gets the mode that the
// umask allows, an existing one keeps its mode.
bool writeFileAtomically(const std::string& path, const std::string& content, std::string& error);

}  // namespace trel::quorlinsrv
