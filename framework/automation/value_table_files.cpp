// The value table's file operations: its array goes through the storage file code.
#include "framework/automation/value_table_files.h"

#include "framework/automation/table_storage.h"
#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_safearray.h"

namespace automation {
namespace {

// A failed slot of the table carries its message as error information.
void Check(HRESULT hr, const wchar_t* what) {
  if (SUCCEEDED(hr)) return;
  win::ComPtr<IErrorInfo> info;
  win::ScopedBstr description;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) info->GetDescription(description.Put());
  if (description.Length() == 0) win::ThrowHresult(hr, what);
  services::RaisePlain(description.Text());
}

SAFEARRAY* ContentsOf(ISafeArray& table) {
  SAFEARRAY* array = nullptr;
  Check(table.__PSA(&array), L"ISafeArray.__PSA");
  return array;
}

// The table takes the array over only when it accepts it; otherwise it stays ours.
void Adopt(ISafeArray& table, win::ScopedSafearray array, VARTYPE element_type) {
  if (element_type == VT_VARIANT)
    Check(table.__SetPSA(array.Get()), L"ISafeArray.__SetPSA");
  else
    Check(table.__SetPSAOfType(array.Get(), element_type), L"ISafeArray.__SetPSAOfType");
  array.Release();
}

}  // namespace

bool TableSaveToFile(ISafeArray& table, std::wstring_view file_name) {
  SaveTableToFile(ContentsOf(table), file_name);
  return true;
}

bool TableLoadFromFile(ISafeArray& table, std::wstring_view file_name) {
  win::ScopedSafearray contents;
  if (!LoadTableFromFile(file_name, &contents)) return false;
  Adopt(table, std::move(contents), VT_VARIANT);
  return true;
}

bool TableSaveToFileAsStream(ISafeArray& table, std::wstring_view file_name) {
  return SaveTableToStreamFile(ContentsOf(table), file_name);
}

bool TableLoadFromFileAsStream(ISafeArray& table, std::wstring_view file_name) {
  win::ScopedSafearray contents;
  if (!LoadTableFromStreamFile(file_name, &contents)) return false;
  Adopt(table, std::move(contents), VT_UI1);
  return true;
}

}  // namespace automation
