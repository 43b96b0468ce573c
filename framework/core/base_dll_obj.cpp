// The plug-in object's life, its name lookups and the way handlers reach it and their device.
#include "framework/core/base_dll_obj.h"

#include <atomic>

#include "framework/automation/host_objects.h"
#include "framework/automation/identifiers.h"
#include "framework/automation/params.h"
#include "framework/config/name_compare.h"
#include "framework/core/call_entry.h"
#include "framework/services/exceptions.h"
#include "framework/services/version_info.h"

namespace core {

namespace {

// One plug-in object per module; handlers recognise it by address.
std::atomic<TBaseDllObj*> live_object{nullptr};

constexpr LCID kRussianLocale = 1049;

bool DispatchToLiveObject(automation::TParams* block, void* caller) {
  TBaseDllObj* object = live_object.load();
  if (!object) RaiseNoCallHandler();
  return object->CallDispatch(block, caller);
}

template <typename Entry>
const Entry* EntryAt(std::span<const Entry> table, int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(table.size())) return nullptr;
  return &table[static_cast<size_t>(index)];
}

}  // namespace

TBaseDllObj::TBaseDllObj(std::span<const config::MethodEntry> methods_a,
                         std::span<const config::MethodEntry> methods_c,
                         std::span<const config::PropertyEntry> props_a,
                         DeviceListFactory make_list, TDllObjectBase* const* variable,
                         CallEntryProc call_entry)
    : plu_info_(this), plu_names_(this) {
  Control_ = std::make_unique<TPluginControl>(variable, call_entry);
  RegisterCallHandler(&DispatchToLiveObject);

  ModulePath_ = services::TVersionInfo::OwnFileName();
  const services::TVersionInfo version(ModulePath_);
  ModuleVersion_ = version.StringValue(L"FileVersion");
  ModuleBuild_ = LOWORD(version.FileVersionNumbers().Low);
  ModuleRelease_ = HIWORD(version.FileVersionNumbers().Low);

  MethodsA = methods_a;
  MethodsC = methods_c;
  PropsA.assign(props_a.begin(), props_a.end());

  Devices_ = make_list();

  // A marker of the instance in the global namespace; nothing waits on it.
  const std::wstring mutex_name = L"Global\\" + Devices_->DeviceInfo.InstanceName;
  InstanceMutex.Reset(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, mutex_name.c_str()));
  if (!InstanceMutex) InstanceMutex.Reset(CreateMutexW(SecurityAttributes(), TRUE, mutex_name.c_str()));

  live_object.store(this);
}

TBaseDllObj::~TBaseDllObj() {
  TBaseDllObj* self = this;
  live_object.compare_exchange_strong(self, nullptr);
  Devices_.reset();
  Sleep(10);
  Control_.reset();
  if (InstanceMutex) ReleaseMutex(InstanceMutex.Get());
  InstanceMutex.Reset();
  DropHostEventSupport();
}

TBaseDllObj* TBaseDllObj::Live() { return live_object.load(); }

void TBaseDllObj::SetTablesB(std::span<const config::MethodEntry> methods_b,
                             std::span<const config::PropertyEntry> props_b) {
  MethodsB = methods_b;
  PropsB.assign(props_b.begin(), props_b.end());
}

int32_t TBaseDllObj::FindMethodId(std::wstring_view name) const {
  const struct {
    std::span<const config::MethodEntry> table;
    int32_t base;
  } order[] = {{MethodsB, kMethodBaseB}, {MethodsA, kMethodBaseA}, {MethodsC, kMethodBaseC}};
  for (const auto& [table, base] : order) {
    for (size_t i = 0; i < table.size(); ++i) {
      if (table[i].Matches(name, kRussianLocale)) return base + static_cast<int32_t>(i);
    }
  }
  return -1;
}

const config::MethodEntry* TBaseDllObj::MethodById(int32_t id) const {
  if (id >= kMethodBaseA && id < kMethodBaseA + kIdRange) return EntryAt(MethodsA, id - kMethodBaseA);
  if (id >= kMethodBaseC && id < kMethodBaseC + kIdRange) return EntryAt(MethodsC, id - kMethodBaseC);
  if (id >= kMethodBaseB && id < kMethodBaseB + kIdRange) return EntryAt(MethodsB, id - kMethodBaseB);
  return nullptr;
}

