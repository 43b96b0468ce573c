// The host program's script runner against the real modules: a call the module cannot answer
// yet is a failure with its code and text, and the run counts it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "pluhost/lib/host_script.h"
#include "pluhost/lib/host_session.h"
#include "pluhost/lib/plugin_library.h"
#include "support/test_paths.h"

namespace {

class HostScriptRun : public testing::TestWithParam<const wchar_t*> {};

TEST_P(HostScriptRun, CountsEveryFailedCallAndPrintsItsCodeAndText) {
  std::wstring error;
  auto lib = pluhost::PluginLibrary::Load(testsupport::BesideTestProgram(GetParam()), error);
  ASSERT_TRUE(lib);
  std::vector<pluhost::ScriptStep> steps;
  std::vector<std::wstring> errors;
  ASSERT_TRUE(pluhost::ParseScript(L"call НетТакого i:1\ncall НетДругого\n", steps, errors));
  pluhost::Session session(*lib);
  std::vector<std::wstring> lines;
  int failed = pluhost::RunScript(session, steps, {}, [&](std::wstring_view l) { lines.emplace_back(l); });
  EXPECT_EQ(failed, 2);
  ASSERT_GE(lines.size(), 2u);
  // Without its plug-in object a module answers 20000, with it the name is unknown (20036).
  EXPECT_EQ(lines[1].rfind(L"  failed: code 20", 0), 0u);
  // The argument comes back from the block after the call.
  EXPECT_EQ(lines[3], L"  argument 1: 1 (I4)");
}

INSTANTIATE_TEST_SUITE_P(Modules, HostScriptRun, testing::Values(L"termblank.plu", L"termdt930.plu"));

}  // namespace
