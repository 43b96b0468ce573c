// Storage side of the value table object.
#include "framework/automation/table_link.h"

namespace automation {

std::optional<TableContents> ContentsOfTable(IUnknown* object) {
  return std::nullopt;
}

win::ScopedVariant MakeTableValue(win::ScopedSafearray array, VARTYPE element_type) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | element_type;
  v.parray = array.Release();
  return win::ScopedVariant::Adopt(v);
}

}  // namespace automation
