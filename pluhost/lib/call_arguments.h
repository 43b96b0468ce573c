// Call arguments as the host program's command line writes them, turned into the values
// that go into a parameter block.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

namespace pluhost {

// "i:<integer>" gives a 32-bit integer (VT_I4), "d:<number>" a float (VT_R8; the decimal
// separator may be a comma or a point), "s:<text>" a text (VT_BSTR) whatever it looks like,
// and anything else a text as it stands. A typed form that does not hold a whole number of
// its kind is refused with `error` set, rather than sent as 0. On success `out` holds a
// value that the caller clears.
bool ParseCallArgument(std::wstring_view text, VARIANT& out, std::wstring& error);

}  // namespace pluhost
