// Initialises COM for a whole test program, as the host does on every thread that calls a
// plug-in. Include it from exactly one file of each program that needs it.
#pragma once

#include <gtest/gtest.h>
#include <ole2.h>

namespace testsupport {

class ComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

inline const auto* const kComEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace testsupport
