// The host's event-support object (IEventSupport2): a minimal IDispatch, 25 operations of which
// only NewValueTable does anything, handing out the host's own value tables.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>

namespace pluhost {

// {761D2911-3335-478B-A481-81BC22AA963F}
constexpr IID kIidEventSupport = {0x761D2911, 0x3335, 0x478B, {0xA4, 0x81, 0x81, 0xBC, 0x22, 0xAA, 0x96, 0x3F}};
// {761D2911-3335-478B-A481-81BC22AA9640}
constexpr IID kIidEventSupport2 = {0x761D2911, 0x3335, 0x478B, {0xA4, 0x81, 0x81, 0xBC, 0x22, 0xAA, 0x96, 0x40}};

using NewValueTableProc = HRESULT(__stdcall*)(void* self, VARIANT* out);

// The vtable in the host's slot order: IDispatch's seven, then the 25 operations.
struct EventSupportVtbl {
  void* dispatch[7];
  void* operations_before[16];
  NewValueTableProc NewValueTable;
  void* operations_after[8];
};
static_assert(offsetof(EventSupportVtbl, NewValueTable) == 23 * sizeof(void*));
static_assert(sizeof(EventSupportVtbl) == 32 * sizeof(void*));

// A new event-support object with one reference for the caller (an IUnknown of IEventSupport2).
IUnknown* NewHostEventSupport();
// How many tables NewValueTable has handed out from this object.
long TablesHandedOut(IUnknown* event_support);

}  // namespace pluhost
