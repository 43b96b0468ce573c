// Values shown as text in error messages.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace automation {

// "Объект" for an automation object (by value or by reference); else the value as text under
// the module's formats; "Неопределено" when it does not convert.
std::wstring ValueDisplayText(const VARIANT& value);

// Raises the plain (uncoded) error naming the value's type code and its display text.
[[noreturn]] void RaiseUnsupportedType(const VARIANT& value);

}  // namespace automation
