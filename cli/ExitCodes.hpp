// The exit codes of quorlin-validate.
#pragma once

namespace trel::quorlinsrv {

enum ExitCode : int {
  kExitValid = 0,     // every config file is valid (or a query succeeded)
  kExitFindings = 1,  // some config file has findings, or the pattern does not compile
  kExitFailure = 2,   // usage error, bad DP list, module not loadable, no regular file, internal
};

}  // namespace trel::quorlinsrv
