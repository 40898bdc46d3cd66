// The space-bar accelerator's rule, free of any platform service, on every platform.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "manager/keyboard_hook.h"

namespace cmdpredict {
namespace {

constexpr HookWParam kSpace = 0x20;
constexpr HookLParam kReleased = static_cast<HookLParam>(0xC0000001U);

struct Situation final : KeyHookSituation {
  const char* name;
  std::optional<WString> focus;
  std::int16_t control;
  int top;
  KeyHookAction expected;

  Situation(const char* rowName, std::optional<WString> focusClass, std::int16_t controlState, int topPrediction,
            KeyHookAction action)
      : name(rowName), focus(std::move(focusClass)), control(controlState), top(topPrediction), expected(action) {}
  bool AutoStartTopPrediction() const override { return true; }
  std::optional<WString> FocusClassName() const override { return focus; }
  std::int16_t ControlKeyState() const override { return control; }
  int TopPrediction() const override { return top; }
};

TEST(KeyHookRule, ConsumesASpaceBarReleaseOutsideTextEntryOrWithCtrlDownWhenThereIsATopPrediction) {
  constexpr std::int16_t kDown = INT16_MIN, kToggled = 1;
  const Situation rows[] = {
      {"no focus window", std::nullopt, 0, 5, KeyHookAction::kConsume},
      {"a button", WString(CMDPREDICT_WIDE("Button")), 0, 5, KeyHookAction::kConsume},
      {"no top prediction", WString(CMDPREDICT_WIDE("Button")), 0, 0, KeyHookAction::kPassOn},
      {"text entry", WString(CMDPREDICT_WIDE("RichEdit20W")), 0, 5, KeyHookAction::kPassOn},
      {"text entry with Ctrl down", WString(CMDPREDICT_WIDE("Edit")), kDown, 5, KeyHookAction::kConsume},
      // The system's key state also carries a toggle bit: only the high bit means down.
      {"text entry with Ctrl toggled", WString(CMDPREDICT_WIDE("Edit")), kToggled, 5, KeyHookAction::kPassOn},
  };
  for (const Situation& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DecideKeyHookAction(0, kSpace, kReleased, row), row.expected);
  }
}

}  // namespace
}  // namespace cmdpredict
