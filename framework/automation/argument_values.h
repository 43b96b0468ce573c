// Operations on call argument values shared by the parameter block and the dispatch object
// base: owned copies, emptying, conversion under the module formats, writing back through
// by-reference arguments, and the index error both report.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "framework/win/scoped_variant.h"

namespace automation {

// Empties one stored value. An 8-bit host string belongs to the host: it is dropped, never
// freed.
void EmptyValue(VARIANT& value) noexcept;

// A copy that the module may own and convert: the 8-bit host string becomes a BSTR, since
// the OLE routines do not know its type and a raw copy would share the host's string.
win::ScopedVariant OwnedCopy(const VARIANT& value);

// The value converted under the module's number formats ("2,5" is two and a half); a value
// that does not convert raises a coded error naming `what`.
win::ScopedVariant ConvertedValue(const VARIANT& value, VARTYPE type, const wchar_t* what);

// Writes the value back into an argument the caller passed by reference: a referenced
// variant receives a copy, a referenced 32-bit integer, double or text the converted value.
// An argument passed by value is left untouched. False (nothing written) when the argument
// references another type: the callers raise their own error for that.
bool WriteThroughReference(VARIANT& target, const VARIANT& value, const wchar_t* what);

// Code 20000 "Неверный индекс (<operation>) Index=<index> Count=<count>".
[[noreturn]] void RaiseIndexError(const wchar_t* operation, int index, int count);

}  // namespace automation
