// The empty terminal's plug-in object: the full command set, terminal operations that fail.
#pragma once

#include <cstdint>
#include <string_view>

#include "framework/core/base_dll_tdc.h"

namespace termblank {

class TDllTermblank : public core::TBaseDllTDC {
 public:
  explicit TDllTermblank(core::TDllObjectBase* const* variable);

  // There is no terminal: every transfer ends with -1.
  void WriteData(devices::TDeviceItem& device, const VARIANT& table, int32_t& result) override;
  void ReadData(devices::TDeviceItem& device, VARIANT& table, int32_t& result) override;
  void ReadDataFile(devices::TDeviceItem& device, std::wstring_view file_name,
                    int32_t& result) override;

  int32_t Spare = 0;
};

}  // namespace termblank
