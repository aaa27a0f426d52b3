#include "ds/SetterFamily.hpp"

namespace ds {

bool castError(VariableType expected, const Variable& actual, std::string& error) {
  std::ostringstream message;
  message << "cast error: expected Variable type is " << Variable::getTypeName(expected)
          << ", but real type is " << Variable::getTypeName(actual.isA());
  error = message.str();
  return false;
}

bool setArrayFailed(std::string_view word, std::uint64_t count, const std::string& name,
                    const char* what, std::string& error) {
  std::ostringstream message;
  message << "failed to set " << word << " array of " << count << " elements under the name '"
          << name << "': " << what;
  error = message.str();
  return false;
}

}  // namespace ds
