// The module's own number and date formats, applied to each conversion instead of being set
// for the process: the host's and the user's locale settings are never changed.
#include "framework/config/formats.h"

#include <cwchar>

#include "framework/win/hresult_error.h"
#include "framework/win/scoped_variant.h"

namespace config {
namespace {

// The Russian conventions as the system ships them: a user who changed the separators of
// his own (Russian) locale must not change what the module reads and writes. Booleans as
// text are "True" and "False" in every language.
constexpr USHORT kConversionFlags = VARIANT_NOUSEROVERRIDE | VARIANT_ALPHABOOL;

// The date of a VT_DATE value, by value or by reference; false for anything else.
bool DateOf(const VARIANT& value, double& date) {
  if (value.vt == VT_DATE) {
    date = value.date;
    return true;
  }
  if (value.vt == (VT_DATE | VT_BYREF) && value.pdate != nullptr) {
    date = *value.pdate;
    return true;
  }
  return false;
}

// "dd.MM.yyyy", then " hh:mm:ss" (24-hour, two digits) unless the time is midnight. Written
// here rather than taken from the system: its Russian long time is "H:mm:ss" on Windows,
// which drops the hour's leading zero.
HRESULT FormatDateTime(double date, std::wstring& text) {
  UDATE parts{};
  // Rounds to the nearest second, as the platform's own date conversions do.
  const HRESULT hr = VarUdateFromDate(date, 0, &parts);
  if (FAILED(hr)) return hr;
  const SYSTEMTIME& st = parts.st;
  wchar_t buffer[32];
  if (st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0) {
    swprintf(buffer, 32, L"%02u.%02u.%04u", st.wDay, st.wMonth, st.wYear);
  } else {
    swprintf(buffer, 32, L"%02u.%02u.%04u %02u:%02u:%02u", st.wDay, st.wMonth, st.wYear,
             st.wHour, st.wMinute, st.wSecond);
  }
  text = buffer;
  return S_OK;
}

HRESULT ChangeTypeResult(VARIANT& out, const VARIANT& in, VARTYPE type) {
  win::ScopedVariant converted;
  double date = 0;
  if (type == VT_BSTR && DateOf(in, date)) {
    std::wstring text;
    const HRESULT hr = FormatDateTime(date, text);
    if (FAILED(hr)) return hr;
    converted = win::ScopedVariant::FromText(text);
  } else {
    const HRESULT hr = VariantChangeTypeEx(converted.Ptr(), const_cast<VARIANT*>(&in),
                                           kModuleLcid, kConversionFlags, type);
    if (FAILED(hr)) return hr;
  }
  // `out` may be `in` itself: the old value is freed only once the new one exists.
  win::ScopedVariant old = win::ScopedVariant::Adopt(out);
  out = converted.Release();
  return S_OK;
}

}  // namespace

bool ChangeType(VARIANT& out, const VARIANT& in, VARTYPE type) noexcept try {
  return SUCCEEDED(ChangeTypeResult(out, in, type));
} catch (...) {
  // Only running out of memory for a date text throws; the value then does not convert.
  return false;
}

std::wstring FloatToText(double value) {
  win::ScopedVariant number = win::ScopedVariant::FromDouble(value);
  win::ScopedVariant text;
  const HRESULT hr = ChangeTypeResult(*text.Ptr(), number.Get(), VT_BSTR);
  if (FAILED(hr)) win::ThrowHresult(hr, L"FloatToText");
  return std::wstring(text.Get().bstrVal, SysStringLen(text.Get().bstrVal));
}

std::wstring DateTimeToText(double date) {
  std::wstring text;
  const HRESULT hr = FormatDateTime(date, text);
  if (FAILED(hr)) win::ThrowHresult(hr, L"DateTimeToText");
  return text;
}

bool TextToFloat(std::wstring_view text, double& value) {
  win::ScopedVariant source = win::ScopedVariant::FromText(text);
  win::ScopedVariant number;
  if (FAILED(ChangeTypeResult(*number.Ptr(), source.Get(), VT_R8))) return false;
  value = number.Get().dblVal;
  return true;
}

bool ValueToText(const VARIANT& value, std::wstring& text) {
  win::ScopedVariant converted;
  if (FAILED(ChangeTypeResult(*converted.Ptr(), value, VT_BSTR))) return false;
  text.assign(converted.Get().bstrVal, SysStringLen(converted.Get().bstrVal));
  return true;
}

}  // namespace config
