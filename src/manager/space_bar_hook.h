// The space-bar accelerator's hook: the process's one keyboard hook of the host's user-interface
// thread, which applies the space-bar rule for the manager it serves and consumes a release of the
// space bar when the host could start the top prediction instead. The hook runs no command itself.
//
// At most one hook is installed per process, serving one manager. The hook and the served manager
// are used on the user-interface thread only; nothing is synchronised.
#pragma once

#include "platform/system_keyboard_hook.h"

class CPredictionCommandManager;

// The manager that the hook serves, null when none. Set by SetTovrelKeyboardHook even when the
// installation fails (a later call tries again), cleared when the hook is removed.
extern CPredictionCommandManager* g_hookManager;
// The installed hook, null when none.
extern cmdpredict::KeyboardHookHandle g_keyboardHook;

// The hook procedure: 1 when it consumes the key message, otherwise what the next hook returns.
cmdpredict::HookResult KeyboardHookProc(int code, cmdpredict::HookWParam wParam,
                                        cmdpredict::HookLParam lParam);

// Removes the hook when it serves the manager, so that it never calls a destroyed manager; also
// forgets the manager when its installation had failed.
void RemoveKeyboardHookServing(const CPredictionCommandManager* manager);
