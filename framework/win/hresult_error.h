// Turns platform failures (HRESULTs, Win32 errors) into the module's coded errors.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// The system's text for an HRESULT or Win32 error code, without the trailing line break.
std::wstring SystemMessage(DWORD code);

// Raises code 20000 with "<what>: <system text> (0x<hr>)".
[[noreturn]] void ThrowHresult(HRESULT hr, std::wstring_view what);
// Raises code 20000 with GetLastError's text; call it right after the failing call.
[[noreturn]] void ThrowLastError(std::wstring_view what);
// Raises code 20000 with the text as the whole message.
[[noreturn]] void ThrowText(std::wstring_view text);

}  // namespace win
