// The plug-in object: its method and property tables, the dispatcher that runs the host's
// parameter blocks against them, and the information interfaces the host asks it for.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/config/root_object.h"
#include "framework/config/table_records.h"
#include "framework/core/plu_info.h"
#include "framework/core/plugin_control.h"
#include "framework/devices/device_item.h"
#include "framework/devices/devices_list.h"
#include "framework/win/scoped_handle.h"

namespace automation {
struct TParams;
}

namespace core {

// Identifier bases of the tables. A method's identifier is its index plus its table's base.
inline constexpr int32_t kMethodBaseA = 0;
inline constexpr int32_t kMethodBaseC = 10000;
inline constexpr int32_t kMethodBaseB = 20000;
inline constexpr int32_t kPropertyBaseA = 100000;
inline constexpr int32_t kPropertyBaseB = 200000;
// The current model's parameter descriptions: recognised by name, never run.
inline constexpr int32_t kPropertyBaseModel = 300000;
inline constexpr int32_t kIdRange = 10000;

class TBaseDllObj : public config::TRootObject, public TDllObjectBase {
 public:
  // Makes the concrete plug-in's device list.
  using DeviceListFactory = std::unique_ptr<devices::TDevicesList> (*)();

  // `variable` is the module-wide variable that will hold the object (for the control
  // object); the device list factory stands for the device-list and device-item classes.
  TBaseDllObj(std::span<const config::MethodEntry> methods_a,
              std::span<const config::MethodEntry> methods_c,
              std::span<const config::PropertyEntry> props_a, DeviceListFactory make_list,
              TDllObjectBase* const* variable, CallEntryProc call_entry);
  ~TBaseDllObj() override;

  // The constant of IPluInfo slot 6.
  virtual int32_t GetConstantA() { return 3; }

  // Runs the chain of blocks that starts at `params`; the result of the last block run.
  bool CallDispatch(automation::TParams* params, void* caller);

  int32_t FindMethodId(std::wstring_view name) const;
  const config::MethodEntry* MethodById(int32_t id) const;
  int32_t FindPropertyId(std::wstring_view name) const;
  const config::PropertyEntry* PropertyById(int32_t id) const;

  // The device that serves a call from `caller`, bound to it; null when none does.
  devices::TDeviceItem* FindDevice(void* caller);
  // The plug-in object behind a caller (itself or a host task); a plain error otherwise.
  static TBaseDllObj* GetBaseDll(void* object);
  // The caller itself when it is a host task object, else null.
  static void* GetTaskObject(void* object);
  // 0 when both the plug-in object and a serving device are found, 3 otherwise.
  static int32_t GetDllAndDevice(void* caller, TBaseDllObj*& dll, devices::TDeviceItem*& device);
  // The text of a result code: the serving device's, or the device list's when none serves.
  std::wstring ErrorTextFor(devices::TDeviceItem* device, int32_t code) const;
  // The module's live plug-in object, or null.
  static TBaseDllObj* Live();

  devices::TDevicesList& Devices() const { return *Devices_; }
  TPluginControl& Control() const { return *Control_; }
  const std::wstring& ModulePath() const { return ModulePath_; }
  const std::wstring& ModuleVersion() const { return ModuleVersion_; }
  uint16_t ModuleBuild() const { return ModuleBuild_; }
  // The third number of the file version (the high word of its less significant half).
  uint16_t ModuleRelease() const { return ModuleRelease_; }
  uint16_t Release = 0;
  int32_t OptionValue = 0;

  // Keeps the host's event support (null drops it) and gives the device list a copy.
  void SetHostEventSupport(IUnknown* events);
  void DropHostEventSupport() noexcept;

  // The two interfaces the host receives, without a reference added.
  IPluInfo* PluInfo() { return &plu_info_; }
  IPluNames* PluNames() { return &plu_names_; }
  IUnknown* QueryPluInfo() override { return reinterpret_cast<IUnknown*>(&plu_info_); }
  void* InterfaceFor(REFIID iid) override;

  // True when the name equals either half of an entry of table C.
  bool IsCommonMethod(std::wstring_view name) const;
  // Makes every entry of properties A with that Russian name read-only for this object.
  void MarkReadOnly(std::wstring_view name_ru);

 protected:
  // Terminal plug-ins install table B and properties B after construction.
  void SetTablesB(std::span<const config::MethodEntry> methods_b,
                  std::span<const config::PropertyEntry> props_b);

 private:
  void RunMethod(automation::TParams& block, const config::MethodEntry& method,
                 std::wstring_view name, void* caller);

  win::ScopedHandle InstanceMutex;
  std::unique_ptr<devices::TDevicesList> Devices_;
  std::unique_ptr<TPluginControl> Control_;
  std::span<const config::MethodEntry> MethodsA;
  std::span<const config::MethodEntry> MethodsC;
  std::span<const config::MethodEntry> MethodsB;
  // Own copies: one property becomes read-only at run time for this object.
  std::vector<config::PropertyEntry> PropsA;
  std::vector<config::PropertyEntry> PropsB;
  std::wstring ModulePath_;
  uint16_t ModuleBuild_ = 0;
  uint16_t ModuleRelease_ = 0;
  std::wstring ModuleVersion_;
  TPluInfoInterface plu_info_;
  TPluNamesInterface plu_names_;
};

}  // namespace core
