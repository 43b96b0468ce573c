// The guarded call: the parameter block's own boundary between the module's exceptions and
// the host.
#include "framework/automation/guarded_call.h"

#include "framework/core/call_entry.h"
#include "framework/services/exceptions.h"

extern "C" uint8_t __stdcall GuardedCallBody(automation::TParams* block, void* caller) noexcept
try {
  if (!block) return 1;
  block->Error = 0;
  core::CallHandler handler = core::RegisteredCallHandler();
  // Before the plug-in object exists there is nothing to run the call; the host learns that
  // from the block instead of a jump through a null pointer.
  if (!handler)
    core::RaiseNoCallHandler();
  return handler(block, caller) ? 1 : 0;
} catch (...) {
  block->SetExceptionFromCurrent();
  return 0;
}
