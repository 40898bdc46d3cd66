// The system's keyboard hooks, focus window and key state (user32 and kernel32).
#include <windows.h>

#include "platform/system_keyboard_hook.h"

namespace cmdpredict {
namespace {

// The system calls a hook procedure with its own calling convention and integer types, so it calls
// this adapter, which forwards to the procedure installed on the thread. A thread's hook runs only
// on that thread, so one procedure per thread is all the adapter needs to know.
thread_local KeyboardHookProcedure t_procedure = nullptr;

LRESULT CALLBACK CallThreadProcedure(int code, WPARAM wParam, LPARAM lParam) {
  return static_cast<LRESULT>(
      t_procedure(code, static_cast<HookWParam>(wParam), static_cast<HookLParam>(lParam)));
}

}  // namespace

KeyboardHookHandle InstallKeyboardHook(KeyboardHookProcedure procedure) {
  if (procedure == nullptr) return nullptr;
  // Set first: the hook may be called as soon as it is installed. A refused hook leaves an unused
  // procedure behind, which nothing calls.
  t_procedure = procedure;
  return ::SetWindowsHookExW(WH_KEYBOARD, &CallThreadProcedure, nullptr, ::GetCurrentThreadId());
}

bool RemoveKeyboardHook(KeyboardHookHandle hook) {
  return ::UnhookWindowsHookEx(static_cast<HHOOK>(hook)) != FALSE;
}

HookResult CallNextKeyboardHook(KeyboardHookHandle hook, int code, HookWParam wParam, HookLParam lParam) {
  return static_cast<HookResult>(::CallNextHookEx(static_cast<HHOOK>(hook), code, static_cast<WPARAM>(wParam),
                                                  static_cast<LPARAM>(lParam)));
}

std::optional<WString> FocusWindowClassName() {
  const HWND focus = ::GetFocus();
  if (focus == nullptr) return std::nullopt;
  // Zero-filled, so a failed read leaves the empty name.
  WChar name[kClassNameBufferLength] = {};
  ::GetClassNameW(focus, name, static_cast<int>(kClassNameBufferLength));
  return WString(name);
}

std::int16_t ControlKeyState() { return static_cast<std::int16_t>(::GetKeyState(VK_CONTROL)); }

bool ClassNamesEqualIgnoringCase(const WString& name, const WChar* other) {
  return ::lstrcmpiW(name.c_str(), other) == 0;
}

}  // namespace cmdpredict
