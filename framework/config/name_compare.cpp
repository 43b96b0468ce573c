// Case-insensitive comparison of names under a given locale.
#include "framework/config/name_compare.h"

namespace config {

bool SameName(std::wstring_view a, std::wstring_view b, LCID locale) {
  if (a.empty() || b.empty()) return false;
  return CompareStringW(locale, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace config
