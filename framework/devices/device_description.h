// The descriptive record that every device and the device list carry: equipment type,
// model, module version and the maker's contact data.
#pragma once

#include <cstdint>
#include <string>

#include "framework/devices/maker_info.h"

namespace devices {

// Fields in the host's order. Nothing reads the record back as bytes, so the texts are
// owned strings rather than a packed layout.
struct DeviceDescription {
  std::wstring EquipmentType;
  std::wstring Text2;
  std::wstring ModelName;
  int32_t VersionMajor = 0;
  int32_t VersionMinor = 0;
  int32_t VersionBuild = 0;
  std::wstring InstanceName;
  int32_t Value1 = 1;
  int16_t Value2 = 0;
  std::wstring Text3;
  std::wstring MakerName = kMakerName;
  std::wstring MakerEmail = kMakerEmail;
  std::wstring MakerWeb = kMakerWeb;
  std::wstring MakerPhone = kMakerPhone;
  std::wstring MakerAddress = kMakerAddress;
};

}  // namespace devices
