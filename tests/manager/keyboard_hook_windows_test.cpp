// The space-bar accelerator on the system's own keyboard hook: key strokes sent with SendInput to a
// window of the test's thread, which has the keyboard focus.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "manager/keyboard_hook.h"

namespace cmdpredict {
namespace {

// The key messages that reached the window: message and virtual-key code.
using KeyMessages = std::vector<std::pair<UINT, WPARAM>>;
KeyMessages g_keyMessages;

LRESULT CALLBACK RecordKeyMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN || message == WM_KEYUP) g_keyMessages.emplace_back(message, wParam);
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// A visible window of this thread that has the keyboard focus and records its key messages.
class FocusWindow {
 public:
  FocusWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &RecordKeyMessages;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CmdpredictTestWindow";
    ::RegisterClassW(&windowClass);  // fails harmlessly when a test before registered it
    m_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    ::SetForegroundWindow(m_window);
    ::SetFocus(m_window);
    DeliverMessages();
    g_keyMessages.clear();
  }
  ~FocusWindow() { ::DestroyWindow(m_window); }
  FocusWindow(const FocusWindow&) = delete;
  FocusWindow& operator=(const FocusWindow&) = delete;

  bool HasFocus() const { return m_window != nullptr && ::GetFocus() == m_window; }

  // Hands the messages that arrive within a short while to the window, through the thread's hooks.
  static void DeliverMessages() {
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

 private:
  HWND m_window;
};

void SendSpaceBar(DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_SPACE;
  input.ki.dwFlags = flags;
  ::SendInput(1, &input, sizeof input);
}

void PressAndReleaseSpaceBar() {
  SendSpaceBar(0);
  SendSpaceBar(KEYEVENTF_KEYUP);
  FocusWindow::DeliverMessages();
}

TEST(SystemKeyboardHook, ConsumesASpaceBarReleaseSentWithSendInputPassesThePressOnAndIsRemoved) {
  const FocusWindow window;
  ASSERT_TRUE(window.HasFocus());
  CPredictionCommandManager manager;
  ASSERT_EQ(manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10), S_OK);
  manager.BeforeCommandRun(5, nullptr, "", 0, 0);  // the top prediction of the empty environment
  manager.SetAutoStartTopPrediction(true);
  ASSERT_NE(g_keyboardHook, nullptr);
  PressAndReleaseSpaceBar();
  EXPECT_EQ(g_keyMessages, (KeyMessages{{WM_KEYDOWN, VK_SPACE}}));
  manager.RemoveTovrelKeyboardHook();
  EXPECT_EQ(g_keyboardHook, nullptr);
  PressAndReleaseSpaceBar();
  EXPECT_EQ(g_keyMessages, (KeyMessages{{WM_KEYDOWN, VK_SPACE}, {WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}}));
}

}  // namespace
}  // namespace cmdpredict
