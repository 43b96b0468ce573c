// The common properties: the current device by number and name, the device count, the
// serving device's state and last result, the property page flag and the plug-in's release.
#include <windows.h>

#include "framework/core/base_dll_obj.h"
#include "framework/core/common_set.h"
#include "framework/core/handler_arguments.h"

namespace core::common {
namespace {

// The state a written value asks for. A Boolean true asks for "on": as an integer it would
// be -1, which the device takes for "off".
int32_t RequestedState(const VARIANT& value) {
  if ((value.vt & ~VT_BYREF) == VT_BOOL) {
    const VARIANT_BOOL flag = (value.vt & VT_BYREF) ? *value.pboolVal : value.boolVal;
    return flag != VARIANT_FALSE ? 1 : 0;
  }
  return ToInteger(value, L"УстройствоВключено");
}

}  // namespace

void PropertyPageEnabled(void* caller, bool is_set, VARIANT& value, std::wstring_view) {
  devices::TDevicesList& list = DevicesOf(caller);
  if (is_set) {
    list.SetPropertyPageEnabled(ToInteger(value, L"ДоступностьСтраницыСвойств"));
  } else {
    AssignInt(value, list.PropertyPageEnabled);
  }
}

void DeviceNumber(void* caller, bool is_set, VARIANT& value, std::wstring_view) {
  devices::TDevicesList& list = DevicesOf(caller);
  if (is_set) {
    // Stored as given: the dispatcher checks the number when it looks for the device.
    list.SetCurrentNumber(ToInteger(value, L"НомерУстройства"));
  } else {
    AssignInt(value, list.CurrentNumber);
  }
}

void DeviceName(void* caller, bool is_set, VARIANT& value, std::wstring_view) {
  devices::TDevicesList& list = DevicesOf(caller);
  if (is_set) {
    list.SetCurrentDeviceName(ToText(value, L"ИмяУстройства"));
  } else {
    Assign(value, win::ScopedVariant::FromText(list.CurrentDeviceName()));
  }
}

void DevicesQuantity(void* caller, bool is_set, VARIANT& value, std::wstring_view) {
  if (!is_set) AssignInt(value, DevicesOf(caller).Count());
}

void DeviceIsOn(void* caller, bool is_set, VARIANT& value, std::wstring_view) {
  devices::TDeviceItem* device = TBaseDllObj::GetBaseDll(caller)->FindDevice(caller);
  if (!device) return;  // a read then answers an empty value
  device->SetLastError(0);
  if (!is_set) {
    AssignInt(value, device->IsSwitchedOn());
    return;
  }
  const int32_t requested = RequestedState(value);
  if (device->EventSupport) {
    device->SetState(requested != 0 ? 1 : 0);
  } else {
    device->SetState(requested);
  }
}

void Result(void* caller, bool is_set, VARIANT& value, std::wstring_view) {
  if (is_set) return;
  devices::TDeviceItem* device = TBaseDllObj::GetBaseDll(caller)->FindDevice(caller);
  AssignInt(value, device ? device->LastError : kNoDevice);
}

void ReleaseNumber(void* caller, bool is_set, VARIANT& value, std::wstring_view) {
  if (is_set) return;
  TBaseDllObj* dll = TBaseDllObj::GetBaseDll(caller);
  dll->Release = dll->ModuleRelease();
  win::ScopedVariant release;
  release.Ptr()->vt = VT_UI2;
  release.Ptr()->uiVal = dll->Release;
  Assign(value, std::move(release));
}

}  // namespace core::common
