// Test helper: calls a dispatch object by name and keeps what came back, failure included.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/win/com_ptr.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"

namespace testing_dispatch {

struct Outcome {
  HRESULT hr = E_FAIL;
  win::ScopedVariant result;
  std::wstring description;
  std::wstring source;
  SCODE scode = 0;
};

inline DISPID IdOf(IDispatch* object, const wchar_t* name, HRESULT* hr_out = nullptr) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (hr_out) *hr_out = hr;
  return id;
}

// Arguments in natural order; borrowed, not freed here.
inline Outcome InvokeId(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args) {
  std::reverse(args.begin(), args.end());
  DISPPARAMS params = {args.empty() ? nullptr : args.data(), nullptr,
                       static_cast<UINT>(args.size()), 0};
  DISPID put = DISPID_PROPERTYPUT;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  Outcome out;
  EXCEPINFO info = {};
  UINT arg_err = 0;
  out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, out.result.Put(),
                          &info, &arg_err);
  win::ScopedBstr description = win::ScopedBstr::Adopt(info.bstrDescription);
  win::ScopedBstr source = win::ScopedBstr::Adopt(info.bstrSource);
  win::ScopedBstr help = win::ScopedBstr::Adopt(info.bstrHelpFile);
  out.description = description.Text();
  out.source = source.Text();
  out.scode = info.scode;
  return out;
}

inline Outcome Invoke(IDispatch* object, const wchar_t* name, WORD flags,
                      std::vector<VARIANT> args = {}) {
  HRESULT hr = S_OK;
  DISPID id = IdOf(object, name, &hr);
  if (FAILED(hr)) {
    Outcome out;
    out.hr = hr;
    return out;
  }
  return InvokeId(object, id, flags, std::move(args));
}

inline VARIANT Int(LONG v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_I4;
  x.lVal = v;
  return x;
}

inline VARIANT IntRef(LONG* v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_I4 | VT_BYREF;
  x.plVal = v;
  return x;
}

// The calling thread's error information (description, source), consumed.
inline std::pair<std::wstring, std::wstring> TakeErrorInfo() {
  win::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return {};
  win::ScopedBstr description, source;
  info->GetDescription(description.Put());
  info->GetSource(source.Put());
  return {description.Text(), source.Text()};
}

}  // namespace testing_dispatch
