#include "config/ConfigAttribute.hpp"

#include <sstream>
#include <utility>

namespace trel::quorlinsrv {

namespace {

// The message of the occurrence rules that apply, or "" when none does.
std::string occurrenceMessage(const ConfigAttribute& attribute, bool mandatory) {
  const bool repeated = attribute.count >= 2;
  const bool missing = mandatory && attribute.count == 0;
  const bool empty = mandatory && attribute.count == 1 && attribute.value.empty();
  if (!repeated && !missing && !empty) {
    return std::string();  // the common case builds no stream
  }
  std::ostringstream message;
  if (repeated) {
    message << "attribute '" << attribute.name << "' appeared " << attribute.count
            << " times for this block";
  } else if (missing) {
    message << "mandatory attribute '" << attribute.name << "' didn't appear in config file";
  } else {
    message << "the value of mandatory attribute '" << attribute.name
            << "' is empty in config file";
  }
  return message.str();
}

}  // namespace

ConfigAttribute::ConfigAttribute(std::string_view name) : name(name) {}

ConfigAttribute::~ConfigAttribute() = default;

void ConfigAttribute::set(std::string_view newValue) {
  if (count == 0) {
    value.assign(newValue);  // a repeat copies nothing
  }
  ++count;
}

void ConfigAttribute::reset() {
  value.clear();
  count = 0;
  error.clear();
}

bool ConfigAttribute::check(bool mandatory) {
  if (error.empty()) {
    error = occurrenceMessage(*this, mandatory);
  }
  return error.empty();
}

}  // namespace trel::quorlinsrv