int32_t TBaseDllObj::FindPropertyId(std::wstring_view name) const {
  for (size_t i = 0; i < PropsB.size(); ++i) {
    if (PropsB[i].Matches(name)) return kPropertyBaseB + static_cast<int32_t>(i);
  }
  for (size_t i = 0; i < PropsA.size(); ++i) {
    if (PropsA[i].Matches(name)) return kPropertyBaseA + static_cast<int32_t>(i);
  }
  const config::TPropList& parameters = Devices_->DefaultProperties();
  for (int i = 0; i < parameters.Count(); ++i) {
    const config::TPropItem& item = parameters.Items(i);
    if (config::SameName(name, item.NameRu()) || config::SameName(name, item.NameEn()))
      return kPropertyBaseModel + i;
  }
  return -1;
}

const config::PropertyEntry* TBaseDllObj::PropertyById(int32_t id) const {
  std::span<const config::PropertyEntry> a(PropsA), b(PropsB);
  if (id >= kPropertyBaseA && id < kPropertyBaseA + kIdRange) return EntryAt(a, id - kPropertyBaseA);
  if (id >= kPropertyBaseB && id < kPropertyBaseB + kIdRange) return EntryAt(b, id - kPropertyBaseB);
  return nullptr;
}

bool TBaseDllObj::IsCommonMethod(std::wstring_view name) const {
  for (const config::MethodEntry& entry : MethodsC) {
    if (entry.Matches(name, LOCALE_USER_DEFAULT)) return true;
  }
  return false;
}

void TBaseDllObj::MarkReadOnly(std::wstring_view name_ru) {
  for (config::PropertyEntry& entry : PropsA) {
    if (entry.NameRu == name_ru) entry.ReadOnly = true;
  }
}

devices::TDeviceItem* TBaseDllObj::FindDevice(void* caller) {
  if (void* task = GetTaskObject(caller)) {
    devices::TDeviceItem* device = Devices_->FindById(automation::TaskDeviceId(task));
    if (device) device->SetCallerTask(task);
    return device;
  }
  const int32_t number = Devices_->CurrentNumber;
  if (number < 1 || number > Devices_->Count()) return nullptr;
  devices::TDeviceItem* device = Devices_->GetDevice(number - 1);
  device->SetCallerTask(nullptr);
  return device;
}

std::wstring TBaseDllObj::ErrorTextFor(devices::TDeviceItem* device, int32_t code) const {
  std::wstring text;
  if (device)
    device->ErrorText(code, text);
  else
    Devices_->ErrorText(code, text);
  return text;
}

TBaseDllObj* TBaseDllObj::GetBaseDll(void* object) {
  TBaseDllObj* live = Live();
  TBaseDllObj* found = nullptr;
  if (object && object == static_cast<void*>(live)) {
    found = live;
  } else if (GetTaskObject(object)) {
    void* plugin = automation::TaskPlugin(object);
    // The slot holds what the dispatcher wrote: this module's object, or nothing.
    if (plugin && plugin != static_cast<void*>(live)) services::RaisePlain(L"Invalid class typecast");
    found = static_cast<TBaseDllObj*>(plugin);
  }
  if (!found) services::RaisePlain(L"Вызов метода GetBaseDll с очень плохим параметром!");
  return found;
}

void* TBaseDllObj::GetTaskObject(void* object) {
  // The plug-in object stands in as the caller when the host names none. It is known by its
  // address: its first word is a C++ class table, and reading a host class name in front of
  // that would read memory that belongs to nothing.
  if (!object || object == static_cast<void*>(Live())) return nullptr;
  return automation::IsTaskObject(object) ? object : nullptr;
}

int32_t TBaseDllObj::GetDllAndDevice(void* caller, TBaseDllObj*& dll,
                                     devices::TDeviceItem*& device) {
  dll = GetBaseDll(caller);
  device = dll->FindDevice(caller);
  return device ? 0 : 3;
}

void TBaseDllObj::SetHostEventSupport(IUnknown* events) {
  // The host's interface derives from IDispatch, which is how the object model keeps it.
  auto held = config::EventSupportRef::AddRefOf(reinterpret_cast<IDispatch*>(events));
  Devices_->EventSupport = held;
  EventSupport = std::move(held);
}

void TBaseDllObj::DropHostEventSupport() noexcept {
  ReleaseEventSupport();
  if (Devices_) Devices_->EventSupport.Reset();
}

void* TBaseDllObj::InterfaceFor(REFIID iid) {
  if (IsEqualIID(iid, automation::kIidPluInfo)) return static_cast<IPluInfo*>(&plu_info_);
  if (IsEqualIID(iid, automation::kIidPluNames)) return static_cast<IPluNames*>(&plu_names_);
  return TRootObject::InterfaceFor(iid);
}

}  // namespace core
