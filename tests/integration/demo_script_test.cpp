// The README's demonstration script on termblank.plu, run as the host program runs it: it
// parses, its one expected failure is the empty terminal's -1, and the device it adds carries
// the parameter changed along the way into the device list document.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pluhost/lib/host_arguments.h"
#include "pluhost/lib/host_csv.h"
#include "pluhost/lib/host_script.h"
#include "pluhost/lib/host_session.h"
#include "pluhost/lib/plugin_library.h"
#include "support/com_environment.h"
#include "support/test_paths.h"

namespace {

bool Has(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(DemoScript, RunsWithTheEmptyTerminalsFailureAsItsOnlyFailure) {
  std::wstring path = pluhost::WindowsPath(L"" PLU_SOURCE_DIR "/scripts/demo/termblank.txt");
  std::string bytes;
  ASSERT_TRUE(pluhost::ReadFileBytes(path, bytes)) << testing::PrintToString(path);
  std::vector<pluhost::ScriptStep> steps;
  std::vector<std::wstring> errors;
  ASSERT_TRUE(pluhost::ParseScript(pluhost::FromUtf8(bytes), steps, errors))
      << testing::PrintToString(errors.empty() ? L"" : errors[0]);

  std::wstring error;
  auto lib = pluhost::PluginLibrary::Load(testsupport::BesideTestProgram(L"termblank.plu"), error);
  ASSERT_TRUE(lib) << testing::PrintToString(error);
  pluhost::Session session(*lib);
  std::vector<std::wstring> lines;
  int failed = pluhost::RunScript(session, steps, pluhost::FolderOf(path),
                                  [&](std::wstring_view l) { lines.emplace_back(l); });
  std::wstring all;
  for (const auto& l : lines) all += l + L"\n";
  EXPECT_EQ(failed, 1) << testing::PrintToString(all);
  EXPECT_TRUE(Has(lines, L"  failed: code -1: Неопределенная ошибка")) << testing::PrintToString(all);
  EXPECT_TRUE(Has(lines, L"  result: -1 (I4)"));
  EXPECT_TRUE(Has(lines, L"  result: Склад 1 (BSTR)"));
  EXPECT_TRUE(Has(lines, L"  GetModel(1):    empty interface (1 model)"));
  // The last step prints the device list with the price-control mode set to 1 by the script.
  EXPECT_NE(all.find(L"<EquList>"), std::wstring::npos);
  EXPECT_NE(all.find(L"Идентификатор=\"РежимКонтроляЦен\" Зна4ение=\"1\""), std::wstring::npos);
}

}  // namespace
