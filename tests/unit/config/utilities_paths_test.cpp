// Long path names and the module's own file name, on real files of the Wine prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/config/utilities.h"
#include "framework/win/scoped_handle.h"
#include "framework/win/text.h"

namespace {

std::wstring SystemLongPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetLongPathNameW(path.c_str(), buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : path;
}

std::wstring ShortPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

// A folder and a file with long names in the temp folder, unique per process: every test
// case runs as its own program, several at once.
class LongNames : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = SystemLongPath(temp) + L"utilities long folder " +
              std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << GetLastError();
    file_ = folder_ + L"\\a rather long file name.text";
    win::ScopedFileHandle h(CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(h.IsValid()) << GetLastError();
  }
  void TearDown() override {
    DeleteFileW(file_.c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  std::wstring folder_;
  std::wstring file_;
};

TEST_F(LongNames, ShortPathComesBackLong) {
  const std::wstring short_path = ShortPath(file_);
  ASSERT_FALSE(short_path.empty());
  ASSERT_NE(short_path, file_) << "the prefix gave no 8.3 names: " << win::WideToUtf8(short_path);
  SCOPED_TRACE(win::WideToUtf8(short_path));
  EXPECT_EQ(win::WideToUtf8(config::LongPathName(short_path)), win::WideToUtf8(file_));
  // The rebuild for systems without the conversion reaches the same names.
  EXPECT_EQ(win::WideToUtf8(config::LongPathNameBySearch(short_path)), win::WideToUtf8(file_));
}

TEST(LongPathName, PathsThatCannotBeConvertedStayAsWritten) {
  const wchar_t* const cases[] = {
      L"C:\\no such folder 8a1f\\x.txt",
      L"C:\\",
      L"C:",
      L"",
      L"relative-missing\\file.txt",
  };
  for (const wchar_t* path : cases) {
    SCOPED_TRACE(win::WideToUtf8(path));
    EXPECT_EQ(config::LongPathName(path), path);
    EXPECT_EQ(config::LongPathNameBySearch(path), path);
  }
}

TEST(ModuleLongFileName, OfTheTestProgram) {
  // The test program is the module this code is linked into.
  EXPECT_EQ(config::ModuleLongFileName(true), L"unit_config");
  const std::wstring full = config::ModuleLongFileName(false);
  const std::wstring tail = L"\\unit_config.exe";
  ASSERT_GT(full.size(), tail.size());
  EXPECT_EQ(full.substr(full.size() - tail.size()), tail) << win::WideToUtf8(full);
  EXPECT_EQ(full[1], L':') << win::WideToUtf8(full);
}

}  // namespace
