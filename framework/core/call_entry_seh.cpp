// The call entry handed to the host: failures travel as a structured exception.
#include <windows.h>

#include <cstring>
#include <string>

#include "framework/automation/params.h"
#include "framework/core/call_entry.h"
#include "framework/services/error_boundary.h"

namespace core {
namespace {

// The message stays readable after the host has unwound, until the next failing call on the
// same thread. The buffer is a plain pointer on purpose: a thread-local object with a
// destructor makes the runtime pin the module until the thread ends, so that a host's
// FreeLibrary would leave the plug-in loaded with its plug-in object alive. A thread that
// ends or outlives the module leaves its last message behind.
constexpr wchar_t kNoMessage[] = L"";
thread_local wchar_t* last_message = nullptr;

const wchar_t* KeepMessage(const std::wstring& message) noexcept {
  size_t bytes = (message.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
  if (copy) std::memcpy(copy, message.c_str(), bytes);
  if (last_message) HeapFree(GetProcessHeap(), 0, last_message);
  last_message = copy;
  return copy ? copy : kNoMessage;  // out of memory: the code still travels
}

}  // namespace

extern "C" uint8_t __stdcall CallEntry(automation::TParams* block, void* caller) noexcept {
  int32_t code = 0;
  bool failed = false;
  uint8_t result = 0;
  const wchar_t* message = kNoMessage;
  // Every C++ object of the call is gone when this block is left: the structured exception
  // below must not unwind through live destructors, which no C++ handler would run.
  try {
    CallHandler handler = RegisteredCallHandler();
    if (!handler) RaiseNoCallHandler();
    result = handler(block, caller) ? 1 : 0;
  } catch (...) {
    failed = true;
    code = services::CurrentExceptionCode();
    if (block) block->SetExceptionFromCurrent();
    message = KeepMessage(services::CurrentExceptionMessage());
  }
  if (!failed) return result;
  ULONG_PTR args[2] = {static_cast<ULONG_PTR>(static_cast<uint32_t>(code)),
                       reinterpret_cast<ULONG_PTR>(message)};
  RaiseException(kCallEntryExceptionCode, EXCEPTION_NONCONTINUABLE, 2, args);
  return 0;
}

}  // namespace core
