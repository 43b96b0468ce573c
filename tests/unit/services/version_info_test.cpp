// The version reader against modules with and without a version resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/services/module_version.h"
#include "framework/services/version_info.h"
#include "framework/win/text.h"
#include "support/test_paths.h"

namespace {

using services::TVersionInfo;

uint32_t ActualFileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return data.nFileSizeLow;
}

TEST(VersionInfo, NumbersWithoutFileVersionString) {
  std::wstring path = testsupport::BesideTestProgram(L"version_numbers_only.dll");
  TVersionInfo info(path);
  ASSERT_TRUE(info.Valid());
  EXPECT_EQ(info.FileName(), path);
  EXPECT_EQ(info.Translation(), L"041904E3");
  EXPECT_EQ(info.StringValue(L"ProductName"), L"Numbers only");
  EXPECT_EQ(info.StringValue(L"FileVersion"), L"");
  ASSERT_NE(info.FixedInfo(), nullptr);
  EXPECT_EQ(info.FileVersionNumbers().High, 0x00010002u);
  EXPECT_EQ(info.FileVersionNumbers().Low, 0x00030004u);
  EXPECT_EQ(info.FileVersion(), L"1.2.3.4");
  EXPECT_EQ(info.FileSize(), ActualFileSize(path));
  EXPECT_GT(info.FileSize(), 0u);
}

TEST(VersionInfo, FileVersionStringWinsOverTheNumbers) {
  TVersionInfo info(testsupport::BesideTestProgram(L"version_string_differs.dll"));
  ASSERT_TRUE(info.Valid());
  EXPECT_EQ(info.FileVersion(), L"2.5 beta (build 11)");
  EXPECT_EQ(info.FileVersionNumbers().High, 0x00020005u);
  EXPECT_EQ(info.FileVersionNumbers().Low, 0x0000000Bu);
  // Only the first of the two translations is read.
  EXPECT_EQ(info.Translation(), L"041904E3");
  EXPECT_EQ(info.StringValue(L"CompanyName"), L"First translation");
}

TEST(VersionInfo, PluginCarriesTheSharedVersion) {
  TVersionInfo info(testsupport::BesideTestProgram(L"termblank.plu"));
  ASSERT_TRUE(info.Valid());
  EXPECT_EQ(info.Translation(), L"041904E3");
  EXPECT_EQ(info.FileVersion(), win::Utf8ToWide(PLU_VERSION_TEXT));
  EXPECT_EQ(info.FileVersionNumbers().High,
            static_cast<uint32_t>(PLU_VERSION_MAJOR << 16 | PLU_VERSION_MINOR));
  EXPECT_EQ(info.FileVersionNumbers().Low,
            static_cast<uint32_t>(PLU_VERSION_RELEASE << 16 | PLU_VERSION_BUILD));
}

TEST(VersionInfo, WithoutResourceEverythingIsEmpty) {
  struct Case {
    const wchar_t* what;
    std::wstring path;
    bool exists;
  };
  // The test program carries the string table but no version resource.
  const Case cases[] = {
      {L"no resource", TVersionInfo::OwnFileName(), true},
      {L"missing file", testsupport::BesideTestProgram(L"no_such_module.plu"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.what)));
    TVersionInfo info(c.path);
    EXPECT_FALSE(info.Valid());
    EXPECT_EQ(info.Translation(), L"");
    EXPECT_EQ(info.StringValue(L"FileVersion"), L"");
    EXPECT_EQ(info.FixedInfo(), nullptr);
    EXPECT_EQ(info.FileVersionNumbers().High, 0u);
    EXPECT_EQ(info.FileVersionNumbers().Low, 0u);
    EXPECT_EQ(info.FileVersion(), L"");
    EXPECT_EQ(info.FileSize(), c.exists ? ActualFileSize(c.path) : 0u);
    if (c.exists) {
      EXPECT_GT(info.FileSize(), 0u);
    }
  }
}

TEST(VersionInfo, OwnModuleNames) {
  std::wstring own = TVersionInfo::OwnFileName();
  EXPECT_EQ(own, testsupport::BesideTestProgram(L"unit_services.exe"));
  EXPECT_EQ(TVersionInfo::ModuleFileName(false), own);
  EXPECT_EQ(TVersionInfo::ModuleFileName(true), L"unit_services");
  EXPECT_EQ(TVersionInfo::ForOwnModule().FileName(), own);
}

}  // namespace
