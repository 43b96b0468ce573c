// The value table's interface slots, its by-name members and the operations behind both.
#include "framework/automation/safe_array.h"

#include <algorithm>
#include <cstdint>

#include "framework/automation/array_cells.h"
#include "framework/automation/value_table_files.h"
#include "framework/automation/value_text.h"
#include "framework/config/formats.h"
#include "framework/services/error_boundary.h"
#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_safearray.h"

namespace automation {

namespace {

win::ScopedVariant Converted(const VARIANT& value, VARTYPE type) {
  win::ScopedVariant out;
  if (!config::ChangeType(*out.Ptr(), value, type))
    win::ThrowHresult(DISP_E_TYPEMISMATCH, L"TSafeArray");
  return out;
}

LONG IntOf(const VARIANT& value) { return Converted(value, VT_I4).Get().lVal; }

std::wstring TextOf(const VARIANT& value) {
  return win::BstrText(Converted(value, VT_BSTR).Get().bstrVal);
}

win::ScopedSafearray NewVariantTable(LONG rows, LONG columns) {
  // The system's element count is 32 bits wide and may wrap: a table whose storage cannot
  // be addressed is refused before it is made, not allocated short.
  uint64_t cells = uint64_t(std::max(rows, 1L)) * uint64_t(std::max(columns, 1L));
  if (cells > 0x7FFFFFFFull / sizeof(VARIANT)) win::ThrowHresult(E_OUTOFMEMORY, L"SetBounds");
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(std::max(rows, 1L)), 0},
                              {static_cast<ULONG>(std::max(columns, 1L)), 0}};
  return win::ScopedSafearray::CreateVariants(2, bounds);
}

VARIANT ArrayValue(SAFEARRAY* array, VARTYPE element_type) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | element_type;
  v.parray = array;
  return v;
}

[[noreturn]] void RaiseTypeClass(VARTYPE type_class) {
  services::RaisePlain(L"Ошибка типа параметра. " + std::to_wstring(type_class));
}

// A value passed by reference is stored as the value it refers to.
win::ScopedVariant Dereferenced(const VARIANT& value) {
  VARTYPE type_class = value.vt & ~VT_BYREF;
  if (!value.byref) RaiseTypeClass(type_class);
  switch (type_class) {
    case VT_I4:
      return win::ScopedVariant::FromInt(*value.plVal);
    case VT_R8:
      return win::ScopedVariant::FromDouble(*value.pdblVal);
    case VT_CY: {
      // Currency is kept as a double of the same amount; its 8 bytes are not a double.
      double amount = 0;
      VarR8FromCy(*value.pcyVal, &amount);
      return win::ScopedVariant::FromDouble(amount);
    }
    case VT_DATE: {
      win::ScopedVariant v = win::ScopedVariant::FromDouble(*value.pdate);
      v.Ptr()->vt = VT_DATE;
      return v;
    }
    case VT_BSTR:
      return win::ScopedVariant::FromText(win::BstrText(*value.pbstrVal));
    case VT_DISPATCH:
      return win::ScopedVariant::FromDispatch(*value.ppdispVal);
    case VT_VARIANT: {
      win::ScopedVariant v;
      HRESULT hr = VariantCopyInd(v.Ptr(), value.pvarVal);
      if (FAILED(hr)) win::ThrowHresult(hr, L"VariantCopyInd");
      return v;
    }
    default:
      RaiseTypeClass(type_class);
  }
}

VARIANT_BOOL Bool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

TSafeArray::TSafeArray(win::ComPtr<ITypeInfo> type_info, std::wstring prog_id)
    : TAutoComObject(kIidSafeArray, std::move(type_info), L"TSafeArray"),
      prog_id_(std::move(prog_id)) {
  content_.Reset(ArrayValue(NewVariantTable(1, 1).Release(), VT_VARIANT));
}

SAFEARRAY* TSafeArray::Array() const {
  if (!(content_.Type() & VT_ARRAY) || !content_.Get().parray)
    services::RaisePlain(L"Таблица значений не содержит массива");
  return content_.Get().parray;
}

