// Storage side of the value table object: reaching its array through ISafeArray, and making
// a new table around a loaded array.
#include "framework/automation/table_link.h"

#include "framework/automation/identifiers.h"
#include "framework/automation/safe_array_interface.h"
#include "framework/automation/value_table.h"
#include "framework/win/com_ptr.h"

namespace automation {

std::optional<TableContents> ContentsOfTable(IUnknown* object) {
  if (!object) return std::nullopt;
  win::ComPtr<ISafeArray> table;
  if (FAILED(object->QueryInterface(kIidSafeArray, table.PutVoid())) || !table)
    return std::nullopt;
  SAFEARRAY* array = nullptr;
  LONG type = 0;
  // A table that cannot report its contents is treated like any object the format refuses.
  if (FAILED(table->__PSA(&array)) || FAILED(table->ElementType(&type)) || !array)
    return std::nullopt;
  return TableContents{array, static_cast<VARTYPE>(type)};
}

win::ScopedVariant MakeTableValue(win::ScopedSafearray array, VARTYPE element_type) {
  win::ComPtr<ISafeArray> table = CreateValueTableOf(array, element_type);
  return win::ScopedVariant::FromDispatch(table.Get());
}

}  // namespace automation
