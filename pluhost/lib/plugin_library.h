// Loads a .plu and reaches it the way the equipment host does: Query, the guarded call
// found from Query's value, PluginControl with its argument in EAX, the control interface.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/win/com_ptr.h"
#include "framework/win/scoped_handle.h"
#include "pluhost/lib/host_block.h"
#include "pluhost/lib/host_interfaces.h"

namespace pluhost {

// What a call through the call entry ended with. A failure reaches the host as a
// structured exception whose two arguments are the error code and the message.
struct CallEntryOutcome {
  bool raised = false;
  DWORD exception_code = 0;
  DWORD exception_flags = 0;
  DWORD argument_count = 0;
  int32_t code = 0;
  std::wstring message;
  uint8_t result = 0;
};

class PluginLibrary {
 public:
  // Null with `error` set when the module does not load or lacks an export.
  static std::unique_ptr<PluginLibrary> Load(const std::wstring& path, std::wstring& error);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // The full path of the loaded file.
  const std::wstring& Path() const { return path_; }
  HMODULE Module() const { return module_.Get(); }
  int32_t QueryValue() const { return query_(); }
  uintptr_t QueryAddress() const { return reinterpret_cast<uintptr_t>(query_); }
  // Address of Query minus (value XOR key): where the host expects the guarded call.
  uintptr_t GuardedCallAddress() const;
  FARPROC Export(const char* name) const { return GetProcAddress(module_.Get(), name); }

  // Calls PluginControl on the given variable, exactly as the host does.
  void PluginControl(IUnknown** variable) const;
  // The control interface obtained once through PluginControl (null when empty).
  IPluginControl* Control() const { return control_.Get(); }

  // Runs a block through the guarded call; the block carries the error fields back.
  bool RunGuarded(HostBlock* block, void* caller = nullptr) const;
  // Runs a block through the call entry on this thread (which, as the host's threads do, has
  // COM initialised), catching the structured exception that the call entry raises on
  // failure. `at_raise`, when given, runs while that exception is being dispatched, with
  // `context`: it sees what a host's handler sees at that moment.
  using RaiseObserver = void (*)(void* context);
  static CallEntryOutcome RunCallEntry(CallEntryProc entry, HostBlock* block, void* caller,
                                       RaiseObserver at_raise = nullptr, void* context = nullptr);

 private:
  PluginLibrary() = default;

  std::wstring path_;
  win::ScopedHmodule module_;
  QueryProc query_ = nullptr;
  PluginControlProc plugin_control_ = nullptr;
  win::ComPtr<IPluginControl> control_;
};

// The description in the calling thread's error-information object, where a failing
// interface slot of the plug-in leaves its message; taking it empties the object. Empty when
// there is none.
std::wstring TakeErrorDescription();

}  // namespace pluhost
