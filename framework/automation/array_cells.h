// Reading and writing single elements of a safe array of any element type as VARIANTs.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "framework/win/scoped_variant.h"

namespace automation {

// The element at the indices (dimension 1 first) as a value of the array's element type; an
// array of variants gives a copy of the element. Index and type failures raise.
win::ScopedVariant ReadCell(SAFEARRAY* array, LONG* indices);
// Stores the value, converted to the element type unless the array holds variants.
void WriteCell(SAFEARRAY* array, LONG* indices, const VARIANT& value);
// The element type of an array (VT_VARIANT, VT_UI1, ...); raises when it has none.
VARTYPE ElementTypeOf(SAFEARRAY* array);

}  // namespace automation
