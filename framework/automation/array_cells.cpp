// Element access for arrays of variants and of plain element types alike.
#include "framework/automation/array_cells.h"

#include "framework/config/formats.h"
#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"

namespace automation {

namespace {

// Element types whose value fits the VARIANT's 8-byte data field.
bool FitsVariant(VARTYPE type) {
  switch (type) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT:
    case VT_UINT: case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_CY: case VT_DATE:
    case VT_BOOL: case VT_ERROR: case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN:
      return true;
    default:
      return false;
  }
}

[[noreturn]] void RaiseElementType(VARTYPE type) {
  services::RaisePlain(L"Ошибка типа параметра. " + std::to_wstring(type));
}

}  // namespace

VARTYPE ElementTypeOf(SAFEARRAY* array) {
  VARTYPE type = VT_EMPTY;
  HRESULT hr = SafeArrayGetVartype(array, &type);
  if (FAILED(hr)) win::ThrowHresult(hr, L"SafeArrayGetVartype");
  return type;
}

win::ScopedVariant ReadCell(SAFEARRAY* array, LONG* indices) {
  VARTYPE type = ElementTypeOf(array);
  win::ScopedVariant cell;
  if (type == VT_VARIANT) {
    HRESULT hr = SafeArrayGetElement(array, indices, cell.Ptr());
    if (FAILED(hr)) win::ThrowHresult(hr, L"SafeArrayGetElement");
    return cell;
  }
  if (!FitsVariant(type)) RaiseElementType(type);
  VARIANT value;
  VariantInit(&value);
  // Texts and objects come back as a new string or a new reference, owned by the value.
  HRESULT hr = SafeArrayGetElement(array, indices, &value.llVal);
  if (FAILED(hr)) win::ThrowHresult(hr, L"SafeArrayGetElement");
  value.vt = type;
  cell.Reset(value);
  return cell;
}

void WriteCell(SAFEARRAY* array, LONG* indices, const VARIANT& value) {
  VARTYPE type = ElementTypeOf(array);
  HRESULT hr = S_OK;
  if (type == VT_VARIANT) {
    hr = SafeArrayPutElement(array, indices, const_cast<VARIANT*>(&value));
  } else {
    if (!FitsVariant(type)) RaiseElementType(type);
    win::ScopedVariant converted;
    if (!config::ChangeType(*converted.Ptr(), value, type))
      win::ThrowHresult(DISP_E_TYPEMISMATCH, L"SafeArrayPutElement");
    VARIANT& v = *converted.Ptr();
    // Strings and interfaces are passed as themselves, everything else by address; the
    // array stores its own copy either way.
    void* data = (type == VT_BSTR || type == VT_DISPATCH || type == VT_UNKNOWN)
                     ? static_cast<void*>(v.byref)
                     : static_cast<void*>(&v.llVal);
    hr = SafeArrayPutElement(array, indices, data);
  }
  if (FAILED(hr)) win::ThrowHresult(hr, L"SafeArrayPutElement");
}

}  // namespace automation
