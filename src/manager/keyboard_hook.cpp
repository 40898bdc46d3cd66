// The space-bar accelerator: the rule that decides about a key message, the hook procedure that
// applies it for the served manager, and the installation of the process's one hook.
#include "manager/keyboard_hook.h"

#include <algorithm>
#include <string_view>

#include "cmdpredict/prediction_command_manager.h"

using cmdpredict::HookLParam;
using cmdpredict::HookResult;
using cmdpredict::HookWParam;
using cmdpredict::WString;

CPredictionCommandManager* g_hookManager = nullptr;
cmdpredict::KeyboardHookHandle g_keyboardHook = nullptr;

namespace {

constexpr HookWParam kVirtualKeySpace = 0x20;
// The transition state of the keystroke flags: set while the key is being released.
constexpr std::uintptr_t kKeyReleasedBit = std::uintptr_t{1} << 31;
constexpr std::uint16_t kKeyDownBit = 0x8000;
constexpr HookResult kConsumed = 1;

bool IsSpaceBarRelease(int code, HookWParam wParam, HookLParam lParam) {
  return code >= 0 && (static_cast<std::uintptr_t>(lParam) & kKeyReleasedBit) != 0 &&
         wParam == kVirtualKeySpace;
}

bool IsKeyDown(std::int16_t keyState) { return (static_cast<std::uint16_t>(keyState) & kKeyDownBit) != 0; }

// The class names are ASCII; spelling them through this keeps the text the same whatever WChar is.
WString AsciiText(std::string_view ascii) { return WString(ascii.begin(), ascii.end()); }

WString LowerCaseClassName(WString name) {
  std::transform(name.begin(), name.end(), name.begin(), cmdpredict::LowerCaseClassNameUnit);
  return name;
}

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

bool IsTextEntryClassName(const std::optional<WString>& className) {
  if (!className) return false;
  static const WString kTextEntryClasses[] = {AsciiText("edit"), AsciiText("ComboBox"),
                                              AsciiText("ComboBoxEx32")};
  for (const WString& textEntryClass : kTextEntryClasses) {
    if (cmdpredict::ClassNamesEqualIgnoringCase(*className, textEntryClass.c_str())) return true;
  }
  return LowerCaseClassName(*className).find(AsciiText("edit")) != WString::npos;
}

KeyHookAction DecideKeyHookAction(int code, HookWParam wParam, HookLParam lParam,
                                  const KeyHookSituation& situation) {
  if (!situation.AutoStartTopPrediction() || !IsSpaceBarRelease(code, wParam, lParam)) {
    return KeyHookAction::kPassOn;
  }
  // In a text-entry control the space bar types a space, unless Ctrl is held down.
  if (IsTextEntryClassName(situation.FocusClassName()) && !IsKeyDown(situation.ControlKeyState())) {
    return KeyHookAction::kPassOn;
  }
  return situation.TopPrediction() != 0 ? KeyHookAction::kConsume : KeyHookAction::kPassOn;
}

HookResult KeyboardHookProc(int code, HookWParam wParam, HookLParam lParam) {
  if (DecideKeyHookAction(code, wParam, lParam, ServedManagerSituation()) == KeyHookAction::kConsume) {
    return kConsumed;
  }
  return cmdpredict::CallNextKeyboardHook(g_keyboardHook, code, wParam, lParam);
}

bool IsTextEntryFocus() { return IsTextEntryClassName(cmdpredict::FocusWindowClassName()); }

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
