// Creating value tables and reading rows and columns out of tables and plain arrays.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <span>

#include "framework/automation/safe_array_interface.h"
#include "framework/win/com_ptr.h"
#include "framework/win/dispatch.h"
#include "framework/win/scoped_safearray.h"
#include "framework/win/scoped_variant.h"

namespace automation {

struct TableSize {
  LONG rows = 0;
  LONG columns = 0;
};

// "GetBounds" by name, with both counts passed by reference: any table, the module's or the
// host's.
TableSize BoundsOf(win::DispatchObject& table);

// A new, empty (0 x 0) value table. The first call makes the module's one class factory
// (from the type library resource); a factory that cannot be made fails every call.
win::ComPtr<ISafeArray> CreateValueTable();

// A new value table that takes over a two-dimensional array whose elements have the given
// type (VT_VARIANT, VT_UI1, ...); the array is left with the caller when it is refused.
win::ComPtr<ISafeArray> CreateValueTableOf(win::ScopedSafearray& array, VARTYPE element_type);

// The module's value table factory (made on first use); the same object for every table.
IClassFactory* ValueTableFactory();

// True for an object reference (VT_DISPATCH) whose object answers ISafeArray.
bool IsValueTable(const VARIANT& value);

// places[i] := element i of a one-dimensional array; places are emptied first and an
// element that the array lacks leaves its place Empty.
void ReadArrayElements(SAFEARRAY* array, std::span<win::ScopedVariant> places);
// element i := values[i].
void WriteArrayElements(SAFEARRAY* array, std::span<const VARIANT> values);

// An array source is read with ReadArrayElements; anything else must be a value table of
// exactly one column (else code 20028), whose rows fill the places (Empty past the last row).
void ReadTableColumn(const VARIANT& source, std::span<win::ScopedVariant> places);
// A value table: cells (row, 0 .. n) (code 20028 when the row or the columns are missing).
// A plain two-dimensional array (code 21004 for a non-array, 20028 for another shape) is
// read transposed: elements (0 .. n, row), its first index being the field.
void ReadTableRow(const VARIANT& source, LONG row, std::span<win::ScopedVariant> places);

}  // namespace automation
