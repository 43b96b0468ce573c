// An owned VARIANT for the host program's own code, so that values the host keeps are freed once.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

namespace pluhost {

class HostVariant {
 public:
  HostVariant() { VariantInit(&v_); }
  explicit HostVariant(const VARIANT& source) { VariantInit(&v_); VariantCopy(&v_, const_cast<VARIANT*>(&source)); }
  HostVariant(const HostVariant& other) : HostVariant(other.v_) {}
  HostVariant(HostVariant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
  HostVariant& operator=(HostVariant other) noexcept { std::swap(v_, other.v_); return *this; }
  ~HostVariant() { VariantClear(&v_); }

  static HostVariant Int(int32_t value) { HostVariant h; h.v_.vt = VT_I4; h.v_.lVal = value; return h; }
  static HostVariant Double(double value) { HostVariant h; h.v_.vt = VT_R8; h.v_.dblVal = value; return h; }
  static HostVariant Text(std::wstring_view text) {
    HostVariant h;
    h.v_.vt = VT_BSTR;
    h.v_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return h;
  }
  // Takes over the reference.
  static HostVariant Object(IDispatch* object) { HostVariant h; h.v_.vt = VT_DISPATCH; h.v_.pdispVal = object; return h; }

  const VARIANT& Get() const { return v_; }
  VARIANT* Put() { VariantClear(&v_); return &v_; }

 private:
  VARIANT v_;
};

}  // namespace pluhost
