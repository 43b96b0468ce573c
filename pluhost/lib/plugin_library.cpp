// Loading a plug-in and calling its entry points as the host does.
#include "pluhost/lib/plugin_library.h"

#include <ole2.h>

#include <mutex>

#include "framework/win/scoped_bstr.h"

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
  win::ScopedHandle thread(
      CreateThread(nullptr, 0, EntryWorker, &job, CREATE_SUSPENDED, &job.thread_id));
  if (thread) {
    ResumeThread(thread.Get());
    WaitForSingleObject(thread.Get(), INFINITE);
  }
  current_job = nullptr;
  RemoveVectoredExceptionHandler(handler);
  return job.outcome;
}

std::wstring TakeErrorDescription() {
  win::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return {};
  win::ScopedBstr text;
  if (FAILED(info->GetDescription(text.Put()))) return {};
  return text.Text();
}

}  // namespace pluhost
