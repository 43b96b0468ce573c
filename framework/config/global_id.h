// Global identifiers (GUIDs) as the configuration documents write them: braced, 38
// characters, upper-case hexadecimal; the empty text stands for the null GUID.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

namespace config {

// The empty text gives the null GUID; a text that is no GUID raises a plain (uncoded) error
// "Значение не является идентификатором объекта.".
GUID GlobalIdFromText(std::wstring_view text);
GUID GlobalIdFromText(std::string_view text);  // 8-bit text in the ANSI code page
// True when the value holds text (automation text or an 8-bit host text) that
// GlobalIdFromText accepts, the empty text included.
bool IsGlobalIdText(const VARIANT& value) noexcept;
std::wstring GlobalIdToText(const GUID& id);
GUID NewGlobalId();
bool SameGlobalId(const GUID& a, const GUID& b);
bool IsWinNT();

}  // namespace config
