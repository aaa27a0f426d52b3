#include "ds/GetterFamily.hpp"

#include <sstream>

namespace ds {

void getFailed(std::string_view word, std::string_view shape, const std::string& name,
               const char* what, std::string& error) {
  std::ostringstream message;
  message << "failed to get " << word << ' ' << shape << " value with name '" << name
          << "' from incoming data: " << what;
  error = message.str();
}

}  // namespace ds
