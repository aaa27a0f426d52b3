// One input of bytes for each reader and check that the fuzz targets exercise. Each function runs
// the input through the code under test and checks what came back against rules that hold for
// every input; it returns "" when they held and otherwise what was broken. A crash, a hang or a
// sanitizer report is found by the caller's tools, not here.
//
// The same functions serve the libFuzzer targets (fuzz/FuzzTarget.cpp) and the test that replays
// the seed corpora and every kept crash input (tests/hardening/FuzzRegressionTest.cpp).
#pragma once

#include <string>
#include <string_view>

namespace trel::quorlinsrv::fuzz {

// The bytes as a config file: written to a temporary file, validated by the module's functions 0
// and 1 (loaded as the host loads it, against the example plant's data points), and the outcome
// rendered in every output format of the command-line validator.
std::string runConfigFileInput(std::string_view bytes);

// The bytes as a DP list export, read and loaded into a data point configuration of its own.
std::string runDpListInput(std::string_view bytes);

// The bytes as the pattern of the module's regular-expression check (function 5).
std::string runRegExpInput(std::string_view bytes);

// The regular-expression library's own answer for `pattern` (up to its first NUL), compiled on a
// thread with a 1 GiB stack: "" when it compiles, else the library's description.
std::string libraryRegExpAnswer(const std::string& pattern);

// The bytes as a project file, read as the program and the language server read it.
std::string runProjectFileInput(std::string_view bytes);

// The bytes as the language server's standard input: framing, JSON-RPC and every handler.
std::string runLspMessagesInput(std::string_view bytes);

}  // namespace trel::quorlinsrv::fuzz
