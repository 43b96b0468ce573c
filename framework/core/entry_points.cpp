// The module's exports and the hidden guarded call that the host finds from Query's value.
#include <windows.h>

#include <cstdint>

#include "framework/automation/guarded_call.h"
#include "framework/core/plugin_control.h"

// The host locates the guarded call as (address of Query) - (Query() XOR 0x03430FF3), so both
// stubs live in one section of their own, GuardedCall exactly 212 bytes before Query. Each
// stub only jumps: the stdcall frame of GuardedCall is the body's own, and Query takes nothing.
asm(R"(
    .section .text$plu_entry_stubs,"x"
    .p2align 4
    .globl _GuardedCall
_GuardedCall:
    jmp _GuardedCallBody@8
    .fill 212 - (. - _GuardedCall), 1, 0xCC
    .globl _Query
_Query:
    jmp _QueryBody
    .text
)");

extern "C" {
uint8_t __stdcall GuardedCall(automation::TParams* block, void* caller);
int32_t Query();

constexpr uint32_t kQueryKey = 0x03430FF3;

// The value is computed from the layout rather than stated, so that it is wrong (and the
// host refuses the module) if the stubs ever drift apart.
int32_t QueryBody() noexcept {
  uint32_t distance = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&Query) -
                                            reinterpret_cast<uintptr_t>(&GuardedCall));
  return static_cast<int32_t>(distance ^ kQueryKey);
}

// Register convention: the address of the caller's interface variable arrives in EAX.
void __attribute__((regparm(1))) PluginControl(IUnknown** control) noexcept {
  if (!control) return;
  IUnknown* current = core::GlobalPluginControl();
  if (current) current->AddRef();
  IUnknown* old = *control;
  *control = current;
  // The caller's previous interface is released after the swap, as an interface assignment
  // does; it may be a foreign object whose release reenters the module.
  if (old) old->Release();
}

void BeforeFreeLibrary() noexcept {}
}