void TSafeArray::DoSetBounds(LONG rows, LONG columns) {
  if (rows < 0 || columns < 0 || (rows == row_count_ && columns == column_count_)) return;
  win::ScopedSafearray table = NewVariantTable(rows, columns);
  if (content_.Type() & VT_ARRAY) {
    LONG keep_rows = std::min(rows, row_count_);
    LONG keep_columns = std::min(columns, column_count_);
    for (LONG r = 0; r < keep_rows; ++r) {
      for (LONG c = 0; c < keep_columns; ++c) {
        LONG at[2] = {r, c};
        win::ScopedVariant cell = ReadCell(content_.Get().parray, at);
        WriteCell(table.Get(), at, cell.Get());
      }
    }
  }
  // Counts change only once the new contents are complete.
  content_.Reset(ArrayValue(table.Release(), VT_VARIANT));
  row_count_ = rows;
  column_count_ = columns;
}

win::ScopedVariant TSafeArray::DoGetValue(LONG row, LONG column) const {
  if (row < 0 || row >= row_count_ || column < 0 || column >= column_count_)
    services::RaisePlain(L"Номер элемента массива за пределами границ.");
  LONG at[2] = {row, column};
  return ReadCell(Array(), at);
}

void TSafeArray::DoSetValue(LONG row, LONG column, const VARIANT& value) {
  if (row < 0 || row >= row_count_ || column < 0 || column >= column_count_) {
    services::RaisePlain(services::FormatTemplate(
        L"Номер элемента массива за пределами границ. X:%d Y:%d CountX:%d CountY:%d\r\n%s",
        {row, column, row_count_, column_count_, ValueDisplayText(value)}));
  }
  LONG at[2] = {row, column};
  if (value.vt & VT_BYREF) {
    win::ScopedVariant stored = Dereferenced(value);
    WriteCell(Array(), at, stored.Get());
  } else {
    WriteCell(Array(), at, value);
  }
}

void TSafeArray::Adopt(SAFEARRAY* array, VARTYPE element_type) {
  if (!array) return;
  // Cells are read by the declared type: an array of two dimensions whose elements really
  // have that type, or nothing is taken over (the caller keeps the array).
  if (SafeArrayGetDim(array) != 2) services::RaisePlain(L"Массив должен быть двумерным");
  VARTYPE actual = VT_EMPTY;
  if (SUCCEEDED(SafeArrayGetVartype(array, &actual)) && actual != element_type)
    RaiseTypeClass(element_type);
  LONG upper_rows = 0, upper_columns = 0;
  SafeArrayGetUBound(array, 1, &upper_rows);
  SafeArrayGetUBound(array, 2, &upper_columns);
  content_.Reset(ArrayValue(array, element_type));
  row_count_ = upper_rows + 1;
  column_count_ = upper_columns + 1;
}

// Slots.

