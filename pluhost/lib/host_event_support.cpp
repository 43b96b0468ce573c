// The host's event-support object: a hand-built vtable, since only the slot order is shared.
#include "pluhost/lib/host_event_support.h"

#include "pluhost/lib/host_value_table.h"

namespace pluhost {
namespace {

struct EventSupport {
  const EventSupportVtbl* vtbl;
  LONG refs;
  LONG tables;
};

EventSupport* Self(void* p) { return static_cast<EventSupport*>(p); }

HRESULT __stdcall QueryInterfaceSlot(void* self, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidEventSupport || iid == kIidEventSupport2) {
    *out = self;
    InterlockedIncrement(&Self(self)->refs);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}
ULONG __stdcall AddRefSlot(void* self) { return InterlockedIncrement(&Self(self)->refs); }
ULONG __stdcall ReleaseSlot(void* self) {
  LONG left = InterlockedDecrement(&Self(self)->refs);
  if (left == 0) delete Self(self);
  return left;
}
HRESULT __stdcall GetTypeInfoCountSlot(void*, UINT* count) {
  if (count) *count = 0;
  return S_OK;
}
HRESULT __stdcall GetTypeInfoSlot(void*, UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT __stdcall GetIDsOfNamesSlot(void*, REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }
HRESULT __stdcall InvokeSlot(void*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return DISP_E_MEMBERNOTFOUND;
}
// The other operations take only `this` as far as the host's plug-ins know; none of them is
// called, and any call is refused rather than acted on.
HRESULT __stdcall NotImplementedSlot(void*) { return E_NOTIMPL; }

HRESULT __stdcall NewValueTableSlot(void* self, VARIANT* out) {
  if (!out) return E_POINTER;
  VariantInit(out);
  out->vt = VT_DISPATCH;
  out->pdispVal = NewHostValueTable();
  InterlockedIncrement(&Self(self)->tables);
  return S_OK;
}

EventSupportVtbl MakeVtbl() {
  EventSupportVtbl t{};
  t.dispatch[0] = reinterpret_cast<void*>(&QueryInterfaceSlot);
  t.dispatch[1] = reinterpret_cast<void*>(&AddRefSlot);
  t.dispatch[2] = reinterpret_cast<void*>(&ReleaseSlot);
  t.dispatch[3] = reinterpret_cast<void*>(&GetTypeInfoCountSlot);
  t.dispatch[4] = reinterpret_cast<void*>(&GetTypeInfoSlot);
  t.dispatch[5] = reinterpret_cast<void*>(&GetIDsOfNamesSlot);
  t.dispatch[6] = reinterpret_cast<void*>(&InvokeSlot);
  for (auto& slot : t.operations_before) slot = reinterpret_cast<void*>(&NotImplementedSlot);
  t.NewValueTable = &NewValueTableSlot;
  for (auto& slot : t.operations_after) slot = reinterpret_cast<void*>(&NotImplementedSlot);
  return t;
}

const EventSupportVtbl kVtbl = MakeVtbl();

}  // namespace

IUnknown* NewHostEventSupport() { return reinterpret_cast<IUnknown*>(new EventSupport{&kVtbl, 1, 0}); }

long TablesHandedOut(IUnknown* event_support) {
  return event_support ? reinterpret_cast<EventSupport*>(event_support)->tables : 0;
}

}  // namespace pluhost
