// A module that carries the call entry and nothing of a plug-in object, so that the core
// tests can fail a call through it on their own thread and watch the module unload.
#include "framework/core/call_entry.h"

extern "C" __declspec(dllexport) void* ProbeCallEntry() {
  return reinterpret_cast<void*>(&core::CallEntry);
}
