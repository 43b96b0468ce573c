// The device and device-list classes of the empty terminal: a template terminal model and
// devices that have nothing to configure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/devices/device_item.h"
#include "framework/devices/devices_list.h"

namespace termblank {

class TManagerTermblank : public devices::TDeviceItem {
 public:
  explicit TManagerTermblank(devices::TDevicesList& list) : TDeviceItem(list) {}

  // No settings dialog: the settings are taken as confirmed.
  int32_t ShowSettings() override { return 0; }
  void BeforeSettingsDialog() override {}
};

class TManagerTermblankList : public devices::TDevicesList {
 public:
  TManagerTermblankList();

  void ErrorText(int32_t code, std::wstring& text) override;
};

std::unique_ptr<devices::TDevicesList> NewTermblankList();

}  // namespace termblank
