// The module's own number and date formats: decimal separator ",", dates "dd.MM.yyyy",
// times "hh:mm:ss". Every number and date conversion of the module goes through here, so
// the results do not depend on the user's settings, and no locale setting is ever changed.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

namespace config {

// The locale whose conventions match the module's formats (Russian: "," and dd.MM.yyyy).
constexpr LCID kModuleLcid = 0x0419;

// VariantChangeTypeEx under the module's formats; false when the value does not convert.
bool ChangeType(VARIANT& out, const VARIANT& in, VARTYPE type) noexcept;

// Texts in the module's formats.
std::wstring FloatToText(double value);
std::wstring DateTimeToText(double date);  // "dd.MM.yyyy hh:mm:ss" (time part omitted at 0)
// Reads a number in the module's format ("2,5"); false when the text is not one.
bool TextToFloat(std::wstring_view text, double& value);
// The value as text under the module's formats; false when it does not convert.
bool ValueToText(const VARIANT& value, std::wstring& text);

}  // namespace config
