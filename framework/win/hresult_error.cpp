// Conversion of platform failure codes into coded errors.
#include "framework/win/hresult_error.h"

#include <cstdio>

#include "framework/services/exceptions.h"

namespace win {

std::wstring SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  return text;
}

[[noreturn]] void ThrowHresult(HRESULT hr, std::wstring_view what) {
  wchar_t code[16];
  swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  std::wstring text(what);
  text += L": ";
  std::wstring sys = SystemMessage(static_cast<DWORD>(hr));
  if (!sys.empty()) text += sys + L" ";
  text += L"(";
  text += code;
  text += L")";
  services::RaiseText(text);
}

[[noreturn]] void ThrowLastError(std::wstring_view what) {
  DWORD err = GetLastError();
  ThrowHresult(HRESULT_FROM_WIN32(err), what);
}

[[noreturn]] void ThrowText(std::wstring_view text) { services::RaiseText(text); }

}  // namespace win
