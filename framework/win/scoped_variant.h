// Owns one VARIANT and frees it with VariantClear.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string_view>

namespace win {

class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&var_); }
  ~ScopedVariant() { VariantClear(&var_); }

  ScopedVariant(ScopedVariant&& other) noexcept : var_(other.Release()) {}
  ScopedVariant& operator=(ScopedVariant&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  // Typed constructors for the values the plug-ins create most.
  static ScopedVariant FromInt(LONG value);
  static ScopedVariant FromDouble(double value);
  static ScopedVariant FromBool(bool value);
  static ScopedVariant FromText(std::wstring_view text);
  // Adds a reference; a null object gives VT_DISPATCH null or VT_UNKNOWN null.
  static ScopedVariant FromDispatch(IDispatch* object);
  static ScopedVariant FromUnknown(IUnknown* object);
  // A deep copy (VariantCopy); throws a coded error when the value cannot be copied.
  static ScopedVariant CopyOf(const VARIANT& value);
  // Takes ownership of a value that the caller filled; never adopts silently.
  static ScopedVariant Adopt(const VARIANT& value) {
    ScopedVariant v;
    v.var_ = value;
    return v;
  }

  const VARIANT& Get() const { return var_; }
  VARIANT* Ptr() { return &var_; }
  VARTYPE Type() const { return var_.vt; }
  bool IsEmpty() const { return var_.vt == VT_EMPTY; }

  // Gives up ownership; this becomes Empty.
  VARIANT Release() {
    VARIANT v = var_;
    VariantInit(&var_);
    return v;
  }
  // Frees the current value and takes the given one.
  void Reset(const VARIANT& value) {
    VariantClear(&var_);
    var_ = value;
  }
  void Reset() { VariantClear(&var_); }
  // Frees the current value and returns its address for an out-parameter.
  VARIANT* Put() {
    VariantClear(&var_);
    return &var_;
  }

 private:
  VARIANT var_;
};

}  // namespace win
