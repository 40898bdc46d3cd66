// The system's keyboard services behind the space-bar accelerator: a keyboard hook of the calling
// thread, the chain to the next hook, the class name of the window that has the keyboard focus and
// the state of the Ctrl key.
//
// On Windows these are the user-interface calls themselves. Elsewhere an in-process stand-in keeps
// the same shape: each thread has its own hook chain, newest hook first, which the host's toolkit
// feeds through DispatchKeyEvent (cmdpredict/key_events.h); the focus class name and the Ctrl state
// come from providers that the host sets there.
//
// Threading: a hook is installed, called and removed on one thread, the host's user-interface
// thread. Nothing here is synchronised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "cmdpredict/platform_types.h"

namespace cmdpredict {

// An installed hook as the system identifies it; null for none.
using KeyboardHookHandle = void*;
// The arguments and the result of a keyboard hook procedure: the virtual-key code, the keystroke
// flags and nonzero for "consumed".
using HookWParam = std::uintptr_t;
using HookLParam = std::intptr_t;
using HookResult = std::intptr_t;
using KeyboardHookProcedure = HookResult (*)(int code, HookWParam wParam, HookLParam lParam);

// Keystroke flags: the repeat count in the low 16 bits, bit 30 set when the key was down before
// the message and bit 31 (the transition state) set while the key is being released.
inline constexpr std::uintptr_t kKeystrokeRepeatOnce = 1;
inline constexpr std::uintptr_t kKeystrokeWasDown = std::uintptr_t{1} << 30;
inline constexpr std::uintptr_t kKeystrokeReleased = std::uintptr_t{1} << 31;
// A key state has its high bit set while the key is down (the low bit is a toggle).
inline constexpr std::uint16_t kKeyStateDown = 0x8000;

// The largest class name read, terminating zero included; longer names are cut.
inline constexpr std::size_t kClassNameBufferLength = 512;

// Installs the procedure as a keyboard hook of the calling thread, ahead of the hooks installed
// before it. Null when the system refuses the hook. On Windows all hooks installed here on one
// thread call the procedure installed last; the library installs one hook at a time.
KeyboardHookHandle InstallKeyboardHook(KeyboardHookProcedure procedure);
// Removes a hook installed by the calling thread; false when there is no such hook.
bool RemoveKeyboardHook(KeyboardHookHandle hook);
// Hands a key message on to the hook after `hook` in the chain and returns its result; 0 when no
// hook follows (the message then goes on to the focused window).
HookResult CallNextKeyboardHook(KeyboardHookHandle hook, int code, HookWParam wParam, HookLParam lParam);

// The class name of the window of this thread that has the keyboard focus, or no value when none
// has it. An empty name when the name cannot be read.
std::optional<WString> FocusWindowClassName();
// The state of the Ctrl key as the system reports a key state (see kKeyStateDown).
std::int16_t ControlKeyState();
// True when two window class names are equal, letter case aside, as the system compares them.
bool ClassNamesEqualIgnoringCase(const WString& name, const WChar* other);
// One unit of a class name lower-cased as the C runtime does in its default locale: only the ASCII
// letters change.
constexpr WChar LowerCaseClassNameUnit(WChar unit) {
  return unit >= 'A' && unit <= 'Z' ? static_cast<WChar>(unit - 'A' + 'a') : unit;
}

#if !defined(_WIN32)

// The stand-in's entry point: calls the newest hook of the calling thread, which passes the message
// on along the chain as it decides. Returns the result of the chain, 0 when the thread has no hook.
HookResult DispatchKeyboardHookMessage(int code, HookWParam wParam, HookLParam lParam);

#if defined(CMDPREDICT_KEYBOARD_TEST_CONTROLS)
// Controls of the stand-in for tests, built into the internal static library only (never into the
// shared library that hosts load).

// The number of hooks in the calling thread's chain.
std::size_t KeyboardHookCount();

// While an object of this class lives, every installation fails on every thread, as the system may
// refuse a hook.
class ScopedKeyboardHookRefusal {
 public:
  ScopedKeyboardHookRefusal();
  ~ScopedKeyboardHookRefusal();
  ScopedKeyboardHookRefusal(const ScopedKeyboardHookRefusal&) = delete;
  ScopedKeyboardHookRefusal& operator=(const ScopedKeyboardHookRefusal&) = delete;
};
#endif

#endif

}  // namespace cmdpredict
