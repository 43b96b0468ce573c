// What the plug-ins use of the host's own objects: the event-support interface and task objects.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>

#include "framework/automation/identifiers.h"
#include "framework/win/com_ptr.h"
#include "framework/win/scoped_variant.h"

namespace automation {

struct IEventSupport2;

// IDispatch's seven slots, then the host's 25 operations (IEventSupport's and its
// successor's). The plug-ins call only the seventeenth, NewValueTable; the others are the
// host's and are never called, so they are kept as opaque slots.
struct IEventSupport2Vtbl {
  HRESULT(__stdcall* QueryInterface)(IEventSupport2* self, REFIID iid, void** out);
  ULONG(__stdcall* AddRef)(IEventSupport2* self);
  ULONG(__stdcall* Release)(IEventSupport2* self);
  HRESULT(__stdcall* GetTypeInfoCount)(IEventSupport2* self, UINT* count);
  HRESULT(__stdcall* GetTypeInfo)(IEventSupport2* self, UINT index, LCID lcid, ITypeInfo** info);
  HRESULT(__stdcall* GetIDsOfNames)(IEventSupport2* self, REFIID iid, LPOLESTR* names,
                                    UINT count, LCID lcid, DISPID* ids);
  HRESULT(__stdcall* Invoke)(IEventSupport2* self, DISPID id, REFIID iid, LCID lcid, WORD flags,
                             DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                             UINT* arg_err);
  void* HostOperations1To16[16];
  // A new value table of the host (answers SetBounds, GetBounds, SetValue, GetValue by name).
  HRESULT(__stdcall* NewValueTable)(IEventSupport2* self, VARIANT* table);
  void* HostOperations18To25[8];
};
static_assert(offsetof(IEventSupport2Vtbl, NewValueTable) == 23 * sizeof(void*));
static_assert(sizeof(IEventSupport2Vtbl) == 32 * sizeof(void*));

// The interface as the host hands it over. The member functions forward to the table so
// that win::ComPtr can hold it.
struct IEventSupport2 {
  const IEventSupport2Vtbl* lpVtbl;

  HRESULT QueryInterface(REFIID iid, void** out) { return lpVtbl->QueryInterface(this, iid, out); }
  ULONG AddRef() { return lpVtbl->AddRef(this); }
  ULONG Release() { return lpVtbl->Release(this); }
};

// QueryInterface for IEventSupport2; empty when the object does not answer it (or is null).
win::ComPtr<IEventSupport2> QueryEventSupport2(IUnknown* object);

// Calls NewValueTable; a failure raises code 20000 with the host's error description.
win::ScopedVariant HostNewValueTable(IEventSupport2* events);

// Host objects begin with a pointer T to their class table; the word at T - 44 points at the
// class name (a length byte, then that many 8-bit characters).
std::string HostClassName(const void* object);

// A caller object of the host's task classes ("TInternalTask", "TTaskThread"; exact case).
bool IsTaskObject(const void* object);

// Task layout: the addressed device's identifier at byte 124, the plug-in's reference at
// 140 (written by the plug-in), the cancel flag (non-zero byte) at 144.
inline constexpr size_t kTaskDeviceIdOffset = 124;
inline constexpr size_t kTaskPluginOffset = 140;
inline constexpr size_t kTaskCancelledOffset = 144;

GUID TaskDeviceId(const void* task);
void SetTaskPlugin(void* task, void* plugin);
void* TaskPlugin(const void* task);
bool TaskCancelled(const void* task);
// The task's keep-alive operation: the first slot of its class table, called with the task
// in EAX and nothing else.
void TaskKeepAlive(void* task);

using TaskKeepAliveProc = void(__attribute__((regparm(1))) *)(void* task);

}  // namespace automation