HRESULT __stdcall TSafeArray::SetBounds(LONG rows, LONG columns) noexcept try {
  DoSetBounds(rows, columns);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::SetValue(LONG row, LONG column, VARIANT value) noexcept try {
  DoSetValue(row, column, value);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::__PSA(SAFEARRAY** array) noexcept try {
  if (!array) return E_POINTER;
  *array = content_.Type() & VT_ARRAY ? content_.Get().parray : nullptr;
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::ElementType(LONG* type) noexcept try {
  if (!type) return E_POINTER;
  *type = content_.Type() & ~VT_ARRAY;
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::IsEmpty(LONG* empty) noexcept try {
  if (!empty) return E_POINTER;
  *empty = Empty() ? 1 : 0;
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::__SetPSA(SAFEARRAY* array) noexcept try {
  Adopt(array, VT_VARIANT);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::__SetPSAOfType(SAFEARRAY* array, LONG type) noexcept try {
  Adopt(array, static_cast<VARTYPE>(type & ~VT_ARRAY));
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::GetBounds(LONG* rows, LONG* columns) noexcept try {
  if (!rows || !columns) return E_POINTER;
  *rows = row_count_;
  *columns = column_count_;
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::SaveToFile(BSTR file_name, VARIANT_BOOL* done) noexcept try {
  bool ok = TableSaveToFile(*this, win::BstrText(file_name));
  if (done) *done = Bool(ok);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::LoadFromFile(BSTR file_name, VARIANT_BOOL* done) noexcept try {
  bool ok = TableLoadFromFile(*this, win::BstrText(file_name));
  if (done) *done = Bool(ok);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::LoadFromFileAsStream(BSTR file_name,
                                                   VARIANT_BOOL* done) noexcept try {
  bool ok = TableLoadFromFileAsStream(*this, win::BstrText(file_name));
  if (done) *done = Bool(ok);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::SaveToFileAsStream(BSTR file_name,
                                                 VARIANT_BOOL* done) noexcept try {
  bool ok = TableSaveToFileAsStream(*this, win::BstrText(file_name));
  if (done) *done = Bool(ok);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

HRESULT __stdcall TSafeArray::GetValue(LONG row, LONG column, VARIANT* value) noexcept try {
  if (!value) return E_POINTER;
  // The result is cleared first, so a failed read leaves it Empty.
  VariantClear(value);
  win::ScopedVariant cell = DoGetValue(row, column);
  *value = cell.Release();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException(prog_id_.c_str());
}

// By-name members: identifiers 0-13 in this order.
void TSafeArray::RegisterMembers() {
  auto arg = [](const TCallArgs& a, int i) { return GetArg(a.Params, i); };
  auto file_method = [this](const wchar_t* name, bool (*operation)(ISafeArray&, std::wstring_view)) {
    AddMethod(name, 1, [this, operation](const TCallArgs& a, VARIANT&) {
      operation(*this, TextOf(GetArg(a.Params, 0).Get()));
    });
  };

  AddMethod(L"GetBounds", 2, [this](const TCallArgs& a, VARIANT&) {
    SetArg(a.Params, 0, win::ScopedVariant::FromInt(row_count_).Get());
    SetArg(a.Params, 1, win::ScopedVariant::FromInt(column_count_).Get());
  });
  AddMethod(L"SetBounds", 2, [this, arg](const TCallArgs& a, VARIANT&) {
    DoSetBounds(IntOf(arg(a, 0).Get()), IntOf(arg(a, 1).Get()));
  });
  AddMethod(L"GetValue", 2, [this, arg](const TCallArgs& a, VARIANT& result) {
    result = DoGetValue(IntOf(arg(a, 0).Get()), IntOf(arg(a, 1).Get())).Release();
  });
  AddMethod(L"SetValue", 3, [this, arg](const TCallArgs& a, VARIANT&) {
    DoSetValue(IntOf(arg(a, 0).Get()), IntOf(arg(a, 1).Get()), arg(a, 2).Get());
  });
  AddMethod(L"Empty", 0, [this](const TCallArgs&, VARIANT& result) {
    result = win::ScopedVariant::FromInt(Empty() ? 1 : 0).Release();
  });
  AddMethod(L"__PSA", 0, [this](const TCallArgs&, VARIANT& result) {
    SAFEARRAY* array = content_.Type() & VT_ARRAY ? content_.Get().parray : nullptr;
    result = win::ScopedVariant::FromInt(static_cast<LONG>(reinterpret_cast<intptr_t>(array)))
                 .Release();
  });
  AddMethod(L"SetRowValues", 0, [this, arg](const TCallArgs& a, VARIANT&) {
    LONG row = IntOf(arg(a, 0).Get());
    for (int k = 1; k < ArgCount(a.Params); ++k) DoSetValue(row, k - 1, arg(a, k).Get());
  });
  AddMethod(L"__SetPSA", 1, [this, arg](const TCallArgs& a, VARIANT&) {
    Adopt(reinterpret_cast<SAFEARRAY*>(static_cast<intptr_t>(IntOf(arg(a, 0).Get()))),
          VT_VARIANT);
  });
  file_method(L"LoadFromFile", TableLoadFromFile);
  file_method(L"SaveToFile", TableSaveToFile);
  file_method(L"SaveToFileAsStream", TableSaveToFileAsStream);
  file_method(L"LoadFromFileAsStream", TableLoadFromFileAsStream);
  AddProperty(L"RowCount",
              [this](const TCallArgs&, VARIANT& result) {
                result = win::ScopedVariant::FromInt(row_count_).Release();
              },
              THandler());
  AddProperty(L"ColCount",
              [this](const TCallArgs&, VARIANT& result) {
                result = win::ScopedVariant::FromInt(column_count_).Release();
              },
              THandler());
}

}  // namespace automation
