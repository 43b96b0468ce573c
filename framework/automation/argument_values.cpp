// Copies, conversions and by-reference writes of call argument values.
#include "framework/automation/argument_values.h"

#include <string>

#include "framework/automation/host_string.h"
#include "framework/config/formats.h"
#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"

namespace automation {

void EmptyValue(VARIANT& value) noexcept {
  if (value.vt == kVtHostString) {
    VariantInit(&value);
    return;
  }
  win::ScopedVariant::Adopt(value);  // frees it
  VariantInit(&value);
}

win::ScopedVariant OwnedCopy(const VARIANT& value) {
  if (value.vt == kVtHostString) return win::ScopedVariant::FromText(HostStringText(value.pcVal));
  return win::ScopedVariant::CopyOf(value);
}

win::ScopedVariant ConvertedValue(const VARIANT& value, VARTYPE type, const wchar_t* what) {
  win::ScopedVariant source = OwnedCopy(value);
  win::ScopedVariant out;
  if (!config::ChangeType(*out.Ptr(), source.Get(), type)) win::ThrowHresult(DISP_E_TYPEMISMATCH, what);
  return out;
}

bool WriteThroughReference(VARIANT& target, const VARIANT& value, const wchar_t* what) {
  if (!(target.vt & VT_BYREF)) return true;
  if (!target.byref) return false;
  switch (target.vt & 0x3FFF) {
    case VT_I4:
      *target.plVal = ConvertedValue(value, VT_I4, what).Get().lVal;
      return true;
    case VT_R8:
      *target.pdblVal = ConvertedValue(value, VT_R8, what).Get().dblVal;
      return true;
    case VT_BSTR: {
      win::ScopedVariant text = ConvertedValue(value, VT_BSTR, what);
      // An in-out text argument: the callee frees the old string when it replaces it.
      win::ScopedBstr old = win::ScopedBstr::Adopt(*target.pbstrVal);
      *target.pbstrVal = text.Release().bstrVal;
      return true;
    }
    case VT_VARIANT: {
      win::ScopedVariant copy = OwnedCopy(value);
      EmptyValue(*target.pvarVal);
      *target.pvarVal = copy.Release();
      return true;
    }
    default:
      return false;
  }
}

[[noreturn]] void RaiseIndexError(const wchar_t* operation, int index, int count) {
  services::RaiseText(std::wstring(L"Неверный индекс (") + operation + L") Index=" +
                      std::to_wstring(index) + L" Count=" + std::to_wstring(count));
}

}  // namespace automation
