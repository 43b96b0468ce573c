// Case-insensitive comparison of names under a given locale, as the host's names are matched.
#pragma once

#include <windows.h>

#include <string_view>

namespace config {

// True when the two names are equal ignoring case under `locale` (CompareStringW with
// NORM_IGNORECASE). An empty name equals nothing, not even another empty name: tables and
// lists hold entries whose English half is empty, and an empty key must not find them.
bool SameName(std::wstring_view a, std::wstring_view b, LCID locale = LOCALE_USER_DEFAULT);

}  // namespace config
