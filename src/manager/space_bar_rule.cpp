#include "manager/space_bar_rule.h"

#include <algorithm>
#include <string_view>

#include "cmdpredict/key_events.h"

using cmdpredict::HookLParam;
using cmdpredict::HookWParam;
using cmdpredict::WString;

namespace {

bool IsSpaceBarRelease(int code, HookWParam wParam, HookLParam lParam) {
  return code >= 0 && (static_cast<std::uintptr_t>(lParam) & cmdpredict::kKeystrokeReleased) != 0 &&
         wParam == cmdpredict::kVirtualKeySpace;
}

bool IsKeyDown(std::int16_t keyState) {
  return (static_cast<std::uint16_t>(keyState) & cmdpredict::kKeyStateDown) != 0;
}

// The class names are ASCII; spelling them through this keeps the text the same whatever WChar is.
WString AsciiText(std::string_view ascii) { return WString(ascii.begin(), ascii.end()); }

WString LowerCaseClassName(WString name) {
  std::transform(name.begin(), name.end(), name.begin(), cmdpredict::LowerCaseClassNameUnit);
  return name;
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
