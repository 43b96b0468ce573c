// Output of the host program: UTF-8 bytes, so that Russian texts read right in a Linux
// terminal whatever the Windows console code page says.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

namespace pluhost {

void Print(std::wstring_view text);
void PrintLine(std::wstring_view text = {});
void PrintError(std::wstring_view text);

// A value as the host program shows it: the text of scalars, "<object>" for objects.
std::wstring ValueText(const VARIANT& value);
// The variant type's short name ("I4", "BSTR", ...).
std::wstring TypeName(VARTYPE vt);

}  // namespace pluhost
