// TSafeArray, the value table: a two-dimensional table of automation values as a COM object.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "framework/automation/auto_object.h"
#include "framework/automation/safe_array_interface.h"
#include "framework/win/scoped_variant.h"

namespace automation {

class TSafeArray final : public TAutoComObject<ISafeArray> {
 public:
  // Made by the class factory, which hands in the library's description of ISafeArray and
  // the programmatic identifier (the source of every failure's error information).
  TSafeArray(win::ComPtr<ITypeInfo> type_info, std::wstring prog_id);

  HRESULT __stdcall SetBounds(LONG rows, LONG columns) noexcept override;
  HRESULT __stdcall SetValue(LONG row, LONG column, VARIANT value) noexcept override;
  HRESULT __stdcall __PSA(SAFEARRAY** array) noexcept override;
  HRESULT __stdcall ElementType(LONG* type) noexcept override;
  HRESULT __stdcall IsEmpty(LONG* empty) noexcept override;
  HRESULT __stdcall __SetPSA(SAFEARRAY* array) noexcept override;
  HRESULT __stdcall __SetPSAOfType(SAFEARRAY* array, LONG type) noexcept override;
  HRESULT __stdcall GetBounds(LONG* rows, LONG* columns) noexcept override;
  HRESULT __stdcall SaveToFile(BSTR file_name, VARIANT_BOOL* done) noexcept override;
  HRESULT __stdcall LoadFromFile(BSTR file_name, VARIANT_BOOL* done) noexcept override;
  HRESULT __stdcall LoadFromFileAsStream(BSTR file_name, VARIANT_BOOL* done) noexcept override;
  HRESULT __stdcall SaveToFileAsStream(BSTR file_name, VARIANT_BOOL* done) noexcept override;
  HRESULT __stdcall GetValue(LONG row, LONG column, VARIANT* value) noexcept override;

  const std::wstring& ProgId() const { return prog_id_; }

 protected:
  void RegisterMembers() override;
  bool DirectDispatch() override { return true; }

 private:
  // The operations behind the slots and the by-name members; they raise on failure.
  void DoSetBounds(LONG rows, LONG columns);
  void DoSetValue(LONG row, LONG column, const VARIANT& value);
  win::ScopedVariant DoGetValue(LONG row, LONG column) const;
  void Adopt(SAFEARRAY* array, VARTYPE element_type);
  bool Empty() const { return row_count_ <= 0 || column_count_ <= 0; }
  SAFEARRAY* Array() const;

  std::wstring prog_id_;
  // A two-dimensional array, rows first. Sizing keeps at least one element in each
  // dimension even where a count is 0; the counts, not the bounds, say which cells exist.
  win::ScopedVariant content_;
  LONG row_count_ = 0;
  LONG column_count_ = 0;
};

}  // namespace automation
