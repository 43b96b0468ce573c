// The device interface IPluDevice as the host calls it: a table of stdcall slots, each
// returning an HRESULT and passing its result through a trailing out pointer.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>

namespace devices {

struct IPluDevice;

// Slot order is the host's; the source fixes the positions with static_asserts.
struct IPluDeviceVtbl {
  HRESULT(__stdcall* QueryInterface)(IPluDevice* self, REFIID iid, void** out);
  ULONG(__stdcall* AddRef)(IPluDevice* self);
  ULONG(__stdcall* Release)(IPluDevice* self);
  // -1 when the device reports itself switched on, 0 otherwise.
  HRESULT(__stdcall* GetSwitchedOn)(IPluDevice* self, VARIANT_BOOL* on);
  HRESULT(__stdcall* ShowSettings)(IPluDevice* self, int32_t* result);
  // The device document as a DOM object; the caller owns the value.
  HRESULT(__stdcall* GetSettings)(IPluDevice* self, VARIANT* document);
  HRESULT(__stdcall* Remove)(IPluDevice* self, int32_t* result);
};

struct IPluDevice {
  const IPluDeviceVtbl* lpVtbl;

  HRESULT QueryInterface(REFIID iid, void** out) { return lpVtbl->QueryInterface(this, iid, out); }
  ULONG AddRef() { return lpVtbl->AddRef(this); }
  ULONG Release() { return lpVtbl->Release(this); }
};

// The one table every device item hands out.
extern const IPluDeviceVtbl kPluDeviceVtbl;

}  // namespace devices
