// The device tests drive the real XML component: COM is initialised for the whole program,
// as the host does on every thread that calls a plug-in.
#include <gtest/gtest.h>
#include <ole2.h>

namespace {

class ComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

const auto* const kComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace
