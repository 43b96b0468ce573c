// Placeholders of the common handlers until their bodies land: each reports that it is missing.
#include "framework/core/common_set.h"

#include "framework/services/exceptions.h"

namespace core::common {

void ChoiceDevice(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"ChoiceDevice: не реализовано"); }
void ResultDescription(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"ResultDescription: не реализовано"); }
void SettingDevices(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"SettingDevices: не реализовано"); }
void DeleteDevice(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"DeleteDevice: не реализовано"); }
void AddDeviceEx(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"AddDeviceEx: не реализовано"); }
void AddDevice(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"AddDevice: не реализовано"); }
void SettingsDeviceEx(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"SettingsDeviceEx: не реализовано"); }
void SaveSettings(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"SaveSettings: не реализовано"); }
void GetPlgInfo(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"GetPlgInfo: не реализовано"); }
void GetSettingsXml(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"GetSettingsXml: не реализовано"); }
void SwitchOn(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"SwitchOn: не реализовано"); }
void SwitchOff(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"SwitchOff: не реализовано"); }
void GetProps(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"GetProps: не реализовано"); }
void SetProps(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"SetProps: не реализовано"); }
void CreateComSafeArray(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"CreateComSafeArray: не реализовано"); }
void Beep(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"Beep: не реализовано"); }
void LoadSettings(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"LoadSettings: не реализовано"); }
void ShowPropertyPage(void*, SAFEARRAY*, VARIANT&) { services::RaiseText(L"ShowPropertyPage: не реализовано"); }
void PropertyPageEnabled(void*, bool, VARIANT&, std::wstring_view) { services::RaiseText(L"PropertyPageEnabled: не реализовано"); }
void DeviceNumber(void*, bool, VARIANT&, std::wstring_view) { services::RaiseText(L"DeviceNumber: не реализовано"); }
void DeviceName(void*, bool, VARIANT&, std::wstring_view) { services::RaiseText(L"DeviceName: не реализовано"); }
void DevicesQuantity(void*, bool, VARIANT&, std::wstring_view) { services::RaiseText(L"DevicesQuantity: не реализовано"); }
void DeviceIsOn(void*, bool, VARIANT&, std::wstring_view) { services::RaiseText(L"DeviceIsOn: не реализовано"); }
void Result(void*, bool, VARIANT&, std::wstring_view) { services::RaiseText(L"Result: не реализовано"); }
void ReleaseNumber(void*, bool, VARIANT&, std::wstring_view) { services::RaiseText(L"ReleaseNumber: не реализовано"); }

}  // namespace core::common
