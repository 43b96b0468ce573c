// The call entry handed to the host: failures travel as a structured exception.
#include <windows.h>

#include <string>

#include "framework/automation/params.h"
#include "framework/core/call_entry.h"
#include "framework/services/error_boundary.h"

namespace core {
namespace {

// The message stays readable after the host has unwound, until the next failing call on the
// same thread.
thread_local std::wstring last_message;

}  // namespace

extern "C" uint8_t __stdcall CallEntry(automation::TParams* block, void* caller) noexcept {
  int32_t code = 0;
  bool failed = false;
  uint8_t result = 0;
  // Every C++ object of the call is gone when this block is left: the structured exception
  // below must not unwind through live destructors, which no C++ handler would run.
  try {
    CallHandler handler = RegisteredCallHandler();
    if (!handler) RaiseNoCallHandler();
    result = handler(block, caller) ? 1 : 0;
  } catch (...) {
    failed = true;
    code = services::CurrentExceptionCode();
    if (block) block->SetExceptionFromCurrent();
    try {
      last_message = services::CurrentExceptionMessage();
    } catch (...) {
      last_message.clear();  // out of memory: the code still travels
    }
  }
  if (!failed) return result;
  ULONG_PTR args[2] = {static_cast<ULONG_PTR>(static_cast<uint32_t>(code)),
                       reinterpret_cast<ULONG_PTR>(last_message.c_str())};
  RaiseException(kCallEntryExceptionCode, EXCEPTION_NONCONTINUABLE, 2, args);
  return 0;
}

}  // namespace core
