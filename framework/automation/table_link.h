// Where the storage file meets the value table object: reading a table's array out of an
// object reference, and wrapping a loaded two-dimensional array into a new table object.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <optional>

#include "framework/win/scoped_safearray.h"
#include "framework/win/scoped_variant.h"

namespace automation {

// The array behind a value table object, not a copy: it stays owned by the table, which the
// caller keeps alive while it uses the array.
struct TableContents {
  SAFEARRAY* array;
  VARTYPE element_type;
};

// The contents of the object when it answers ISafeArray; nothing for any other object.
std::optional<TableContents> ContentsOfTable(IUnknown* object);

// A new value table object that adopts the two-dimensional array (elements of element_type),
// as an object reference value.
win::ScopedVariant MakeTableValue(win::ScopedSafearray array, VARTYPE element_type);

}  // namespace automation
