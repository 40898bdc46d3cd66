// Provisional: the hook itself is not wired yet; installing and removing only track the served
// manager.
#include "manager/keyboard_hook.h"

#include "cmdpredict/prediction_command_manager.h"

namespace {
CPredictionCommandManager* g_hookManager = nullptr;
}  // namespace

void CPredictionCommandManager::SetTovrelKeyboardHook() {
  if (g_hookManager == nullptr) g_hookManager = this;
}

void CPredictionCommandManager::RemoveTovrelKeyboardHook() { g_hookManager = nullptr; }

void RemoveKeyboardHookServing(const CPredictionCommandManager* manager) {
  if (g_hookManager == manager) g_hookManager = nullptr;
}
