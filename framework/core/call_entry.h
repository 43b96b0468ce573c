// The plug-in's call entry: the handler that the plug-in object registers, and the two
// ways the host reaches it (the call entry proper and the guarded call).
#pragma once

#include <cstdint>

namespace automation {
struct TParams;
}

namespace core {

// The plug-in object's dispatcher. It may throw; the entries below decide what the host
// sees of a failure.
using CallHandler = bool (*)(automation::TParams* block, void* caller);

void RegisterCallHandler(CallHandler handler) noexcept;
CallHandler RegisteredCallHandler() noexcept;
// What a call reports when no plug-in object has registered its handler (code 20000).
[[noreturn]] void RaiseNoCallHandler();

// The entry handed out by IPluginControl.GetCallEntry: a failure is recorded in the block
// and then raised to the host as a structured exception (code 0xE0504C55).
extern "C" uint8_t __stdcall CallEntry(automation::TParams* block, void* caller) noexcept;

constexpr uint32_t kCallEntryExceptionCode = 0xE0504C55;

}  // namespace core
