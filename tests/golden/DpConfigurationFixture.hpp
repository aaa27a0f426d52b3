// A test fixture that fills the host's data point configuration from text before each test and
// clears it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/DpConfiguration.hpp"
#include "tests/golden/DpConfigurationText.hpp"

namespace trel::quorlinsrv::test {

class DpConfigurationFixture : public ::testing::Test {
 protected:
  // `text` in the form of DpConfigurationText.hpp; it must outlive the fixture.
  explicit DpConfigurationFixture(const char* text) : text_(text) {}
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(loadDpConfiguration(text_, error)) << error;
  }
  void TearDown() override { DpConfiguration::instance().clear(); }

 private:
  const char* text_;
};

}  // namespace trel::quorlinsrv::test
