// The space-bar accelerator's rule, free of any platform service, on every platform.
#include "manager/space_bar_rule.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "platform/unicode.h"

namespace cmdpredict {
namespace {

constexpr HookWParam kSpace = 0x20;
constexpr HookLParam kReleased = static_cast<HookLParam>(0xC0000001U);  // repeat 1, was down, released
constexpr KeyHookAction kConsume = KeyHookAction::kConsume, kPassOn = KeyHookAction::kPassOn;

// The rule's answers: the option, the focus class (null: no focus window), Ctrl and the top prediction.
struct Situation final : KeyHookSituation {
  Situation(bool optionOn, const WChar* focusClass, std::int16_t ctrlState, int topPrediction)
      : option(optionOn), focus(focusClass), ctrl(ctrlState), top(topPrediction) {}
  bool AutoStartTopPrediction() const override { return option; }
  std::optional<WString> FocusClassName() const override {
    return focus != nullptr ? std::optional<WString>(focus) : std::nullopt;
  }
  std::int16_t ControlKeyState() const override { return ctrl; }
  int TopPrediction() const override { return top; }
  bool option;
  const WChar* focus;
  std::int16_t ctrl;
  int top;
};

// (name, option, focus class, Ctrl state, top prediction, action) for a release of the space bar.
TEST(SpaceBarRule, ConsumesASpaceBarReleaseOnlyWhenTheHostCouldStartTheTopPrediction) {
  const WChar* const edit = CMDPREDICT_WIDE("Edit");
  constexpr std::int16_t kDown = INT16_MIN, kToggled = 1;  // only the high bit means down
  const std::tuple<const char*, bool, const WChar*, std::int16_t, int, KeyHookAction> rows[] = {
      {"a top prediction", true, nullptr, 0, 5, kConsume},
      {"no top prediction", true, nullptr, 0, 0, kPassOn},
      {"the option off", false, nullptr, 0, 5, kPassOn},
      {"text entry", true, edit, 0, 5, kPassOn},
      {"text entry with Ctrl down", true, edit, kDown, 5, kConsume},
      {"text entry with Ctrl toggled", true, edit, kToggled, 5, kPassOn}};
  for (const auto& [name, option, focus, ctrl, top, expected] : rows) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DecideKeyHookAction(0, kSpace, kReleased, Situation(option, focus, ctrl, top)), expected);
  }
}

// (name, hook code, key, flags, action) in a situation that consumes a release of the space bar.
TEST(SpaceBarRule, ConsumesOnlyMessagesThatReleaseTheSpaceBar) {
  const std::tuple<const char*, int, HookWParam, HookLParam, KeyHookAction> rows[] = {
      {"the transition bit alone", 0, kSpace, HookLParam{1} << 31, kConsume},
      {"a message only looked at", 3, kSpace, kReleased, kConsume},
      {"a press", 0, kSpace, 0x00000001, kPassOn},
      {"a repeated press", 0, kSpace, 0x40000001, kPassOn},
      {"another key", 0, 0x41, kReleased, kPassOn},
      {"code -1", -1, kSpace, kReleased, kPassOn},
      {"code INT_MIN", INT_MIN, kSpace, kReleased, kPassOn}};
  for (const auto& [name, code, key, flags, expected] : rows) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DecideKeyHookAction(code, key, flags, Situation(true, nullptr, 0, 5)), expected);
  }
}

TEST(SpaceBarRule, TakesEditAndComboBoxClassesInAnyLetterCaseAsTextEntry) {
  const std::pair<const WChar*, bool> rows[] = {
      {CMDPREDICT_WIDE("Edit"), true},        {CMDPREDICT_WIDE("EDIT"), true},
      {CMDPREDICT_WIDE("combobox"), true},    {CMDPREDICT_WIDE("ComboBoxEx32"), true},
      {CMDPREDICT_WIDE("RichEdit20W"), true}, {CMDPREDICT_WIDE("Button"), false},
      {CMDPREDICT_WIDE("ComboBoxEx"), false}, {CMDPREDICT_WIDE("Edi"), false},
      {CMDPREDICT_WIDE("\u0395DIT"), false},  // only ASCII letters fold: a Greek capital epsilon
  };
  for (const auto& [name, textEntry] : rows) {
    SCOPED_TRACE(WideToUtf8Path(name));
    EXPECT_EQ(IsTextEntryClassName(WString(name)), textEntry);
  }
}

TEST(SpaceBarRule, TakesNoFocusWindowAsNotTextEntry) { EXPECT_FALSE(IsTextEntryClassName(std::nullopt)); }

}  // namespace
}  // namespace cmdpredict
