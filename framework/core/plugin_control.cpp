// The control object and the module-wide reference to it.
#include "framework/core/plugin_control.h"

#include <atomic>

#include "framework/services/error_boundary.h"
#include "framework/services/exceptions.h"

namespace core {

const IID IID_IPluginControl = {0x5840E4CB, 0xF596, 0x489A,
                                {0xBC, 0xD0, 0x66, 0xF4, 0xD4, 0x31, 0x12, 0x53}};
const IID IID_IPluInfo = {0x07573EC1, 0x327D, 0x47C7,
                          {0x8B, 0x5F, 0x13, 0xC6, 0x29, 0x8F, 0xBC, 0x2F}};

namespace {
// Written only while the module loads and unloads; read by host threads at any time.
std::atomic<IPluginControl*> global_control{nullptr};

// The entry unit's finalisation: nothing may hand out the control interface once the module
// is being unloaded, whatever the plug-in object's own unloading did.
struct EntryUnitFinalization {
  ~EntryUnitFinalization() { global_control.store(nullptr); }
} entry_unit_finalization;

}  // namespace

IUnknown* GlobalPluginControl() noexcept { return global_control.load(); }
void ClearGlobalPluginControl() noexcept { global_control.store(nullptr); }

TPluginControl::TPluginControl(TDllObjectBase* const* dll_object_ref, CallEntryProc call_entry)
    : DllObjectRef(dll_object_ref), CallEntry(call_entry) {
  global_control.store(this);
}

TPluginControl::~TPluginControl() {
  IPluginControl* self = this;
  global_control.compare_exchange_strong(self, nullptr);
}

TDllObjectBase* TPluginControl::GetDllObject() const {
  if (!DllObjectRef || !*DllObjectRef) services::RaiseText(L"Обработчик GetDllObject не назначен");
  return *DllObjectRef;
}

HRESULT __stdcall TPluginControl::QueryInterface(REFIID iid, void** out) noexcept {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IPluginControl) || IsEqualIID(iid, IID_IUnknown)) {
    *out = static_cast<IPluginControl*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

// The object belongs to the plug-in object, not to its callers.
ULONG __stdcall TPluginControl::AddRef() noexcept { return static_cast<ULONG>(-1); }
ULONG __stdcall TPluginControl::Release() noexcept { return static_cast<ULONG>(-1); }

HRESULT __stdcall TPluginControl::ReservedA(int32_t) noexcept { return S_OK; }
HRESULT __stdcall TPluginControl::ReservedB(int32_t) noexcept { return S_OK; }

HRESULT __stdcall TPluginControl::GetCallEntry(CallEntryProc* entry) noexcept try {
  if (!entry) services::RaiseText(L"GetCallEntry: не задан адрес результата");
  *entry = CallEntry;
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall TPluginControl::GetPluInfo(IUnknown** info) noexcept try {
  if (!info) services::RaiseText(L"GetPluInfo: не задан адрес результата");
  *info = nullptr;
  IUnknown* plu_info = GetDllObject()->QueryPluInfo();
  if (!plu_info) services::RaiseErrorCode(20058);
  *info = plu_info;
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

// The host passes its application object here; nothing in the module reads it.
HRESULT __stdcall TPluginControl::ReservedC(int32_t value) noexcept {
  if (application_ref_ == -1) application_ref_ = value;
  return S_OK;
}

}  // namespace core
