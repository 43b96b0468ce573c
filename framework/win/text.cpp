// Code page conversions through the platform.
#include "framework/win/text.h"

#include <windows.h>

namespace win {
namespace {

std::string FromWide(UINT cp, std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

std::wstring ToWide(UINT cp, std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0)
    MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

}  // namespace

std::string WideToAnsi(std::wstring_view text) { return FromWide(CP_ACP, text); }
std::wstring AnsiToWide(std::string_view text) { return ToWide(CP_ACP, text); }
std::string WideToUtf8(std::wstring_view text) { return FromWide(CP_UTF8, text); }
std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }

}  // namespace win
