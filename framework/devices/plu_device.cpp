// The IPluDevice slots: each recovers its device item and converts every failure into
// E_UNEXPECTED with error information.
#include "framework/devices/plu_device.h"

#include <cstddef>

#include "framework/devices/device_item.h"
#include "framework/services/error_boundary.h"
#include "framework/services/exceptions.h"

namespace devices {
namespace {

template <typename T>
void RequireOut(T* out) {
  if (!out) services::RaiseText(L"IPluDevice: нулевой указатель результата");
}

TDeviceItem& Device(IPluDevice* self) { return *TDeviceItem::FromInterface(self); }

HRESULT __stdcall QueryInterfaceSlot(IPluDevice* self, REFIID iid, void** out) noexcept {
  return Device(self).QueryInterface(iid, out);
}

ULONG __stdcall AddRefSlot(IPluDevice* self) noexcept { return Device(self).AddRef(); }

ULONG __stdcall ReleaseSlot(IPluDevice* self) noexcept { return Device(self).Release(); }

HRESULT __stdcall GetSwitchedOn(IPluDevice* self, VARIANT_BOOL* on) noexcept try {
  RequireOut(on);
  *on = VARIANT_FALSE;
  *on = Device(self).IsSwitchedOn() == 1 ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall ShowSettings(IPluDevice* self, int32_t* result) noexcept try {
  RequireOut(result);
  *result = 0;
  *result = Device(self).ShowSettings();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetSettings(IPluDevice* self, VARIANT* document) noexcept try {
  RequireOut(document);
  VariantInit(document);
  Device(self).GetSettingsXml(document);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall Remove(IPluDevice* self, int32_t* result) noexcept try {
  RequireOut(result);
  *result = 0;
  // The host holds a reference for this call, so the item survives its own Remove.
  *result = Device(self).Remove();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

}  // namespace

const IPluDeviceVtbl kPluDeviceVtbl = {
    QueryInterfaceSlot, AddRefSlot, ReleaseSlot, GetSwitchedOn, ShowSettings, GetSettings, Remove,
};

// The host calls by position.
static_assert(offsetof(IPluDeviceVtbl, GetSwitchedOn) == 3 * sizeof(void*));
static_assert(offsetof(IPluDeviceVtbl, ShowSettings) == 4 * sizeof(void*));
static_assert(offsetof(IPluDeviceVtbl, GetSettings) == 5 * sizeof(void*));
static_assert(offsetof(IPluDeviceVtbl, Remove) == 6 * sizeof(void*));
static_assert(sizeof(IPluDeviceVtbl) == 7 * sizeof(void*));

}  // namespace devices
