// A frame-based structured-exception handler around one call into a plug-in: what
// __try/__except gives a host, which MinGW's compiler lacks.
#pragma once

#include <windows.h>

#include <cstdint>

#include "pluhost/lib/host_interfaces.h"

namespace pluhost {

struct CaughtException {
  DWORD code = 0;
  DWORD flags = 0;
  DWORD argument_count = 0;
  ULONG_PTR arguments[EXCEPTION_MAXIMUM_PARAMETERS] = {};
};

using SehObserver = void (*)(void* context);

// Calls entry(block, caller) on this thread. A structured exception with `code` raised inside
// is caught: `caught` receives its record, `observer` (when given) runs while the exception is
// being dispatched, the frames of the call are unwound as the system unwinds them, and the
// result is true. Any other exception passes on. Without an exception `result` receives the
// entry's Boolean and the result is false.
bool CallCatching(CallEntryProc entry, void* block, void* caller, DWORD code, uint8_t& result,
                  CaughtException& caught, SehObserver observer = nullptr,
                  void* context = nullptr);

}  // namespace pluhost
