// The outcome of one validation call written as text: what golden files hold and compare.
#pragma once

#include <string>
#include <vector>

#include "host/ErrHdl.hpp"
#include "host/Variables.hpp"
#include "tests/support/ScratchDir.hpp"

namespace trel::quorlinsrv::test {

// The integer result, errMsg, the reports sent to the host, the keys of `result` with their
// types, the comment, and per block every list's entry. Whatever in `result` deviates from the
// expected shape is written out instead of being skipped.
std::string describeOutcome(const Variable* returned, const TextVar& errMsg,
                            const MappingVar& result, const std::vector<ErrClass>& hostErrors);

// "" when they are equal.
std::string lineDiff(const std::string& expected, const std::string& actual);

}  // namespace trel::quorlinsrv::test
