// Access to the host's event-support interface and task objects, by their shared layout.
#include "framework/automation/host_objects.h"

#include <cstring>

#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"

namespace automation {

namespace {

const unsigned char* ClassTable(const void* object) {
  return *static_cast<const unsigned char* const*>(object);
}

template <typename T>
T FieldAt(const void* object, size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const unsigned char*>(object) + offset, sizeof(T));
  return value;
}

}  // namespace

win::ComPtr<IEventSupport2> QueryEventSupport2(IUnknown* object) {
  win::ComPtr<IEventSupport2> events;
  if (object) object->QueryInterface(kIidEventSupport2, events.PutVoid());
  return events;
}

win::ScopedVariant HostNewValueTable(IEventSupport2* events) {
  if (!events) win::ThrowText(L"NewValueTable: нет интерфейса событий");
  win::ScopedVariant table;
  HRESULT hr = events->lpVtbl->NewValueTable(events, table.Put());
  if (FAILED(hr)) {
    // The host reports its failures like a safecall: the text is in the error information.
    win::ComPtr<IErrorInfo> info;
    win::ScopedBstr description;
    if (GetErrorInfo(0, info.Put()) == S_OK && info) info->GetDescription(description.Put());
    if (!description.Text().empty()) win::ThrowText(description.Text());
    win::ThrowHresult(hr, L"NewValueTable");
  }
  return table;
}

std::string HostClassName(const void* object) {
  if (!object) return std::string();
  const unsigned char* table = ClassTable(object);
  if (!table) return std::string();
  const unsigned char* name = nullptr;
  std::memcpy(&name, table - 44, sizeof(name));
  if (!name) return std::string();
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

bool IsTaskObject(const void* object) {
  std::string name = HostClassName(object);
  return name == "TInternalTask" || name == "TTaskThread";
}

GUID TaskDeviceId(const void* task) { return FieldAt<GUID>(task, kTaskDeviceIdOffset); }

void SetTaskPlugin(void* task, void* plugin) {
  std::memcpy(static_cast<unsigned char*>(task) + kTaskPluginOffset, &plugin, sizeof(plugin));
}

void* TaskPlugin(const void* task) { return FieldAt<void*>(task, kTaskPluginOffset); }

bool TaskCancelled(const void* task) {
  return FieldAt<unsigned char>(task, kTaskCancelledOffset) != 0;
}

void TaskKeepAlive(void* task) {
  auto keep_alive = FieldAt<TaskKeepAliveProc>(ClassTable(task), 0);
  keep_alive(task);
}

}  // namespace automation
