// Name matching of the method and property table records.
#include "framework/config/table_records.h"

#include "framework/config/name_compare.h"

namespace config {

bool MethodEntry::Matches(std::wstring_view name, LCID locale) const {
  return SameName(name, FirstName(), locale) || SameName(name, SecondName(), locale);
}

bool PropertyEntry::Matches(std::wstring_view name) const {
  return SameName(name, NameRu) || SameName(name, NameEn);
}

}  // namespace config
