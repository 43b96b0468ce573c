// Version resource reading through the platform's version services.
#include "framework/services/version_info.h"

#include <windows.h>

#include <cwchar>

#include "framework/win/module.h"
#include "framework/win/scoped_handle.h"

namespace services {
namespace {

// The value under a sub-block path, or null when the resource has none.
const void* QueryValue(const std::vector<unsigned char>& resource, const std::wstring& path,
                       UINT* length) {
  void* value = nullptr;
  *length = 0;
  // VerQueryValueW does not write to the block; its parameter is only declared non-const.
  if (!VerQueryValueW(const_cast<unsigned char*>(resource.data()), path.c_str(), &value,
                      length) ||
      value == nullptr)
    return nullptr;
  return value;
}

// The module's full path, however long: the buffer grows until the name fits.
std::wstring ThisModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(win::ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

TVersionInfo::TVersionInfo(std::wstring file_name) : file_name_(std::move(file_name)) {
  DWORD handle = 0;
  resource_size_ = GetFileVersionInfoSizeW(file_name_.c_str(), &handle);
  handle_ = handle;
  if (resource_size_ != 0) {
    resource_.resize(resource_size_);
    valid_ =
        GetFileVersionInfoW(file_name_.c_str(), handle_, resource_size_, resource_.data()) != 0;
    if (!valid_) resource_.clear();
  }

  WIN32_FIND_DATAW found{};
  win::ScopedFindHandle search(FindFirstFileW(file_name_.c_str(), &found));
  if (search) file_size_ = found.nFileSizeLow;
}

std::wstring TVersionInfo::Translation() const {
  if (!valid_) return {};
  UINT length = 0;
  const auto* pair =
      static_cast<const WORD*>(QueryValue(resource_, L"\\VarFileInfo\\Translation", &length));
  if (pair == nullptr || length < 2 * sizeof(WORD)) return {};
  wchar_t text[9];
  swprintf(text, 9, L"%04X%04X", pair[0], pair[1]);
  return text;
}

std::wstring TVersionInfo::StringValue(std::wstring_view key) const {
  if (!valid_) return {};
  UINT length = 0;
  std::wstring path = L"\\StringFileInfo\\" + Translation() + L"\\" + std::wstring(key);
  const auto* value = static_cast<const wchar_t*>(QueryValue(resource_, path, &length));
  if (value == nullptr || length == 0) return {};
  // The length counts characters and may include the terminating zero.
  return std::wstring(value, wcsnlen(value, length));
}

const VS_FIXEDFILEINFO* TVersionInfo::FixedInfo() const {
  if (!valid_) return nullptr;
  if (!fixed_info_looked_up_) {
    UINT length = 0;
    const void* value = QueryValue(resource_, L"\\", &length);
    fixed_info_ = value != nullptr && length >= sizeof(VS_FIXEDFILEINFO)
                     ? static_cast<const VS_FIXEDFILEINFO*>(value)
                     : nullptr;
    fixed_info_looked_up_ = true;
  }
  return fixed_info_;
}

TFileVersionNumbers TVersionInfo::FileVersionNumbers() const {
  const VS_FIXEDFILEINFO* fixed = FixedInfo();
  if (fixed == nullptr) return {};
  return {fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

std::wstring TVersionInfo::FileVersion() const {
  std::wstring text = StringValue(L"FileVersion");
  if (!text.empty() || !valid_) return text;
  TFileVersionNumbers numbers = FileVersionNumbers();
  return std::to_wstring(HIWORD(numbers.High)) + L"." + std::to_wstring(LOWORD(numbers.High)) +
         L"." + std::to_wstring(HIWORD(numbers.Low)) + L"." + std::to_wstring(LOWORD(numbers.Low));
}

std::wstring TVersionInfo::OwnFileName() { return ThisModulePath(); }

TVersionInfo TVersionInfo::ForOwnModule() { return TVersionInfo(OwnFileName()); }

std::wstring TVersionInfo::ModuleFileName(bool bare) {
  std::wstring path = ThisModulePath();
  if (!bare) return path;
  size_t folder_end = path.find_last_of(L"\\/");
  std::wstring name = folder_end == std::wstring::npos ? path : path.substr(folder_end + 1);
  size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

}  // namespace services
