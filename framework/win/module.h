// The module (plug-in or program) that this code is linked into.
#pragma once

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace win {

// The module's own instance handle: the plug-in's, not the host process's.
inline HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

}  // namespace win
