// The keys of the validation functions' result mapping besides the attributes' own (whose keys
// the attribute table holds): the module writes them and the program reads them by these names.
#pragma once

namespace trel::quorlinsrv {

inline constexpr const char* kLineNoKey = "lineNo";    // each block's line range
inline constexpr const char* kSyntaxKey = "syntax";    // each block's own error
inline constexpr const char* kCommentKey = "comment";  // the file's leading comment lines

}  // namespace trel::quorlinsrv
