// The message pump on a real window of the calling thread.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/config/utilities.h"

namespace {

constexpr UINT kTestMessage = WM_APP + 1;
int g_handled = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) noexcept {
  if (msg == kTestMessage) {
    ++g_handled;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

class MessagePump : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"UtilitiesPumpTest";
    RegisterClassW(&wc);
    // A message-only window: receives posted messages, needs no desktop.
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            wc.hInstance, nullptr);
    ASSERT_NE(hwnd_, nullptr) << "CreateWindowEx failed: " << GetLastError();
    config::ProcessAllMessages();  // whatever creation queued
    g_handled = 0;
  }
  void TearDown() override {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND hwnd_ = nullptr;
};

TEST_F(MessagePump, OneStepHandlesOnePostedMessage) {
  ASSERT_TRUE(PostMessageW(hwnd_, kTestMessage, 0, 0));
  ASSERT_TRUE(PostMessageW(hwnd_, kTestMessage, 0, 0));
  EXPECT_TRUE(config::ProcessMessages());
  EXPECT_EQ(g_handled, 1);
  EXPECT_TRUE(config::ProcessMessages());
  EXPECT_EQ(g_handled, 2);
  EXPECT_FALSE(config::ProcessMessages());  // empty queue
}

TEST_F(MessagePump, AllMessagesThenTheQuitRequestStaysForTheOwner) {
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(PostMessageW(hwnd_, kTestMessage, 0, 0));
  PostQuitMessage(7);
  config::ProcessAllMessages();
  EXPECT_EQ(g_handled, 3);
  // The host's loop must still see its quit request, with its exit code.
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MessagePump, DelayPumpsWhileItWaits) {
  ASSERT_TRUE(PostMessageW(hwnd_, kTestMessage, 0, 0));
  const DWORD start = GetTickCount();
  config::DelayMs(60);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(g_handled, 1);
  EXPECT_GE(elapsed, 60u);
  EXPECT_LT(elapsed, 2000u);
}

}  // namespace
