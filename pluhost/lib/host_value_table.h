// The host's own value table (a dispatch object answering SetBounds, GetBounds, SetValue and
// GetValue by name, as the plug-in's tables do) and the readers of any table a plug-in returns.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "pluhost/lib/host_variant.h"

namespace pluhost {

// A new, empty (0 x 0) host table with one reference for the caller.
IDispatch* NewHostValueTable();

// Rows of cells as read out of a table.
using TableCells = std::vector<std::vector<HostVariant>>;

// Late-bound call by name; arguments in natural order (by-reference ones are written through).
// Returns the HRESULT; `error` receives the callee's description on failure.
HRESULT CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args,
                   VARIANT* result, std::wstring* error = nullptr);

// True when the object answers "GetBounds" by name; rows and columns are then filled.
bool TableBounds(IDispatch* object, int32_t& rows, int32_t& columns);
// Reads every cell through "GetBounds" and "GetValue"; false when the object is no table.
bool ReadTable(IDispatch* object, TableCells& cells, std::wstring* error = nullptr);
// Reads a two-dimensional SAFEARRAY (first index the row) the same way.
bool ReadArray(const VARIANT& value, TableCells& cells);
// Builds a host table of the given cells (rows may differ in length; the widest decides).
IDispatch* MakeHostTable(const TableCells& cells);

}  // namespace pluhost
