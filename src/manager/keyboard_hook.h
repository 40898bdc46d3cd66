// The space-bar accelerator: a keyboard hook of the host's user-interface thread that consumes a
// release of the space bar when the host could start the top prediction instead. The hook runs no
// command itself.
//
// At most one hook is installed per process, serving one manager. The hook, the served manager and
// the rule are used on the user-interface thread only; nothing is synchronised.
#pragma once

#include <cstdint>
#include <optional>

#include "cmdpredict/platform_types.h"
#include "platform/keyboard_hook.h"

class CPredictionCommandManager;

// The manager that the hook serves, null when none. Set by SetTovrelKeyboardHook even when the
// installation fails (a later call tries again), cleared when the hook is removed.
extern CPredictionCommandManager* g_hookManager;
// The installed hook, null when none.
extern cmdpredict::KeyboardHookHandle g_keyboardHook;

// The hook procedure: 1 when it consumes the key message, otherwise what the next hook returns.
cmdpredict::HookResult KeyboardHookProc(int code, cmdpredict::HookWParam wParam,
                                        cmdpredict::HookLParam lParam);

// True when the window that has the keyboard focus is a text-entry control.
bool IsTextEntryFocus();

// Removes the hook when it serves the manager, so that it never calls a destroyed manager; also
// forgets the manager when its installation had failed.
void RemoveKeyboardHookServing(const CPredictionCommandManager* manager);

// --- The rule, free of any platform service -------------------------------------------------------

enum class KeyHookAction { kPassOn, kConsume };

// What the rule needs to know beyond the key message. The rule asks in its own order and only for
// what it needs, so a key other than a space-bar release costs no focus or key-state query.
class KeyHookSituation {
 public:
  virtual ~KeyHookSituation() = default;
  // Whether the hook serves a manager whose accelerator option is on.
  virtual bool AutoStartTopPrediction() const = 0;
  // The class name of the focus window, no value when no window has the focus.
  virtual std::optional<cmdpredict::WString> FocusClassName() const = 0;
  // The Ctrl key state, high bit (0x8000) set while the key is down.
  virtual std::int16_t ControlKeyState() const = 0;
  // The served manager's command at position 0 of the environment with the empty name, 0 for none.
  virtual int TopPrediction() const = 0;
};

// "Edit", "ComboBox" and "ComboBoxEx32" in any letter case, and any name containing "edit" in any
// letter case (so "RichEdit20W"); false without a focus window.
bool IsTextEntryClassName(const std::optional<cmdpredict::WString>& className);

// Consume a space-bar release (code not negative, bit 31 of lParam set, wParam 0x20) while the
// option is on, unless the focus is in text entry without Ctrl down, when a top prediction exists;
// pass everything else on.
KeyHookAction DecideKeyHookAction(int code, cmdpredict::HookWParam wParam, cmdpredict::HookLParam lParam,
                                  const KeyHookSituation& situation);
