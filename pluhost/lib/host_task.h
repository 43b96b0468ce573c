// The host's task objects ("TInternalTask"): the caller of a call that addresses one device.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace pluhost {

// The host's layout; only the device identifier, the plug-in slot, the cancel byte and the
// class table are shared with the plug-ins, the rest is the host's.
struct HostTask {
  const void* ClassRef;
  uint8_t Gap1[120];
  GUID DeviceId;
  void* PluginRef;
  uint8_t Cancelled;
  uint8_t Gap2[3];
  LONG KeepAliveCalls;
};
static_assert(offsetof(HostTask, DeviceId) == 124);
static_assert(offsetof(HostTask, PluginRef) == 140);
static_assert(offsetof(HostTask, Cancelled) == 144);

using TaskKeepAliveProc = void(__attribute__((regparm(1))) *)(void* task);

HostTask* NewHostTask(const GUID& device);
// Destroys a task through its class table's destructor.
void DestroyTask(HostTask* task) noexcept;
// Calls the keep-alive operation in class-table slot 0, as a plug-in does.
void KeepAlive(HostTask* task);
// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional).
bool ParseGuid(const std::wstring& text, GUID& out);

}  // namespace pluhost
