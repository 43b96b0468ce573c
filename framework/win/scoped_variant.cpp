// Typed constructors of the VARIANT wrapper.
#include "framework/win/scoped_variant.h"

#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"

namespace win {

ScopedVariant ScopedVariant::FromInt(LONG value) {
  ScopedVariant v;
  v.var_.vt = VT_I4;
  v.var_.lVal = value;
  return v;
}

ScopedVariant ScopedVariant::FromDouble(double value) {
  ScopedVariant v;
  v.var_.vt = VT_R8;
  v.var_.dblVal = value;
  return v;
}

ScopedVariant ScopedVariant::FromBool(bool value) {
  ScopedVariant v;
  v.var_.vt = VT_BOOL;
  v.var_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

ScopedVariant ScopedVariant::FromText(std::wstring_view text) {
  ScopedVariant v;
  BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!b) ThrowHresult(E_OUTOFMEMORY, L"SysAllocStringLen");
  v.var_.vt = VT_BSTR;
  v.var_.bstrVal = b;
  return v;
}

ScopedVariant ScopedVariant::FromDispatch(IDispatch* object) {
  ScopedVariant v;
  v.var_.vt = VT_DISPATCH;
  v.var_.pdispVal = object;
  if (object) object->AddRef();
  return v;
}

ScopedVariant ScopedVariant::FromUnknown(IUnknown* object) {
  ScopedVariant v;
  v.var_.vt = VT_UNKNOWN;
  v.var_.punkVal = object;
  if (object) object->AddRef();
  return v;
}

ScopedVariant ScopedVariant::CopyOf(const VARIANT& value) {
  ScopedVariant v;
  HRESULT hr = VariantCopy(&v.var_, const_cast<VARIANT*>(&value));
  if (FAILED(hr)) ThrowHresult(hr, L"VariantCopy");
  return v;
}

}  // namespace win
