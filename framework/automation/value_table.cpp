// Value table tests and readers over value tables (by late binding) and plain arrays.
#include "framework/automation/value_table.h"

#include "framework/automation/array_cells.h"
#include "framework/services/exceptions.h"
#include "framework/win/dispatch.h"

namespace automation {

namespace {

constexpr int32_t kBadStructure = 20028;
constexpr int32_t kBadParameterType = 21004;

SAFEARRAY* ArrayOf(const VARIANT& value) {
  if (!(value.vt & VT_ARRAY)) return nullptr;
  if (value.vt & VT_BYREF) return value.pparray ? *value.pparray : nullptr;
  return value.parray;
}

}  // namespace

TableSize BoundsOf(win::DispatchObject& table) {
  TableSize size;
  VARIANT rows, columns;
  VariantInit(&rows);
  VariantInit(&columns);
  rows.vt = VT_I4 | VT_BYREF;
  rows.plVal = &size.rows;
  columns.vt = VT_I4 | VT_BYREF;
  columns.plVal = &size.columns;
  table.Call(L"GetBounds", {rows, columns});
  return size;
}

namespace {

void EmptyAll(std::span<win::ScopedVariant> places) {
  for (win::ScopedVariant& place : places) place.Reset();
}

}  // namespace

bool IsValueTable(const VARIANT& value) {
  if (value.vt != VT_DISPATCH || !value.pdispVal) return false;
  win::ComPtr<ISafeArray> table;
  return SUCCEEDED(value.pdispVal->QueryInterface(kIidSafeArray, table.PutVoid())) && table;
}

void ReadArrayElements(SAFEARRAY* array, std::span<win::ScopedVariant> places) {
  EmptyAll(places);
  if (!array) return;
  // One index per element: a table-shaped array is the wrong structure for this reader.
  if (SafeArrayGetDim(array) != 1) services::RaiseErrorCode(kBadStructure);
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  for (LONG i = 0; i < static_cast<LONG>(places.size()); ++i) {
    if (i < lower || i > upper) continue;
    places[i] = ReadCell(array, &i);
  }
}

void WriteArrayElements(SAFEARRAY* array, std::span<const VARIANT> values) {
  if (!array || SafeArrayGetDim(array) != 1) services::RaiseErrorCode(kBadStructure);
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) WriteCell(array, &i, values[i]);
}

void ReadTableColumn(const VARIANT& source, std::span<win::ScopedVariant> places) {
  if (source.vt & VT_ARRAY) {
    ReadArrayElements(ArrayOf(source), places);
    return;
  }
  win::DispatchObject table = win::DispatchObject::FromVariant(source);
  TableSize size = BoundsOf(table);
  if (size.columns != 1) services::RaiseErrorCode(kBadStructure);
  EmptyAll(places);
  for (LONG i = 0; i < static_cast<LONG>(places.size()) && i < size.rows; ++i)
    places[i] = table.Call(L"GetValue", {win::ArgInt(i), win::ArgInt(0)});
}

void ReadTableRow(const VARIANT& source, LONG row, std::span<win::ScopedVariant> places) {
  LONG n = static_cast<LONG>(places.size()) - 1;
  VARTYPE type = source.vt & ~VT_BYREF;
  if (type == VT_DISPATCH || type == VT_UNKNOWN) {
    win::DispatchObject table = win::DispatchObject::FromVariant(source);
    TableSize size = BoundsOf(table);
    if (row < 0 || row >= size.rows || n >= size.columns) services::RaiseErrorCode(kBadStructure);
    for (LONG i = 0; i <= n; ++i)
      places[i] = table.Call(L"GetValue", {win::ArgInt(row), win::ArgInt(i)});
    return;
  }
  SAFEARRAY* array = ArrayOf(source);
  if (!array) services::RaiseErrorCode(kBadParameterType);
  if (SafeArrayGetDim(array) != 2) services::RaiseErrorCode(kBadStructure);
  LONG upper_fields = 0, upper_records = 0;
  SafeArrayGetUBound(array, 1, &upper_fields);
  SafeArrayGetUBound(array, 2, &upper_records);
  if (row > upper_records || n > upper_fields) services::RaiseErrorCode(kBadStructure);
  // A plain array is read transposed: its first index is the field, its second the record.
  for (LONG i = 0; i <= n; ++i) {
    LONG at[2] = {i, row};
    places[i] = ReadCell(array, at);
  }
}

}  // namespace automation
