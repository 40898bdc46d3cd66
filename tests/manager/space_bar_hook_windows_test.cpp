// The space-bar hook on the system's own keyboard hook: key strokes sent with SendInput to a window
// of the test's thread, which has the keyboard focus.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "manager/space_bar_hook.h"

namespace cmdpredict {
namespace {

// The key messages that reached the window: message and virtual-key code.
using KeyMessages = std::vector<std::pair<UINT, WPARAM>>;
KeyMessages g_keyMessages;

LRESULT CALLBACK RecordKeyMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN || message == WM_KEYUP) g_keyMessages.emplace_back(message, wParam);
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// Hands the messages that arrive within a short while to the window, through the thread's hooks.
void DeliverMessages() {
  const ULONGLONG end = ::GetTickCount64() + 300;
  while (::GetTickCount64() < end) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::Sleep(10);
  }
}

void PressAndReleaseSpaceBar() {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = VK_SPACE;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, inputs, sizeof(INPUT));
  DeliverMessages();
}

// A visible window of this thread that has the keyboard focus and records its key messages, and a
// manager with a top prediction for the empty environment whose option is on.
class SystemSpaceBarHook : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &RecordKeyMessages;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CmdpredictTestWindow";
    ::RegisterClassW(&windowClass);  // fails harmlessly when a test before registered it
    m_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    ::SetForegroundWindow(m_window);
    ::SetFocus(m_window);
    DeliverMessages();
    g_keyMessages.clear();
    ASSERT_TRUE(m_window != nullptr && ::GetFocus() == m_window);
    ASSERT_EQ(m_manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10), S_OK);
    m_manager.BeforeCommandRun(5, nullptr, "", 0, 0);
    m_manager.SetAutoStartTopPrediction(true);
    ASSERT_NE(g_keyboardHook, nullptr);
  }
  void TearDown() override {
    m_manager.RemoveTovrelKeyboardHook();
    ::DestroyWindow(m_window);
  }

  HWND m_window = nullptr;
  CPredictionCommandManager m_manager;
};

TEST_F(SystemSpaceBarHook, ConsumesTheReleaseOfTheSpaceBarButNotItsPress) {
  PressAndReleaseSpaceBar();
  EXPECT_EQ(g_keyMessages, (KeyMessages{{WM_KEYDOWN, VK_SPACE}}));
}

TEST_F(SystemSpaceBarHook, PassesTheReleaseOnOnceRemoved) {
  m_manager.RemoveTovrelKeyboardHook();
  EXPECT_EQ(g_keyboardHook, nullptr);
  PressAndReleaseSpaceBar();
  EXPECT_EQ(g_keyMessages, (KeyMessages{{WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}}));
}

}  // namespace
}  // namespace cmdpredict
