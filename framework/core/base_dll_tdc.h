// The plug-in object of data-collection terminals: the terminal command set (table B and
// properties B) on top of the common set, with the data transfer left to the terminal plug-in.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "framework/core/base_dll_obj.h"

namespace core {

// Table B (from 20000) and properties B (from 200000).
std::span<const config::MethodEntry> TerminalMethodsB();
std::span<const config::PropertyEntry> TerminalPropertiesB();

// Reads or writes the parameter of the serving device that has the property's name.
void DeviceParameterProperty(void* caller, bool is_set, VARIANT& value, std::wstring_view name);

class TBaseDllTDC : public TBaseDllObj {
 public:
  TBaseDllTDC(std::span<const config::MethodEntry> methods_a,
              std::span<const config::MethodEntry> methods_c,
              std::span<const config::PropertyEntry> props_a, DeviceListFactory make_list,
              TDllObjectBase* const* variable, CallEntryProc call_entry);

  // The terminal operations; here they leave the result as it is. They may raise a coded
  // error, whose code then becomes the command's result.
  virtual void WriteData(devices::TDeviceItem& device, const VARIANT& table, int32_t& result);
  virtual void ReadData(devices::TDeviceItem& device, VARIANT& table, int32_t& result);
  virtual void ReadDataFile(devices::TDeviceItem& device, std::wstring_view file_name,
                            int32_t& result);
};

}  // namespace core
