// Feeding the space-bar accelerator (CPredictionCommandManager::SetAutoStartTopPrediction) on
// platforms without Windows keyboard hooks.
//
// On Windows the library installs a keyboard hook of the user-interface thread and the host has
// nothing to call here. Elsewhere the host's toolkit hands every key event of its user-interface
// thread to DispatchKeyEvent from its own event filter, before the focused widget sees the event,
// and drops the event when the call returns true. Two providers tell the accelerator what Windows
// would: the window class name of the widget that has the keyboard focus, and whether Ctrl is down.
// docs/keyboard-accelerator.md shows the wiring for Qt and GTK.
//
// The accelerator consumes a release of the space bar while the option is on, the top prediction
// of the environment with the empty name is a command, and the focus is not in a text-entry widget
// (a class named "Edit", "ComboBox" or "ComboBoxEx32" in any letter case, or any class whose name
// contains "edit" in any letter case) unless Ctrl is down. It starts no command: that is the host's
// part, done when DispatchKeyEvent returns true.
//
// Threading: call everything on the user-interface thread, the thread on which the option was
// turned on. Key events dispatched on another thread reach no hook.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "cmdpredict/export.h"
#include "cmdpredict/platform_types.h"

namespace cmdpredict {

// The Windows virtual-key code of the space bar (VK_SPACE), the key the accelerator watches. Other
// keys may be dispatched with any code other than this one.
inline constexpr std::uint32_t kVirtualKeySpace = 0x20;

}  // namespace cmdpredict

#if !defined(_WIN32)

namespace cmdpredict {

enum class KeyTransition { kPress, kRelease };

// Hands one key event of the calling thread to the thread's keyboard hooks. True when a hook
// consumed it: the host must then deliver it neither to the focused widget nor to its own later
// key handling. Without any hook installed, false.
CMDPREDICT_API bool DispatchKeyEvent(std::uint32_t virtualKey, KeyTransition transition);

// Answers the window class name of the widget that has the keyboard focus, or no value when no
// widget has it. Hosts name their text-entry widgets with a class name that the accelerator treats
// as text entry ("Edit" for a line or text editor, "ComboBox" for an editable combo box) and other
// widgets with any other name. Names longer than 511 units are cut; a zero unit ends the name.
using FocusClassNameProvider = std::function<std::optional<WString>()>;
// Answers whether a Ctrl key is down at the time of the call.
using ControlKeyStateProvider = std::function<bool()>;

// Replace the provider that the accelerator asks; an empty function restores the default. Defaults:
// no widget has the focus (so never text entry), and Ctrl is up. The providers are called on the
// thread that dispatches the key event, only while the accelerator examines a space-bar release.
CMDPREDICT_API void SetFocusClassNameProvider(FocusClassNameProvider provider);
CMDPREDICT_API void SetControlKeyStateProvider(ControlKeyStateProvider provider);

}  // namespace cmdpredict

#endif
