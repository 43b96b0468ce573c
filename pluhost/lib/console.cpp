// UTF-8 output and value formatting of the host program.
#include "pluhost/lib/console.h"

#include <string>

namespace pluhost {
namespace {

void WriteUtf8(DWORD which, std::wstring_view text) {
  if (text.empty()) return;
  HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    // A terminal: Wine's console takes UTF-16 and writes it in the terminal's own encoding,
    // whereas bytes would be read in the console's OEM code page.
    DWORD written = 0;
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                      nullptr, nullptr);
  // A pipe or file: raw UTF-8 bytes, passed through to Linux unchanged.
  DWORD written = 0;
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void Print(std::wstring_view text) { WriteUtf8(STD_OUTPUT_HANDLE, text); }

void PrintLine(std::wstring_view text) {
  Print(text);
  Print(L"\n");
}

void PrintError(std::wstring_view text) {
  WriteUtf8(STD_ERROR_HANDLE, text);
  WriteUtf8(STD_ERROR_HANDLE, L"\n");
}

std::wstring TypeName(VARTYPE vt) {
  std::wstring base;
  switch (vt & VT_TYPEMASK) {
    case VT_EMPTY: base = L"Empty"; break;
    case VT_NULL: base = L"Null"; break;
    case VT_I2: base = L"I2"; break;
    case VT_I4: base = L"I4"; break;
    case VT_R4: base = L"R4"; break;
    case VT_R8: base = L"R8"; break;
    case VT_CY: base = L"CY"; break;
    case VT_DATE: base = L"Date"; break;
    case VT_BSTR: base = L"BSTR"; break;
    case VT_DISPATCH: base = L"Dispatch"; break;
    case VT_ERROR: base = L"Error"; break;
    case VT_BOOL: base = L"Bool"; break;
    case VT_VARIANT: base = L"Variant"; break;
    case VT_UNKNOWN: base = L"Unknown"; break;
    case VT_UI1: base = L"UI1"; break;
    case VT_UI2: base = L"UI2"; break;
    case 0x0100: base = L"String8"; break;
    default: base = L"vt" + std::to_wstring(vt & VT_TYPEMASK); break;
  }
  if (vt & VT_ARRAY) base = L"Array of " + base;
  if (vt & VT_BYREF) base += L" by reference";
  return base;
}

std::wstring ValueText(const VARIANT& value) {
  VARTYPE plain = value.vt & ~VT_BYREF;
  if (plain == VT_DISPATCH || plain == VT_UNKNOWN) return L"<object>";
  if (value.vt & VT_ARRAY) return L"<array>";
  if (value.vt == 0x0100) {
    const char* text = static_cast<const char*>(value.byref);
    if (!text) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
    return out;
  }
  VARIANT text;
  VariantInit(&text);
  // The host shows numbers as the module writes them: Russian conventions.
  if (FAILED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&value), 0x0419,
                                 VARIANT_NOUSEROVERRIDE | VARIANT_ALPHABOOL, VT_BSTR)))
    return L"<" + TypeName(value.vt) + L">";
  std::wstring out = text.bstrVal ? std::wstring(text.bstrVal, SysStringLen(text.bstrVal)) : L"";
  VariantClear(&text);
  return out;
}

}  // namespace pluhost
