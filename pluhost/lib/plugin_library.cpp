// Loading a plug-in and calling its entry points as the host does.
#include "pluhost/lib/plugin_library.h"

#include <ole2.h>

#include "framework/win/scoped_bstr.h"
#include "pluhost/lib/seh_call.h"

namespace pluhost {

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::wstring& path, std::wstring& error) {
  std::unique_ptr<PluginLibrary> lib(new PluginLibrary());
  lib->path_ = path;
  lib->module_.Reset(LoadLibraryW(path.c_str()));
  DWORD load_error = GetLastError();
  if (!lib->module_) {
    error = L"cannot load " + path + L" (error " + std::to_wstring(load_error) + L")";
    return nullptr;
  }
  // The file the system actually loaded, which a relative or searched path does not say.
  wchar_t loaded[MAX_PATH];
  DWORD n = GetModuleFileNameW(lib->module_.Get(), loaded, MAX_PATH);
  if (n > 0 && n < MAX_PATH) lib->path_.assign(loaded, n);
  lib->query_ = reinterpret_cast<QueryProc>(reinterpret_cast<void*>(lib->Export("Query")));
  lib->plugin_control_ =
      reinterpret_cast<PluginControlProc>(reinterpret_cast<void*>(lib->Export("PluginControl")));
  if (!lib->query_ || !lib->plugin_control_ || !lib->Export("BeforeFreeLibrary")) {
    error = path + L" lacks one of the exports Query, PluginControl, BeforeFreeLibrary";
    return nullptr;
  }
  // PluginControl fills an interface variable that already holds one reference.
  IUnknown* control = nullptr;
  lib->PluginControl(&control);
  lib->control_ = win::ComPtr<IUnknown>::Adopt(control).As<IPluginControl>(kIidPluginControl);
  return lib;
}

PluginLibrary::~PluginLibrary() {
  // The host lets go of the control interface and announces the unload before it frees
  // the library.
  control_.Reset();
  using Proc = void (*)();
  if (auto before = reinterpret_cast<Proc>(reinterpret_cast<void*>(Export("BeforeFreeLibrary"))))
    before();
}

uintptr_t PluginLibrary::GuardedCallAddress() const {
  uint32_t distance = static_cast<uint32_t>(query_()) ^ kQueryKey;
  return QueryAddress() - distance;
}

void PluginLibrary::PluginControl(IUnknown** variable) const { plugin_control_(variable); }

bool PluginLibrary::RunGuarded(HostBlock* block, void* caller) const {
  auto guarded = reinterpret_cast<CallEntryProc>(GuardedCallAddress());
  return guarded(block, caller) != 0;
}

CallEntryOutcome PluginLibrary::RunCallEntry(CallEntryProc entry, HostBlock* block, void* caller,
                                             RaiseObserver at_raise, void* context) {
  CallEntryOutcome outcome;
  CaughtException caught;
  outcome.raised = CallCatching(entry, block, caller, kCallEntryException, outcome.result, caught,
                                at_raise, context);
  if (!outcome.raised) return outcome;
  outcome.exception_code = caught.code;
  outcome.exception_flags = caught.flags;
  outcome.argument_count = caught.argument_count;
  if (caught.argument_count >= 2) {
    outcome.code = static_cast<int32_t>(caught.arguments[0]);
    // Read after the unwind: the module keeps the message until the thread's next failure.
    auto text = reinterpret_cast<const wchar_t*>(caught.arguments[1]);
    if (text) outcome.message = text;
  }
  return outcome;
}

std::wstring TakeErrorDescription() {
  win::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return {};
  win::ScopedBstr text;
  if (FAILED(info->GetDescription(text.Put()))) return {};
  return text.Text();
}

}  // namespace pluhost
