// The model interface IPluModel as the host calls it: a table of stdcall slots, every one
// returning an HRESULT and passing its result through a trailing out pointer.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <cstdint>

namespace devices {

struct IPluModel;

// Slot order is the host's; positions are fixed by static_asserts in the source. Documents
// come by value (16 bytes on the stack) and stay the caller's.
struct IPluModelVtbl {
  HRESULT(__stdcall* QueryInterface)(IPluModel* self, REFIID iid, void** out);
  ULONG(__stdcall* AddRef)(IPluModel* self);
  ULONG(__stdcall* Release)(IPluModel* self);
  HRESULT(__stdcall* GetModelId)(IPluModel* self, GUID* id);
  HRESULT(__stdcall* GetIdentifier)(IPluModel* self, BSTR* text);
  HRESULT(__stdcall* GetModelName)(IPluModel* self, BSTR* text);
  HRESULT(__stdcall* GetClassShortName)(IPluModel* self, BSTR* text);
  HRESULT(__stdcall* GetClassName)(IPluModel* self, BSTR* text);
  HRESULT(__stdcall* GetModelValue1)(IPluModel* self, int32_t* value);
  HRESULT(__stdcall* GetModelValue2)(IPluModel* self, int32_t* value);
  HRESULT(__stdcall* GetModelValue3)(IPluModel* self, int32_t* value);
  HRESULT(__stdcall* GetModelValue4)(IPluModel* self, int32_t* value);
  HRESULT(__stdcall* GetUsesHB)(IPluModel* self, int32_t* value);
  HRESULT(__stdcall* GetParametersText)(IPluModel* self, BSTR* text);
  HRESULT(__stdcall* GetReservedValue)(IPluModel* self, int32_t* value);
  HRESULT(__stdcall* GetReservedInterface)(IPluModel* self, IUnknown** object);
  HRESULT(__stdcall* ReservedCall1)(IPluModel* self);
  HRESULT(__stdcall* ReservedCall2)(IPluModel* self);
  HRESULT(__stdcall* GetPluginObject)(IPluModel* self, IUnknown** plu_info);
  HRESULT(__stdcall* GetParametersDocument)(IPluModel* self, VARIANT* document);
  HRESULT(__stdcall* OpenDevice)(IPluModel* self, VARIANT document, IUnknown** device);
  // The device GUID as its four 32-bit words in memory order.
  HRESULT(__stdcall* RemoveDevice)(IPluModel* self, int32_t id1, int32_t id2, int32_t id3,
                                   int32_t id4, int32_t* result);
  HRESULT(__stdcall* SetConfiguration)(IPluModel* self, VARIANT document, int32_t* result);
  HRESULT(__stdcall* LookUpDevice)(IPluModel* self, VARIANT document, IUnknown** device);
  HRESULT(__stdcall* InsertDevice)(IPluModel* self, VARIANT document, IUnknown** device);
};

// The interface pointer the host holds. The member functions let win::ComPtr hold it.
struct IPluModel {
  const IPluModelVtbl* lpVtbl;

  HRESULT QueryInterface(REFIID iid, void** out) { return lpVtbl->QueryInterface(this, iid, out); }
  ULONG AddRef() { return lpVtbl->AddRef(this); }
  ULONG Release() { return lpVtbl->Release(this); }
};

// The one table every model item hands out, under both of its identifiers.
extern const IPluModelVtbl kPluModelVtbl;

}  // namespace devices
