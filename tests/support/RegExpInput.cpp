// The regular-expression input: the bytes as the pattern of the module's function 5.
#include <pthread.h>

#include <regex>
#include <string>
#include <string_view>

#include "tests/support/FuzzInputs.hpp"
#include "tests/support/LoadedModule.hpp"
#include "tests/support/RuleCheck.hpp"

namespace trel::quorlinsrv::fuzz {

std::string libraryRegExpAnswer(const std::string& pattern) {
  struct Job {
    const char* pattern;
    std::string answer;
  } job{pattern.c_str(), ""};
  const auto compile = [](void* arg) -> void* {
    auto* job = static_cast<Job*>(arg);
    try {
      const std::regex compiled(job->pattern, std::regex::ECMAScript);
    } catch (const std::regex_error& error) {
      job->answer = error.what();
    }
    return nullptr;
  };
  pthread_attr_t attributes;
  pthread_t thread;
  if (pthread_attr_init(&attributes) != 0 ||
      pthread_attr_setstacksize(&attributes, std::size_t{1} << 30) != 0 ||
      pthread_create(&thread, &attributes, compile, &job) != 0) {
    return "no thread for the library's answer";
  }
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return job.answer;
}

std::string runRegExpInput(std::string_view bytes) {
  const ModuleSession& module = loadedModule();
  const std::string pattern(bytes);
  bool valid = false;
  std::string message;
  std::string error;
  if (!module.checkRegExp(pattern, valid, message, error)) {
    return "function 5: " + error;
  }
  RuleCheck rules;
  rules.require(valid == message.empty(), "result and message disagree", message);
  // Unless the module found the pattern too deep for this thread's stack, its answer is the
  // library's own.
  const std::string tooDeep = std::regex_error(std::regex_constants::error_space).what();
  if (message != tooDeep) {
    const std::string library = libraryRegExpAnswer(pattern);
    rules.require(message == library, "the answer is not the library's", library);
  }
  // The pattern ends at its first NUL, so the bytes up to it must give the same answer.
  const std::size_t nul = pattern.find('\0');
  if (pattern.empty() || nul == 0) {
    rules.require(valid, "an empty pattern is refused", message);
  } else if (nul != std::string::npos) {
    bool validBeforeNul = false;
    std::string messageBeforeNul;
    if (!module.checkRegExp(pattern.substr(0, nul), validBeforeNul, messageBeforeNul, error)) {
      return "function 5: " + error;
    }
    rules.require(valid == validBeforeNul && message == messageBeforeNul,
                  "bytes after a NUL change the answer");
  }
  return rules.broken();
}

}  // namespace trel::quorlinsrv::fuzz
