// The host's task objects and their class table.
#include "pluhost/lib/host_task.h"

#include <objbase.h>

#include <cstring>

namespace pluhost {
namespace {

void __attribute__((regparm(1))) KeepAliveSlot(void* task) {
  InterlockedIncrement(&static_cast<HostTask*>(task)->KeepAliveCalls);
}

void __attribute__((regparm(2))) DestroyTaskSlot(void* task, int32_t) { delete static_cast<HostTask*>(task); }

// The object's first word points at `slots`: the class name at -44, the destructor at -4,
// the keep-alive operation at +0.
struct TaskClassTable {
  const void* words[11];
  const void* slots[1];
};

const char kTaskClassName[] = "\x0DTInternalTask";

const TaskClassTable kTaskClass = {
    {kTaskClassName, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
     reinterpret_cast<const void*>(&DestroyTaskSlot)},
    {reinterpret_cast<const void*>(&KeepAliveSlot)}};

}  // namespace

HostTask* NewHostTask(const GUID& device) {
  auto* task = new HostTask();
  std::memset(task, 0, sizeof *task);
  task->ClassRef = &kTaskClass.slots[0];
  task->DeviceId = device;
  return task;
}

void DestroyTask(HostTask* task) noexcept {
  if (!task) return;
  auto table = static_cast<const void* const*>(task->ClassRef);
  using Destructor = void(__attribute__((regparm(2))) *)(void*, int32_t);
  reinterpret_cast<Destructor>(const_cast<void*>(table[-1]))(task, 1);
}

void KeepAlive(HostTask* task) {
  auto table = static_cast<const void* const*>(task->ClassRef);
  reinterpret_cast<TaskKeepAliveProc>(const_cast<void*>(table[0]))(task);
}

bool ParseGuid(const std::wstring& text, GUID& out) {
  std::wstring braced = text;
  if (braced.empty()) return false;
  if (braced.front() != L'{') braced = L"{" + braced + L"}";
  return braced.size() == 38 && SUCCEEDED(CLSIDFromString(braced.c_str(), &out));
}

}  // namespace pluhost
