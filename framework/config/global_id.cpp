// Parsing, formatting and creation of global identifiers.
#include "framework/config/global_id.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>

#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"
#include "framework/win/text.h"

namespace config {

namespace {

constexpr VARTYPE kHostAnsiText = 0x0100;

[[noreturn]] void RaiseNotAnId() {
  services::RaisePlain(L"Значение не является идентификатором объекта.");
}

}  // namespace

GUID GlobalIdFromText(std::wstring_view text) {
  if (text.empty()) return GUID_NULL;
  std::wstring copy(text);
  GUID id;
  if (FAILED(CLSIDFromString(copy.c_str(), &id))) RaiseNotAnId();
  return id;
}

GUID GlobalIdFromText(std::string_view text) { return GlobalIdFromText(win::AnsiToWide(text)); }

bool IsGlobalIdText(const VARIANT& value) noexcept try {
  const VARIANT* v = &value;
  if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) v = v->pvarVal;
  switch (v->vt) {
    case VT_BSTR:
      GlobalIdFromText(std::wstring_view(v->bstrVal ? v->bstrVal : L"", SysStringLen(v->bstrVal)));
      return true;
    case VT_BSTR | VT_BYREF: {
      BSTR b = v->pbstrVal ? *v->pbstrVal : nullptr;
      GlobalIdFromText(std::wstring_view(b ? b : L"", SysStringLen(b)));
      return true;
    }
    case kHostAnsiText: {
      // The host's 8-bit text: the pointer addresses the first character, null is empty.
      const char* chars = static_cast<const char*>(v->byref);
      GlobalIdFromText(std::string_view(chars ? chars : ""));
      return true;
    }
    default:
      return false;
  }
} catch (...) {
  // A refused text is an answer here, not a failure.
  return false;
}

std::wstring GlobalIdToText(const GUID& id) {
  wchar_t text[40];
  swprintf(text, 40, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
           static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1],
           id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

GUID NewGlobalId() {
  GUID id;
  HRESULT hr = CoCreateGuid(&id);
  if (FAILED(hr)) win::ThrowHresult(hr, L"CoCreateGuid");
  return id;
}

bool SameGlobalId(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

bool IsWinNT() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace config
