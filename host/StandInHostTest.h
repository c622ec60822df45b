// A gtest fixture that owns a stand-in host and fails the test at teardown when the
// code under test leaked an interface or released one too often.
#pragma once

#include <gtest/gtest.h>

#include "StandInHost.h"

namespace standin {

class StandInHostTest : public ::testing::Test {
 protected:
  // Adds one failure per reference problem; TearDown calls it, a test may too.
  void CheckReferences() const {
    for (const std::string& problem : host.ReferenceProblems()) ADD_FAILURE() << "stand-in host: " << problem;
  }
  void TearDown() override { CheckReferences(); }

  StandInHost host;
};

}  // namespace standin
