// The space-bar accelerator's rule, free of any platform service, on every platform.
#include "manager/space_bar_rule.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/unicode.h"

namespace cmdpredict {
namespace {

constexpr HookWParam kSpace = 0x20;
constexpr HookLParam kReleased = static_cast<HookLParam>(0xC0000001U);  // repeat 1, was down, released

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

TEST(SpaceBarRule, ConsumesASpaceBarReleaseOnlyWhenTheHostCouldStartTheTopPrediction) {
  const WChar* const edit = CMDPREDICT_WIDE("Edit");
  constexpr std::int16_t kDown = INT16_MIN, kToggled = 1;  // only the high bit means down
  const struct {
    const char* name;
    bool option;
    const WChar* focus;
    std::int16_t ctrl;
    int top;
    KeyHookAction expected;
  } rows[] = {
      {"a top prediction", true, nullptr, 0, 5, KeyHookAction::kConsume},
      {"no top prediction", true, nullptr, 0, 0, KeyHookAction::kPassOn},
      {"the option off", false, nullptr, 0, 5, KeyHookAction::kPassOn},
      {"text entry", true, edit, 0, 5, KeyHookAction::kPassOn},
      {"text entry with Ctrl down", true, edit, kDown, 5, KeyHookAction::kConsume},
      {"text entry with Ctrl toggled", true, edit, kToggled, 5, KeyHookAction::kPassOn},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const Situation situation(row.option, row.focus, row.ctrl, row.top);
    EXPECT_EQ(DecideKeyHookAction(0, kSpace, kReleased, situation), row.expected);
  }
}

TEST(SpaceBarRule, ConsumesOnlyMessagesThatReleaseTheSpaceBar) {
  const Situation consuming(true, nullptr, 0, 5);
  const struct {
    const char* name;
    int code;
    HookWParam key;
    HookLParam flags;
    KeyHookAction expected;
  } rows[] = {
      {"the transition bit alone", 0, kSpace, HookLParam{1} << 31, KeyHookAction::kConsume},
      {"a message only looked at", 3, kSpace, kReleased, KeyHookAction::kConsume},
      {"a press", 0, kSpace, 0x00000001, KeyHookAction::kPassOn},
      {"a repeated press", 0, kSpace, 0x40000001, KeyHookAction::kPassOn},
      {"another key", 0, 0x41, kReleased, KeyHookAction::kPassOn},
      {"code -1", -1, kSpace, kReleased, KeyHookAction::kPassOn},
      {"code INT_MIN", INT_MIN, kSpace, kReleased, KeyHookAction::kPassOn},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DecideKeyHookAction(row.code, row.key, row.flags, consuming), row.expected);
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
