// The empty terminal's plug-in object.
#include "dll_termblank.h"

#include "framework/core/call_entry.h"
#include "framework/core/common_set.h"
#include "manager_termblank.h"

namespace termblank {

namespace {
constexpr int32_t kNotProvided = -1;
}

TDllTermblank::TDllTermblank(core::TDllObjectBase* const* variable)
    : TBaseDllTDC(core::CommonMethodsA(), core::CommonMethodsC(), core::CommonPropertiesA(),
                  &NewTermblankList, variable,
                  reinterpret_cast<core::CallEntryProc>(&core::CallEntry)) {}

void TDllTermblank::WriteData(devices::TDeviceItem&, const VARIANT&, int32_t& result) {
  result = kNotProvided;
}
void TDllTermblank::ReadData(devices::TDeviceItem&, VARIANT&, int32_t& result) {
  result = kNotProvided;
}
void TDllTermblank::ReadDataFile(devices::TDeviceItem&, std::wstring_view, int32_t& result) {
  result = kNotProvided;
}

}  // namespace termblank
