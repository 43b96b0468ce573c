// Display texts of values for error messages.
#include "framework/automation/value_text.h"

#include <oleauto.h>

#include "framework/automation/host_string.h"
#include "framework/config/formats.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"

namespace automation {

std::wstring ValueDisplayText(const VARIANT& value) {
  if ((value.vt & ~VT_BYREF) == VT_DISPATCH) return L"Объект";
  // The OLE conversions do not know the host's 8-bit text type; its characters are the text.
  if (value.vt == kVtHostString) return HostStringText(value.pcVal);
  // The user's own overrides of the Russian locale must not change the module's formats.
  win::ScopedVariant text;
  HRESULT hr = VariantChangeTypeEx(text.Ptr(), const_cast<VARIANT*>(&value),
                                   config::kModuleLcid, VARIANT_NOUSEROVERRIDE, VT_BSTR);
  if (FAILED(hr)) return L"Неопределено";
  return win::BstrText(text.Get().bstrVal);
}

void RaiseUnsupportedType(const VARIANT& value) {
  services::RaisePlain(L"Неподдерживаемый тип данных.\r\nТип данных=" +
                       std::to_wstring(value.vt) + L"\r\nПредставление: (" +
                       ValueDisplayText(value) + L")");
}

}  // namespace automation
