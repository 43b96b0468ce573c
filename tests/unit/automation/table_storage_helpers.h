// Shared by the storage file tests: temporary files, tables of variants, and payload bytes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/automation/memory_stream.h"
#include "framework/automation/table_storage.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_handle.h"
#include "framework/win/scoped_safearray.h"

namespace table_storage_test {

using Bytes = std::vector<uint8_t>;

// A file in the prefix's temporary folder, removed when the test ends.
class TempFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t folder[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    path_ = std::wstring(folder) + std::wstring(name.begin(), name.end()) + L".tbl";
    DeleteFileW(path_.c_str());
  }
  void TearDown() override { DeleteFileW(path_.c_str()); }
  bool Exists() const { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

  std::wstring path_;
};

inline Bytes ReadFileBytes(const std::wstring& path) {
  win::ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
  if (!file) ADD_FAILURE() << "cannot open the file, error " << GetLastError();
  Bytes bytes(GetFileSize(file.Get(), nullptr));
  DWORD got = 0;
  if (!bytes.empty()) ReadFile(file.Get(), bytes.data(), bytes.size(), &got, nullptr);
  EXPECT_EQ(got, bytes.size());
  return bytes;
}

inline void WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
  win::ScopedFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file.IsValid()) << "error " << GetLastError();
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file.Get(), bytes.data(), bytes.size(), &written, nullptr);
  ASSERT_EQ(written, bytes.size());
}

// A rows x columns table of Empty variants, as a value table keeps its contents.
inline win::ScopedSafearray MakeTable(ULONG rows, ULONG columns) {
  SAFEARRAYBOUND bounds[2] = {{rows, 0}, {columns, 0}};
  return win::ScopedSafearray::CreateVariants(2, bounds);
}

inline VARIANT& Cell(SAFEARRAY* table, LONG row, LONG column) {
  LONG index[2] = {row, column};
  void* cell = nullptr;
  HRESULT hr = SafeArrayPtrOfIndex(table, index, &cell);
  if (FAILED(hr)) throw services::Exception(L"no such cell");
  return *static_cast<VARIANT*>(cell);
}

// The payload that the storage file would carry for the value.
inline Bytes PayloadOf(const VARIANT& value) {
  automation::TMyMemoryStream stream;
  automation::WriteValue(stream, value);
  const auto* p = static_cast<const uint8_t*>(stream.Memory());
  return Bytes(p, p + stream.Size());
}

inline VARIANT TableValue(SAFEARRAY* table) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_VARIANT;
  v.parray = table;
  return v;
}

// Little-endian 32-bit words, the unit of the payload's counts and type codes.
inline Bytes Words(std::initializer_list<uint32_t> words) {
  Bytes out;
  for (uint32_t w : words)
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(w >> (8 * k)));
  return out;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace table_storage_test
