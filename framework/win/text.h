// Conversions between the module's UTF-16 texts and 8-bit or UTF-8 texts.
#pragma once

#include <string>
#include <string_view>

namespace win {

// 8-bit texts use the system's ANSI code page (1251 on the plug-ins' home systems).
std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

}  // namespace win
