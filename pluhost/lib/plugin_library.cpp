// Loading a plug-in and calling its entry points as the host does.
#include "pluhost/lib/plugin_library.h"

#include <ole2.h>

#include <mutex>

namespace pluhost {

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::wstring& path, std::wstring& error) {
  std::unique_ptr<PluginLibrary> lib(new PluginLibrary());
  lib->path_ = path;
  lib->module_ = LoadLibraryW(path.c_str());
  if (!lib->module_) {
    error = L"cannot load " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
    return nullptr;
  }
  lib->query_ = reinterpret_cast<QueryProc>(reinterpret_cast<void*>(GetProcAddress(lib->module_, "Query")));
  lib->plugin_control_ =
      reinterpret_cast<PluginControlProc>(reinterpret_cast<void*>(GetProcAddress(lib->module_, "PluginControl")));
  if (!lib->query_ || !lib->plugin_control_ || !GetProcAddress(lib->module_, "BeforeFreeLibrary")) {
    error = path + L" lacks one of the exports Query, PluginControl, BeforeFreeLibrary";
    return nullptr;
  }
  IUnknown* control = nullptr;
  lib->PluginControl(&control);
  if (control) {
    IPluginControl* typed = nullptr;
    if (SUCCEEDED(control->QueryInterface(kIidPluginControl, reinterpret_cast<void**>(&typed))))
      lib->control_ = typed;
    control->Release();
  }
  return lib;
}

PluginLibrary::~PluginLibrary() {
  if (control_) control_->Release();
  if (module_) {
    using Proc = void (*)();
    if (auto before = reinterpret_cast<Proc>(GetProcAddress(module_, "BeforeFreeLibrary")))
      before();
    FreeLibrary(module_);
  }
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

namespace {

struct EntryJob {
  CallEntryProc entry;
  HostBlock* block;
  void* caller;
  PluginLibrary::RaiseObserver at_raise;
  void* context;
  DWORD thread_id = 0;
  CallEntryOutcome outcome;
};

// One call entry job at a time: the exception handler finds its job here.
std::mutex job_mutex;
EntryJob* current_job = nullptr;

LONG CALLBACK CatchCallEntryException(EXCEPTION_POINTERS* info) {
  EntryJob* job = current_job;
  if (!job || GetCurrentThreadId() != job->thread_id) return EXCEPTION_CONTINUE_SEARCH;
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode != kCallEntryException) return EXCEPTION_CONTINUE_SEARCH;
  job->outcome.raised = true;
  job->outcome.exception_code = record->ExceptionCode;
  job->outcome.exception_flags = record->ExceptionFlags;
  job->outcome.argument_count = record->NumberParameters;
  if (record->NumberParameters >= 2) {
    job->outcome.code = static_cast<int32_t>(record->ExceptionInformation[0]);
    auto text = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
    if (text) job->outcome.message = text;
  }
  if (job->at_raise) job->at_raise(job->context);
  // The exception cannot be continued and nothing on the worker's stack needs unwinding:
  // the plug-in destroyed its objects before raising. Ending the thread is the catch.
  ExitThread(1);
}

DWORD WINAPI EntryWorker(void* param) {
  auto* job = static_cast<EntryJob*>(param);
  OleInitialize(nullptr);
  job->outcome.result = job->entry(job->block, job->caller);
  OleUninitialize();
  return 0;
}

}  // namespace

CallEntryOutcome PluginLibrary::RunCallEntry(CallEntryProc entry, HostBlock* block, void* caller,
                                             RaiseObserver at_raise, void* context) {
  std::lock_guard<std::mutex> lock(job_mutex);
  EntryJob job{entry, block, caller, at_raise, context};
  void* handler = AddVectoredExceptionHandler(1, CatchCallEntryException);
  current_job = &job;
  HANDLE thread = CreateThread(nullptr, 0, EntryWorker, &job, CREATE_SUSPENDED, &job.thread_id);
  if (thread) {
    ResumeThread(thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  current_job = nullptr;
  RemoveVectoredExceptionHandler(handler);
  return job.outcome;
}

}  // namespace pluhost
