// The calling thread's message pump: one step, all pending messages, and a pumping delay.
#include "framework/config/utilities.h"

namespace config {

bool ProcessMessages() noexcept {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    // The thread belongs to the host: its quit request is for the host's own loop, so it goes
    // back into the queue instead of being swallowed here, and pumping stops.
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  // Every window procedure of this module is a noexcept boundary, so no C++ exception can
  // come out of the dispatch; the step needs no handler of its own.
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void ProcessAllMessages() noexcept {
  while (ProcessMessages()) {
  }
}

void DelayMs(DWORD milliseconds) noexcept {
  const DWORD start = GetTickCount();
  for (;;) {
    ProcessAllMessages();
    // Unsigned difference: correct across the counter's wrap after 49.7 days.
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    // Sleeps until a message arrives or the time is up, instead of spinning on an empty queue.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
}

}  // namespace config
