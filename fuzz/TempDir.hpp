// A fresh directory below the system's temporary directory, for the fuzz inputs and the tests.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <string>

namespace trel::quorlinsrv::fuzz {

// Makes "<TMPDIR or /tmp>/<prefix>-XXXXXX" with a unique ending; "" when that fails.
inline std::string makeTemporaryDirectory(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string dir =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + "-XXXXXX";
  return mkdtemp(dir.data()) != nullptr ? dir : std::string();
}

}  // namespace trel::quorlinsrv::fuzz
