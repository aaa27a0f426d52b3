// The names of the module's script functions, as its function table declares them to the host.
// A caller finds a function's number by its name through the handler, as the host does.
#pragma once

#include "config/AttributeIndex.hpp"

namespace trel::quorlinsrv {

using ScriptFunction = const char*;

inline constexpr ScriptFunction kValidateAll = "QuorlinServerConfigParser_validateAll";
inline constexpr ScriptFunction kValidateErrorsOnly =
    "QuorlinServerConfigParser_validateErrorsOnly";
inline constexpr ScriptFunction kAllowedDirections = "QuorlinServerConfigParser_allowedDirections";
inline constexpr ScriptFunction kAllowedDataTypes = "QuorlinServerConfigParser_allowedDataTypes";
inline constexpr ScriptFunction kAllowedTimeTypes = "QuorlinServerConfigParser_allowedTimeTypes";
inline constexpr ScriptFunction kValidateRegExp = "QuorlinServerConfigParser_validateRegExp";

// The functions that list the words an attribute allows, each with its attribute.
struct AllowedWordsFunction {
  AttributeIndex attribute;
  ScriptFunction function;
};
inline constexpr AllowedWordsFunction kAllowedWordsFunctions[] = {
    {kDirection, kAllowedDirections}, {kValue, kAllowedDataTypes}, {kTime, kAllowedTimeTypes}};

}  // namespace trel::quorlinsrv
