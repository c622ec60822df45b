// A gtest fixture that owns a stand-in host and fails the test when the code under
// test leaked an interface or released one too often.
#pragma once

#include <gtest/gtest.h>

#include "StandInHost.h"

namespace standin {

class StandInHostTest : public ::testing::Test {
 protected:
  // The check runs in the destructor, after the members of a derived fixture (for
  // instance interface holders of its own) have let go of their references; gtest
  // still counts a failure added there against the test.
  ~StandInHostTest() override { CheckReferences(); }

  // Adds one failure per reference problem. A test may call it as well.
  void CheckReferences() const {
    for (const std::string& problem : host.ReferenceProblems()) ADD_FAILURE() << "stand-in host: " << problem;
  }

  StandInHost host;
};

}  // namespace standin
