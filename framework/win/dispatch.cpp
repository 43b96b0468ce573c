// Late-bound calls through IDispatch with a per-object identifier cache.
#include "framework/win/dispatch.h"

#include <algorithm>
#include <vector>

#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"

namespace win {

DispatchObject DispatchObject::FromVariant(const VARIANT& value) {
  const VARIANT* v = &value;
  if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) v = v->pvarVal;
  IUnknown* unknown = nullptr;
  switch (v->vt) {
    case VT_DISPATCH: unknown = v->pdispVal; break;
    case VT_DISPATCH | VT_BYREF: unknown = v->ppdispVal ? *v->ppdispVal : nullptr; break;
    case VT_UNKNOWN: unknown = v->punkVal; break;
    case VT_UNKNOWN | VT_BYREF: unknown = v->ppunkVal ? *v->ppunkVal : nullptr; break;
    default: break;
  }
  if (!unknown) ThrowText(L"Значение не является объектом");
  ComPtr<IDispatch> dispatch;
  HRESULT hr = unknown->QueryInterface(IID_IDispatch, dispatch.PutVoid());
  if (FAILED(hr)) ThrowHresult(hr, L"QueryInterface(IDispatch)");
  return DispatchObject(std::move(dispatch));
}

DISPID DispatchObject::TryIdOf(std::wstring_view name) {
  std::wstring key(name);
  auto it = ids_.find(key);
  if (it != ids_.end()) return it->second;
  if (!object_) ThrowText(L"Объект не создан");
  LPOLESTR names[] = {key.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return DISPID_UNKNOWN;
  ids_.emplace(std::move(key), id);
  return id;
}

DISPID DispatchObject::IdOf(std::wstring_view name) {
  DISPID id = TryIdOf(name);
  if (id == DISPID_UNKNOWN) ThrowHresult(DISP_E_UNKNOWNNAME, std::wstring(name));
  return id;
}

ScopedVariant DispatchObject::Invoke(std::wstring_view name, WORD flags,
                                     std::initializer_list<VARIANT> args) {
  DISPID id = IdOf(name);
  // Invoke takes the arguments last to first.
  std::vector<VARIANT> reversed(args.begin(), args.end());
  std::reverse(reversed.begin(), reversed.end());
  DISPPARAMS params = {};
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(reversed.size());
  DISPID put_id = DISPID_PROPERTYPUT;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  ScopedVariant result;
  EXCEPINFO info = {};
  UINT arg_err = 0;
  HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                               (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
                                   ? nullptr
                                   : result.Put(),
                               &info, &arg_err);
  if (hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    ScopedBstr description = ScopedBstr::Adopt(info.bstrDescription);
    ScopedBstr source = ScopedBstr::Adopt(info.bstrSource);
    ScopedBstr help = ScopedBstr::Adopt(info.bstrHelpFile);
    std::wstring text = description.Text();
    if (!text.empty()) ThrowText(std::wstring(name) + L": " + text);
    hr = info.scode ? info.scode : hr;
  }
  if (FAILED(hr)) ThrowHresult(hr, name);
  return result;
}

ScopedVariant DispatchObject::Call(std::wstring_view name, std::initializer_list<VARIANT> args) {
  return Invoke(name, DISPATCH_METHOD, args);
}

ScopedVariant DispatchObject::GetProperty(std::wstring_view name,
                                          std::initializer_list<VARIANT> args) {
  return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
}

void DispatchObject::PutProperty(std::wstring_view name, const VARIANT& value) {
  Invoke(name, DISPATCH_PROPERTYPUT, {value});
}

namespace {
DispatchObject ObjectOf(ScopedVariant&& v) {
  if (v.Type() == VT_EMPTY || v.Type() == VT_NULL) return DispatchObject();
  if ((v.Type() == VT_DISPATCH && !v.Get().pdispVal) ||
      (v.Type() == VT_UNKNOWN && !v.Get().punkVal))
    return DispatchObject();
  return DispatchObject::FromVariant(v.Get());
}
}  // namespace

DispatchObject DispatchObject::CallObject(std::wstring_view name,
                                          std::initializer_list<VARIANT> args) {
  return ObjectOf(Call(name, args));
}

DispatchObject DispatchObject::GetObject(std::wstring_view name,
                                         std::initializer_list<VARIANT> args) {
  return ObjectOf(GetProperty(name, args));
}

VARIANT ArgText(BSTR text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text;
  return v;
}

VARIANT ArgInt(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

VARIANT ArgBool(bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT ArgDispatch(IDispatch* object) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = object;
  return v;
}

}  // namespace win
