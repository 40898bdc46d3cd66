// The space-bar accelerator's rule: whether a key message is a release of the space bar that the
// host could answer by starting the top prediction. Free of any platform service, so that it is
// tested on every platform.
#pragma once

#include <cstdint>
#include <optional>

#include "cmdpredict/platform_types.h"
#include "platform/system_keyboard_hook.h"

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
  // The Ctrl key state, cmdpredict::kKeyStateDown set while the key is down.
  virtual std::int16_t ControlKeyState() const = 0;
  // The served manager's command at position 0 of the environment with the empty name, 0 for none.
  virtual int TopPrediction() const = 0;
};

// "Edit", "ComboBox" and "ComboBoxEx32" in any letter case, and any name containing "edit" in any
// letter case (so "RichEdit20W"); false without a focus window.
bool IsTextEntryClassName(const std::optional<cmdpredict::WString>& className);

// Consume a space-bar release (code not negative, the keystroke's transition bit set, the space
// bar's key code) while the option is on, unless the focus is in text entry without Ctrl down, when
// a top prediction exists; pass everything else on.
KeyHookAction DecideKeyHookAction(int code, cmdpredict::HookWParam wParam, cmdpredict::HookLParam lParam,
                                  const KeyHookSituation& situation);
