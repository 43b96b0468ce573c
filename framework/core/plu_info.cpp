// The slots of IPluInfo and IPluNames. The object belongs to the module, so reference
// counting does nothing; every stdcall slot turns a failure into E_UNEXPECTED with the
// message as error information, and the register-convention slots answer False instead.
#include "framework/core/plu_info.h"

#include "framework/automation/host_objects.h"
#include "framework/automation/identifiers.h"
#include "framework/config/name_compare.h"
#include "framework/core/base_dll_obj.h"
#include "framework/services/error_boundary.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_bstr.h"

namespace core {

namespace {

TBaseDllObj& Owner(IPluInfo* self) { return *static_cast<TPluInfoInterface*>(self)->owner; }
TBaseDllObj& Owner(IPluNames* self) { return *static_cast<TPluNamesInterface*>(self)->owner; }

template <typename T>
void CheckOut(T* out) {
  if (!out) services::RaiseText(L"IPluInfo: не задан адрес результата");
}

HRESULT __stdcall InfoQueryInterface(IPluInfo* self, REFIID iid, void** out) noexcept {
  return Owner(self).QueryInterface(iid, out);
}
ULONG __stdcall InfoAddRef(IPluInfo*) noexcept { return static_cast<ULONG>(-1); }
ULONG __stdcall InfoRelease(IPluInfo*) noexcept { return static_cast<ULONG>(-1); }

HRESULT __stdcall GetFileName(IPluInfo* self, BSTR* name) noexcept try {
  CheckOut(name);
  *name = win::ScopedBstr(Owner(self).ModulePath()).Release();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetFileVersion(IPluInfo* self, BSTR* version) noexcept try {
  CheckOut(version);
  *version = win::ScopedBstr(Owner(self).ModuleVersion()).Release();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetBuild(IPluInfo* self, uint16_t* build) noexcept try {
  CheckOut(build);
  *build = Owner(self).ModuleBuild();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetConstantA(IPluInfo* self, int32_t* value) noexcept try {
  CheckOut(value);
  *value = Owner(self).GetConstantA();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetConstantB(IPluInfo*, int32_t* value) noexcept try {
  CheckOut(value);
  *value = 1;
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetModel(IPluInfo* self, int32_t index, IUnknown** model) noexcept try {
  CheckOut(model);
  *model = nullptr;
  devices::TModelPluList& models = Owner(self).Devices().Models;
  // Past the last model the host receives an empty interface: that is how it counts them.
  if (index < 0 || index >= models.Count()) return S_OK;
  return models.Items(index)->QueryInterface(automation::kIidPluModel,
                                             reinterpret_cast<void**>(model));
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall SetOption(IPluInfo* self, int32_t value) noexcept {
  Owner(self).OptionValue = value;
  return S_OK;
}

HRESULT __stdcall SetEventSupport(IPluInfo* self, IUnknown* events) noexcept try {
  // An empty interface lets go of the one held, as the host does when it shuts down.
  if (!events) {
    Owner(self).DropHostEventSupport();
    return S_OK;
  }
  win::ComPtr<automation::IEventSupport2> supported;
  const HRESULT hr =
      events->QueryInterface(automation::kIidEventSupport2, reinterpret_cast<void**>(supported.Put()));
  if (FAILED(hr)) return hr;
  if (!supported) return E_NOINTERFACE;
  Owner(self).SetHostEventSupport(reinterpret_cast<IUnknown*>(supported.Get()));
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

void PLU_REGISTER GetNames(IPluInfo* self, IPluNames** result) noexcept {
  if (!result) return;
  IPluNames* names = Owner(self).PluNames();
  // The variable is the caller's interface reference: its old value is let go, as the
  // host's own assignment would.
  IPluNames* old = *result;
  *result = names;
  if (old && old != names) old->lpVtbl->Release(old);
}

constexpr IPluInfoVtbl kPluInfoVtbl = {
    &InfoQueryInterface, &InfoAddRef,     &InfoRelease, &GetFileName,
    &GetFileVersion,     &GetBuild,       &GetConstantA, &GetConstantB,
    &GetModel,           &SetOption,      &SetEventSupport, &GetNames,
};
static_assert(offsetof(IPluInfoVtbl, GetNames) == 11 * sizeof(void*));

HRESULT __stdcall NamesQueryInterface(IPluNames* self, REFIID iid, void** out) noexcept {
  return Owner(self).QueryInterface(iid, out);
}
ULONG __stdcall NamesAddRef(IPluNames*) noexcept { return static_cast<ULONG>(-1); }
ULONG __stdcall NamesRelease(IPluNames*) noexcept { return static_cast<ULONG>(-1); }

// The answer for a name; no failure may reach a caller that expects only a Boolean.
template <typename Predicate>
uint8_t Answer(BSTR name, Predicate predicate) noexcept {
  try {
    return predicate(std::wstring_view(win::BstrText(name))) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

uint8_t PLU_REGISTER IsProperty(IPluNames* self, BSTR name) noexcept {
  return Answer(name, [&](std::wstring_view n) { return Owner(self).FindPropertyId(n) >= 0; });
}
uint8_t PLU_REGISTER IsMethod(IPluNames* self, BSTR name) noexcept {
  return Answer(name, [&](std::wstring_view n) { return Owner(self).FindMethodId(n) >= 0; });
}
uint8_t PLU_REGISTER IsCommonMethod(IPluNames* self, BSTR name) noexcept {
  return Answer(name, [&](std::wstring_view n) { return Owner(self).IsCommonMethod(n); });
}
uint8_t PLU_REGISTER IsSwitchOn(IPluNames*, BSTR name) noexcept {
  return Answer(name, [](std::wstring_view n) {
    return config::SameName(n, L"Включить") || config::SameName(n, L"SwitchOn");
  });
}
uint8_t PLU_REGISTER IsSwitchOff(IPluNames*, BSTR name) noexcept {
  return Answer(name, [](std::wstring_view n) {
    return config::SameName(n, L"Выключить") || config::SameName(n, L"SwitchOff");
  });
}

constexpr IPluNamesVtbl kPluNamesVtbl = {
    &NamesQueryInterface, &NamesAddRef, &NamesRelease, &IsProperty,
    &IsMethod,            &IsCommonMethod, &IsSwitchOn, &IsSwitchOff,
};
static_assert(offsetof(IPluNamesVtbl, IsSwitchOff) == 7 * sizeof(void*));

}  // namespace

TPluInfoInterface::TPluInfoInterface(TBaseDllObj* owner) : IPluInfo{&kPluInfoVtbl}, owner(owner) {}
TPluNamesInterface::TPluNamesInterface(TBaseDllObj* owner) : IPluNames{&kPluNamesVtbl}, owner(owner) {}

}  // namespace core
