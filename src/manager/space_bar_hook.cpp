#include "manager/space_bar_hook.h"

#include "cmdpredict/prediction_command_manager.h"
#include "manager/space_bar_rule.h"

using cmdpredict::HookLParam;
using cmdpredict::HookResult;
using cmdpredict::HookWParam;
using cmdpredict::WString;

CPredictionCommandManager* g_hookManager = nullptr;
cmdpredict::KeyboardHookHandle g_keyboardHook = nullptr;

namespace {

constexpr HookResult kConsumed = 1;

// The served manager and the system answer the rule's questions at the moment of a key message.
class ServedManagerSituation final : public KeyHookSituation {
 public:
  bool AutoStartTopPrediction() const override {
    return g_hookManager != nullptr && g_hookManager->GetAutoStartTopPrediction();
  }
  std::optional<WString> FocusClassName() const override { return cmdpredict::FocusWindowClassName(); }
  std::int16_t ControlKeyState() const override { return cmdpredict::ControlKeyState(); }
  int TopPrediction() const override { return g_hookManager->GetPredictionCommandID(WString(), 0); }
};

void RemoveInstalledHook() {
  if (g_keyboardHook == nullptr) return;
  g_hookManager = nullptr;
  cmdpredict::RemoveKeyboardHook(g_keyboardHook);
  g_keyboardHook = nullptr;
}

}  // namespace

HookResult KeyboardHookProc(int code, HookWParam wParam, HookLParam lParam) {
  if (DecideKeyHookAction(code, wParam, lParam, ServedManagerSituation()) == KeyHookAction::kConsume) {
    return kConsumed;
  }
  return cmdpredict::CallNextKeyboardHook(g_keyboardHook, code, wParam, lParam);
}

void CPredictionCommandManager::SetTovrelKeyboardHook() {
  if (g_keyboardHook != nullptr) return;  // the hook keeps serving the manager it was installed for
  g_hookManager = this;
  // A refused hook is not reported: the handle stays null and a later call tries again.
  g_keyboardHook = cmdpredict::InstallKeyboardHook(&KeyboardHookProc);
}

void CPredictionCommandManager::RemoveTovrelKeyboardHook() { RemoveInstalledHook(); }

void RemoveKeyboardHookServing(const CPredictionCommandManager* manager) {
  if (g_hookManager != manager) return;
  RemoveInstalledHook();
  g_hookManager = nullptr;  // also when the installation had failed and there is no hook to remove
}
