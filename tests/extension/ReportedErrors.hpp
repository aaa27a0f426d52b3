// Test helpers: collecting the errors the module reports to the host, and checking them.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "host/CtrlThread.hpp"
#include "host/ErrHdl.hpp"

namespace trel::quorlinsrv::test {

// Collects every error that reaches the host's error handler while it lives.
class ErrorSink {
 public:
  ErrorSink() {
    previous_ = ErrHdl::setSink([this](const ErrClass& error) {
      std::lock_guard<std::mutex> lock(mutex_);
      errors_.push_back(error);
    });
  }
  ~ErrorSink() { ErrHdl::setSink(previous_); }
  ErrorSink(const ErrorSink&) = delete;
  ErrorSink& operator=(const ErrorSink&) = delete;

  std::vector<ErrClass> errors() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return errors_;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    errors_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<ErrClass> errors_;
  ErrHdl::Sink previous_;
};

// One error as the module must report it.
struct ExpectedError {
  ErrPrio priority;
  ErrType type;
  unsigned code;
  std::string message;
};

inline void expectError(const ErrClass& error, const ExpectedError& expected,
                        const std::string& scriptText, const std::string& funcName) {
  EXPECT_EQ(error.getPriority(), expected.priority);
  EXPECT_EQ(error.getErrType(), expected.type);
  EXPECT_EQ(error.getErrorId(), expected.code);
  EXPECT_EQ(error.getNote1().str(), scriptText);
  EXPECT_EQ(error.getNote2().str(), funcName);
  EXPECT_EQ(error.getNote3().str(), expected.message);
}

// Exactly one error, `expected`, went to the error handler and to the thread's last errors.
inline void expectOneReport(const ErrorSink& sink, const CtrlThread& thread,
                            const std::string& funcName, const ExpectedError& expected) {
  const std::vector<ErrClass> handled = sink.errors();
  ASSERT_EQ(handled.size(), 1u) << "errors sent to the error handler";
  ASSERT_EQ(thread.getLastErrors().size(), 1u) << "errors on the thread's last-error list";
  {
    SCOPED_TRACE("error handler");
    expectError(handled.front(), expected, thread.getScriptText().str(), funcName);
  }
  {
    SCOPED_TRACE("thread's last errors");
    expectError(thread.getLastErrors().front(), expected, thread.getScriptText().str(), funcName);
  }
}

inline void expectNoReport(const ErrorSink& sink, const CtrlThread& thread) {
  EXPECT_TRUE(sink.errors().empty());
  EXPECT_TRUE(thread.getLastErrors().empty());
}

}  // namespace trel::quorlinsrv::test
