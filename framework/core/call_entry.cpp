// Registration of the plug-in object's call handler, shared by both call entries.
#include "framework/core/call_entry.h"

#include <atomic>

#include "framework/services/exceptions.h"

namespace core {
namespace {

// The plug-in object registers itself at load and clears the registration at unload, while
// host threads may be calling: an atomic keeps each read whole.
std::atomic<CallHandler> registered_handler{nullptr};

}  // namespace

void RegisterCallHandler(CallHandler handler) noexcept { registered_handler.store(handler); }

CallHandler RegisteredCallHandler() noexcept { return registered_handler.load(); }

[[noreturn]] void RaiseNoCallHandler() {
  services::RaiseText(L"Обработчик вызовов не зарегистрирован: объект модуля не создан.");
}

}  // namespace core
