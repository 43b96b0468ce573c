// Switching through the common set on a device that really switches: the state each written
// value asks for, and the device's own failure raised by the switching methods.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/automation/value_table.h"
#include "framework/core/base_dll_obj.h"
#include "framework/core/common_set.h"
#include "framework/devices/devices_list.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_safearray.h"
#include "framework/win/scoped_variant.h"

namespace {

// Remembers every requested state; its switch-on fails with a code of its own when asked to.
class SwitchingDevice : public devices::TDeviceItem {
 public:
  using TDeviceItem::TDeviceItem;
  int32_t IsSwitchedOn() override { return SwitchedOn ? 1 : 0; }
  void SetState(int32_t state) override {
    requested.push_back(state);
    TDeviceItem::SetState(state);
  }
  bool Open() override {
    if (!fail_open) return true;
    SetLastError(13);
    return false;
  }
  void ErrorText(int32_t code, std::wstring& text) override {
    text = L"Код устройства " + std::to_wstring(code);
  }

  std::vector<int32_t> requested;
  bool fail_open = false;
};

std::unique_ptr<devices::TDevicesList> NewSwitchingList() {
  return std::make_unique<devices::TDevicesList>(
      [](devices::TDevicesList& list) -> devices::TDeviceItem* { return new SwitchingDevice(list); });
}

uint8_t __stdcall NoEntry(void*, void*) { return 0; }

class CommonSwitching : public testing::Test {
 protected:
  CommonSwitching()
      : dll_(core::CommonMethodsA(), core::CommonMethodsC(), core::CommonPropertiesA(),
             &NewSwitchingList, &holder_, &NoEntry) {
    holder_ = &dll_;
    device_ = static_cast<SwitchingDevice*>(dll_.Devices().AddNew());
    dll_.Devices().SetCurrentNumber(1);
  }

  void Assign(const VARIANT& value) {
    win::ScopedVariant copy = win::ScopedVariant::CopyOf(value);
    core::common::DeviceIsOn(&dll_, true, *copy.Ptr(), L"УстройствоВключено");
  }

  // The dispatcher's argument array of one element.
  static win::ScopedSafearray OneArgument() {
    SAFEARRAYBOUND bound = {1, 0};
    return win::ScopedSafearray::CreateVariants(1, &bound);
  }

  core::TDllObjectBase* holder_ = nullptr;
  core::TBaseDllObj dll_;
  SwitchingDevice* device_ = nullptr;
};

TEST_F(CommonSwitching, WrittenValuesAskForTheseStates) {
  struct Case {
    win::ScopedVariant value;
    bool with_event_support;
    int32_t requested;
  } cases[] = {
      // A Boolean true is a request to switch on, although as an integer it is -1.
      {win::ScopedVariant::FromBool(true), false, 1},
      {win::ScopedVariant::FromBool(false), false, 0},
      {win::ScopedVariant::FromText(L"1"), false, 1},
      // Without the host's event support the number goes to the device as it is.
      {win::ScopedVariant::FromInt(5), false, 5},
      {win::ScopedVariant::FromInt(5), true, 1},
      {win::ScopedVariant::FromInt(0), true, 0},
  };
  win::ComPtr<automation::ISafeArray> events = automation::CreateValueTable();
  for (Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.value.Type() << ", event support "
                                    << c.with_event_support);
    device_->EventSupport = c.with_event_support
                                ? win::ComPtr<IDispatch>::AddRefOf(events.Get())
                                : win::ComPtr<IDispatch>();
    device_->requested.clear();
    Assign(c.value.Get());
    EXPECT_EQ(device_->requested, std::vector<int32_t>{c.requested});
  }
  device_->EventSupport = win::ComPtr<IDispatch>();
}

TEST_F(CommonSwitching, SwitchOnRaisesTheDevicesOwnFailure) {
  device_->fail_open = true;
  win::ScopedSafearray args = OneArgument();
  win::ScopedVariant result;
  try {
    core::common::SwitchOn(&dll_, args.Get(), *result.Ptr());
    FAIL() << "no exception";
  } catch (const services::EHardwareEquipmentException& e) {
    EXPECT_EQ(e.Code(), 13);
    EXPECT_EQ(e.Message(), L"Код устройства 13");
  }
  EXPECT_EQ(device_->requested, std::vector<int32_t>{1});

  device_->fail_open = false;
  core::common::SwitchOn(&dll_, args.Get(), *result.Ptr());
  ASSERT_EQ(result.Type(), VT_I4);
  EXPECT_EQ(result.Get().lVal, 0);
  EXPECT_TRUE(device_->SwitchedOn);
  core::common::SwitchOff(&dll_, args.Get(), *result.Ptr());
  EXPECT_EQ(result.Get().lVal, 0);
  EXPECT_FALSE(device_->SwitchedOn);
}

}  // namespace
