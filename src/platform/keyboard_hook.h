// The keyboard services behind the space-bar accelerator: a keyboard hook of the calling thread,
// the chain to the next hook, the class name of the window that has the keyboard focus and the
// state of the Ctrl key.
//
// On Windows these are the user-interface calls themselves. Elsewhere an in-process stand-in keeps
// the same shape: each thread has its own hook chain, newest hook first, which the host's toolkit
// feeds through DispatchKeyEvent (cmdpredict/keyboard_hook.h); the focus class name and the Ctrl
// state come from providers that the host sets there.
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
// flags (bit 31 set when the key is being released) and nonzero for "consumed".
using HookWParam = std::uintptr_t;
using HookLParam = std::intptr_t;
using HookResult = std::intptr_t;
using KeyboardHookProcedure = HookResult (*)(int code, HookWParam wParam, HookLParam lParam);

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
// The state of the Ctrl key as the system reports a key state: the high bit (0x8000) is set while
// the key is down.
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

// The number of hooks in the calling thread's chain.
std::size_t KeyboardHookCount();

// While an object of this class lives, every installation fails on every thread, as the system may
// refuse a hook; for tests of that path.
class ScopedKeyboardHookRefusal {
 public:
  ScopedKeyboardHookRefusal();
  ~ScopedKeyboardHookRefusal();
  ScopedKeyboardHookRefusal(const ScopedKeyboardHookRefusal&) = delete;
  ScopedKeyboardHookRefusal& operator=(const ScopedKeyboardHookRefusal&) = delete;
};

#endif

}  // namespace cmdpredict
