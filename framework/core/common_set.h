// The common method and property set that every plug-in offers: tables A and C, properties
// A, and their handlers.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <span>
#include <string_view>

#include "framework/config/table_records.h"

namespace core {

// Table A (identifier 0), table C (from 10000) and properties A (from 100000), in the
// order that makes their identifiers.
std::span<const config::MethodEntry> CommonMethodsA();
std::span<const config::MethodEntry> CommonMethodsC();
std::span<const config::PropertyEntry> CommonPropertiesA();

namespace common {

// Method handlers (caller, arguments, result).
void ChoiceDevice(void* caller, SAFEARRAY* args, VARIANT& result);
void ResultDescription(void* caller, SAFEARRAY* args, VARIANT& result);
void SettingDevices(void* caller, SAFEARRAY* args, VARIANT& result);
void DeleteDevice(void* caller, SAFEARRAY* args, VARIANT& result);
void AddDeviceEx(void* caller, SAFEARRAY* args, VARIANT& result);
void AddDevice(void* caller, SAFEARRAY* args, VARIANT& result);
void SettingsDeviceEx(void* caller, SAFEARRAY* args, VARIANT& result);
void SaveSettings(void* caller, SAFEARRAY* args, VARIANT& result);
void GetPlgInfo(void* caller, SAFEARRAY* args, VARIANT& result);
void GetSettingsXml(void* caller, SAFEARRAY* args, VARIANT& result);
void SwitchOn(void* caller, SAFEARRAY* args, VARIANT& result);
void SwitchOff(void* caller, SAFEARRAY* args, VARIANT& result);
void GetProps(void* caller, SAFEARRAY* args, VARIANT& result);
void SetProps(void* caller, SAFEARRAY* args, VARIANT& result);
void CreateComSafeArray(void* caller, SAFEARRAY* args, VARIANT& result);
void Beep(void* caller, SAFEARRAY* args, VARIANT& result);
void LoadSettings(void* caller, SAFEARRAY* args, VARIANT& result);
void ShowPropertyPage(void* caller, SAFEARRAY* args, VARIANT& result);

// Property handlers (caller, is_set, value, NameRu).
void PropertyPageEnabled(void* caller, bool is_set, VARIANT& value, std::wstring_view name);
void DeviceNumber(void* caller, bool is_set, VARIANT& value, std::wstring_view name);
void DeviceName(void* caller, bool is_set, VARIANT& value, std::wstring_view name);
void DevicesQuantity(void* caller, bool is_set, VARIANT& value, std::wstring_view name);
void DeviceIsOn(void* caller, bool is_set, VARIANT& value, std::wstring_view name);
void Result(void* caller, bool is_set, VARIANT& value, std::wstring_view name);
void ReleaseNumber(void* caller, bool is_set, VARIANT& value, std::wstring_view name);

}  // namespace common
}  // namespace core
