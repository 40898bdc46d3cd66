#include "manager/keyboard_hook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cmdpredict/keyboard_hook.h"
#include "cmdpredict/prediction_command_manager.h"

namespace {

using cmdpredict::HookLParam;
using cmdpredict::HookWParam;
using cmdpredict::WString;

constexpr HookWParam kSpace = 0x20;
constexpr HookLParam kReleased = static_cast<HookLParam>(0xC0000001U);
constexpr HookLParam kPressed = 0x00000001;
constexpr std::int16_t kCtrlDown = static_cast<std::int16_t>(0x8000);
constexpr std::int16_t kCtrlUpToggled = 0x0001;  // the low bit is the toggle state, not "down"

WString Wide(const std::string& ascii) { return WString(ascii.begin(), ascii.end()); }

// --- The rule ---------------------------------------------------------------------------------------

// Answers the rule's questions from its fields and counts the questions asked.
class FakeSituation : public KeyHookSituation {
 public:
  bool optionOn = true;
  std::optional<WString> focusClassName;
  std::int16_t controlKeyState = 0;
  int topPrediction = 42;

  mutable int focusQuestions = 0;
  mutable int controlQuestions = 0;
  mutable int predictionQuestions = 0;

  bool AutoStartTopPrediction() const override { return optionOn; }
  std::optional<WString> FocusClassName() const override {
    ++focusQuestions;
    return focusClassName;
  }
  std::int16_t ControlKeyState() const override {
    ++controlQuestions;
    return controlKeyState;
  }
  int TopPrediction() const override {
    ++predictionQuestions;
    return topPrediction;
  }
};

class KeyHookRule : public ::testing::Test {
 protected:
  KeyHookAction Decide(int code, HookWParam wParam, HookLParam lParam) {
    return DecideKeyHookAction(code, wParam, lParam, m_situation);
  }
  KeyHookAction DecideSpaceRelease() { return Decide(0, kSpace, kReleased); }

  FakeSituation m_situation;
};

TEST_F(KeyHookRule, ConsumesASpaceBarReleaseOutsideTextEntryWhenATopPredictionExists) {
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kConsume);
  m_situation.focusClassName = Wide("Button");
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kConsume);
}

TEST_F(KeyHookRule, PassesTheReleaseOnWithoutATopPrediction) {
  m_situation.topPrediction = 0;
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kPassOn);
}

TEST_F(KeyHookRule, TakesAnyNonzeroCommandAsATopPrediction) {
  m_situation.topPrediction = -7;
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kConsume);
}

TEST_F(KeyHookRule, PassesEveryKeyOnWhileTheOptionIsOff) {
  m_situation.optionOn = false;
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kPassOn);
  EXPECT_EQ(m_situation.focusQuestions + m_situation.controlQuestions + m_situation.predictionQuestions, 0);
}

TEST_F(KeyHookRule, PassesOnAPressOfTheSpaceBar) {
  EXPECT_EQ(Decide(0, kSpace, kPressed), KeyHookAction::kPassOn);
  // The previous-state bit alone (an auto-repeated press) is no release either.
  EXPECT_EQ(Decide(0, kSpace, 0x40000001), KeyHookAction::kPassOn);
}

TEST_F(KeyHookRule, ReadsTheReleaseFromBit31Alone) {
  EXPECT_EQ(Decide(0, kSpace, static_cast<HookLParam>(0x80000000U)), KeyHookAction::kConsume);
}

TEST_F(KeyHookRule, PassesOnTheReleaseOfOtherKeys) {
  for (const HookWParam key : {HookWParam{0x0D}, HookWParam{0x11}, HookWParam{0x41}, HookWParam{0x120}}) {
    EXPECT_EQ(Decide(0, key, kReleased), KeyHookAction::kPassOn) << key;
  }
}

TEST_F(KeyHookRule, PassesOnMessagesWithANegativeCode) {
  EXPECT_EQ(Decide(-1, kSpace, kReleased), KeyHookAction::kPassOn);
  EXPECT_EQ(Decide(-2147483647 - 1, kSpace, kReleased), KeyHookAction::kPassOn);
}

TEST_F(KeyHookRule, ActsOnAMessageThatIsOnlyLookedAt) {
  constexpr int kNoRemove = 3;
  EXPECT_EQ(Decide(kNoRemove, kSpace, kReleased), KeyHookAction::kConsume);
}

TEST_F(KeyHookRule, AsksNothingAboutAKeyItDoesNotWatch) {
  Decide(0, 0x41, kReleased);
  Decide(0, kSpace, kPressed);
  Decide(-1, kSpace, kReleased);
  EXPECT_EQ(m_situation.focusQuestions + m_situation.controlQuestions + m_situation.predictionQuestions, 0);
}

TEST_F(KeyHookRule, PassesTheReleaseOnInAnEditControlWithoutCtrl) {
  m_situation.focusClassName = Wide("Edit");
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kPassOn);
  m_situation.controlKeyState = kCtrlUpToggled;
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kPassOn);
  EXPECT_EQ(m_situation.predictionQuestions, 0);
}

TEST_F(KeyHookRule, ConsumesTheReleaseInAnEditControlWithCtrlDown) {
  m_situation.focusClassName = Wide("Edit");
  m_situation.controlKeyState = kCtrlDown;
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kConsume);
  m_situation.controlKeyState = static_cast<std::int16_t>(0xFF81);
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kConsume);
}

TEST_F(KeyHookRule, PassesTheReleaseOnInAnEditControlWithCtrlDownButNoPrediction) {
  m_situation.focusClassName = Wide("Edit");
  m_situation.controlKeyState = kCtrlDown;
  m_situation.topPrediction = 0;
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kPassOn);
}

TEST_F(KeyHookRule, IgnoresCtrlOutsideTextEntry) {
  m_situation.focusClassName = Wide("Button");
  m_situation.controlKeyState = kCtrlDown;
  EXPECT_EQ(DecideSpaceRelease(), KeyHookAction::kConsume);
  EXPECT_EQ(m_situation.controlQuestions, 0);
}

TEST(TextEntryClassName, IsNoneWithoutAFocusWindow) { EXPECT_FALSE(IsTextEntryClassName(std::nullopt)); }

TEST(TextEntryClassName, IncludesTheStandardTextEntryClassesInAnyLetterCase) {
  for (const char* name :
       {"Edit", "EDIT", "edit", "ComboBox", "COMBOBOX", "combobox", "ComboBoxEx32", "comboboxex32"}) {
    EXPECT_TRUE(IsTextEntryClassName(Wide(name))) << name;
  }
}

TEST(TextEntryClassName, IncludesEveryClassWhoseNameContainsEdit) {
  for (const char* name : {"RichEdit20W", "RICHEDIT50W", "TEditor", "MyEditBox", "edit2", "CreditCard"}) {
    EXPECT_TRUE(IsTextEntryClassName(Wide(name))) << name;
  }
}

TEST(TextEntryClassName, ExcludesOtherClasses) {
  for (const char* name :
       {"", "Button", "ComboBoxEx", "ComboLBox", "ListBox", "SysTreeView32", "Edi", "E dit"}) {
    EXPECT_FALSE(IsTextEntryClassName(Wide(name))) << name;
  }
}

TEST(TextEntryClassName, LowerCasesOnlyAsciiLetters) {
  // U+0130 (capital I with dot) is not lower-cased to "i" and U+0395 (Greek capital epsilon) not to "e".
  EXPECT_FALSE(IsTextEntryClassName(WString(u"ED\u0130T")));
  EXPECT_FALSE(IsTextEntryClassName(WString(u"\u0395dit")));
}

// --- The hook of a manager, driven through the stand-in ---------------------------------------------

// The oldest hook of the thread, installed before the manager's: it counts what the manager's hook
// passes on, with the arguments it passes.
struct PassedOnMessage {
  int code;
  HookWParam wParam;
  HookLParam lParam;
};
std::vector<PassedOnMessage> g_passedOn;

cmdpredict::HookResult ReceivingHook(int code, HookWParam wParam, HookLParam lParam) {
  g_passedOn.push_back({code, wParam, lParam});
  return 0;
}

class ManagerKeyboardHook : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(cmdpredict::KeyboardHookCount(), 0U);
    g_passedOn.clear();
    m_receivingHook = cmdpredict::InstallKeyboardHook(&ReceivingHook);
    ASSERT_EQ(m_manager.Initialize(u"", nullptr, 1, 10), S_OK);
  }
  void TearDown() override {
    m_manager.RemoveTovrelKeyboardHook();
    cmdpredict::RemoveKeyboardHook(m_receivingHook);
    cmdpredict::SetFocusClassNameProvider(nullptr);
    cmdpredict::SetControlKeyStateProvider(nullptr);
  }

  // Two commands in the environment with the empty name give it a top prediction.
  static void GiveTopPrediction(CPredictionCommandManager& manager) {
    manager.BeforeCommandRun(5, nullptr, "", 0, 0);
    manager.BeforeCommandRun(6, nullptr, "", 0, 0);
    ASSERT_NE(manager.GetPredictionCommandID(u"", 0), 0);
  }

  static void FocusOn(const char* className) {
    const WString name = Wide(className);
    cmdpredict::SetFocusClassNameProvider([name] { return std::optional<WString>(name); });
  }

  static void HoldCtrl() {
    cmdpredict::SetControlKeyStateProvider([] { return true; });
  }

  static bool ReleaseSpace() {
    return cmdpredict::DispatchKeyEvent(cmdpredict::kVirtualKeySpace, cmdpredict::KeyTransition::kRelease);
  }

  // The manager's hook is in the chain, ahead of the receiving hook.
  static std::size_t ManagerHooks() { return cmdpredict::KeyboardHookCount() - 1; }

  CPredictionCommandManager m_manager;
  cmdpredict::KeyboardHookHandle m_receivingHook = nullptr;
};

TEST_F(ManagerKeyboardHook, ConsumesASpaceBarReleaseOutsideTextEntryWhenATopPredictionExists) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  FocusOn("Button");
  EXPECT_TRUE(ReleaseSpace());
  EXPECT_TRUE(g_passedOn.empty());
}

TEST_F(ManagerKeyboardHook, ConsumesTheReleaseWhenNoWindowHasTheFocus) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_TRUE(ReleaseSpace());
}

TEST_F(ManagerKeyboardHook, PassesTheReleaseOnUnchangedWhenTheEnvironmentHasNoList) {
  m_manager.SetAutoStartTopPrediction(true);
  ASSERT_EQ(m_manager.GetPredictionCommandID(u"", 0), 0);
  EXPECT_FALSE(ReleaseSpace());
  ASSERT_EQ(g_passedOn.size(), 1U);
  EXPECT_EQ(g_passedOn[0].code, 0);
  EXPECT_EQ(g_passedOn[0].wParam, 0x20U);
  EXPECT_EQ(g_passedOn[0].lParam, static_cast<HookLParam>(0xC0000001U));
}

TEST_F(ManagerKeyboardHook, PassesTheReleaseOnWhenTheTopPositionHoldsNoCommand) {
  m_manager.BeforeCommandRun(5, nullptr, "", 0, 0);
  ASSERT_EQ(m_manager.GetPredictionCommandID(u"", 0), 5);
  // Taking the only command back out of the model and the list empties the top position.
  m_manager.RemoveTrainingSequenceCommand(u"");
  m_manager.RemoveCommandFromCommandsUsedForPrediction(u"", 5);
  std::vector<PredictionCommandManagerPredictionData> predictions;
  m_manager.GetPredictionCommandIDs("", predictions);
  ASSERT_FALSE(predictions.empty());
  ASSERT_EQ(predictions[0].commandId, 0);

  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_FALSE(ReleaseSpace());
  EXPECT_EQ(g_passedOn.size(), 1U);
}

TEST_F(ManagerKeyboardHook, ReadsOnlyTheEnvironmentWithTheEmptyName) {
  m_manager.BeforeCommandRun(5, nullptr, "E1", 0, 0);
  m_manager.BeforeCommandRun(6, nullptr, "E1", 0, 0);
  ASSERT_NE(m_manager.GetPredictionCommandID(u"E1", 0), 0);
  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_FALSE(ReleaseSpace());
}

TEST_F(ManagerKeyboardHook, PassesTheReleaseOnInAnEditControlWithoutCtrl) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  FocusOn("Edit");
  EXPECT_FALSE(ReleaseSpace());
  EXPECT_EQ(g_passedOn.size(), 1U);
}

TEST_F(ManagerKeyboardHook, ConsumesTheReleaseInAnEditControlWithCtrlDown) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  FocusOn("Edit");
  HoldCtrl();
  EXPECT_TRUE(ReleaseSpace());
  EXPECT_TRUE(g_passedOn.empty());
}

TEST_F(ManagerKeyboardHook, TreatsRichEditAndExtendedComboBoxesAsTextEntry) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  FocusOn("RichEdit20W");
  EXPECT_FALSE(ReleaseSpace());
  FocusOn("ComboBoxEx32");
  EXPECT_FALSE(ReleaseSpace());
  EXPECT_EQ(g_passedOn.size(), 2U);
}

TEST_F(ManagerKeyboardHook, PassesOnPressesOtherKeysAndNegativeCodes) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_FALSE(cmdpredict::DispatchKeyEvent(cmdpredict::kVirtualKeySpace, cmdpredict::KeyTransition::kPress));
  EXPECT_FALSE(cmdpredict::DispatchKeyEvent(0x41, cmdpredict::KeyTransition::kRelease));
  EXPECT_EQ(cmdpredict::DispatchKeyboardHookMessage(-1, 0x20, kReleased), 0);
  ASSERT_EQ(g_passedOn.size(), 3U);
  EXPECT_EQ(g_passedOn[1].wParam, 0x41U);
  EXPECT_EQ(g_passedOn[2].code, -1);
}

TEST_F(ManagerKeyboardHook, InstallsOneHookForTwoInstallations) {
  m_manager.SetTovrelKeyboardHook();
  const cmdpredict::KeyboardHookHandle first = g_keyboardHook;
  m_manager.SetTovrelKeyboardHook();
  EXPECT_EQ(g_keyboardHook, first);
  EXPECT_EQ(ManagerHooks(), 1U);
}

TEST_F(ManagerKeyboardHook, InstallsOneHookWhenTheOptionIsTurnedOnTwice) {
  m_manager.SetAutoStartTopPrediction(true);
  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_EQ(ManagerHooks(), 1U);
  EXPECT_EQ(g_hookManager, &m_manager);
}

TEST_F(ManagerKeyboardHook, KeepsServingTheFirstManagerWhenASecondOneInstalls) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  CPredictionCommandManager second;
  second.Initialize(u"", nullptr, 1, 10);
  second.SetAutoStartTopPrediction(true);
  EXPECT_EQ(g_hookManager, &m_manager);
  EXPECT_EQ(ManagerHooks(), 1U);
  EXPECT_TRUE(ReleaseSpace());  // the second manager has no prediction; the first one has
}

TEST_F(ManagerKeyboardHook, IsRemovedByASecondManager) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  CPredictionCommandManager second;
  second.RemoveTovrelKeyboardHook();
  EXPECT_EQ(ManagerHooks(), 0U);
  EXPECT_EQ(g_keyboardHook, nullptr);
  EXPECT_EQ(g_hookManager, nullptr);
  EXPECT_FALSE(ReleaseSpace());
  EXPECT_TRUE(m_manager.GetAutoStartTopPrediction());
}

TEST_F(ManagerKeyboardHook, RemovesNothingWhenNoHookIsInstalled) {
  m_manager.RemoveTovrelKeyboardHook();
  EXPECT_EQ(cmdpredict::KeyboardHookCount(), 1U);  // the receiving hook stays
  EXPECT_EQ(g_keyboardHook, nullptr);
}

TEST_F(ManagerKeyboardHook, IsRemovedAndInstalledAnewWhenTheOptionIsTurnedOffAndOnAgain) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  const cmdpredict::KeyboardHookHandle first = g_keyboardHook;
  m_manager.SetAutoStartTopPrediction(false);
  EXPECT_EQ(ManagerHooks(), 0U);
  EXPECT_EQ(g_keyboardHook, nullptr);
  EXPECT_FALSE(ReleaseSpace());

  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_EQ(ManagerHooks(), 1U);
  EXPECT_NE(g_keyboardHook, nullptr);
  EXPECT_NE(g_keyboardHook, first);
  EXPECT_TRUE(ReleaseSpace());
}

TEST_F(ManagerKeyboardHook, InstalledDirectlyWhileTheOptionIsOffPassesEveryKeyUntilItIsTurnedOn) {
  GiveTopPrediction(m_manager);
  m_manager.SetTovrelKeyboardHook();
  EXPECT_FALSE(ReleaseSpace());
  EXPECT_EQ(g_passedOn.size(), 1U);

  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_EQ(ManagerHooks(), 1U);
  EXPECT_TRUE(ReleaseSpace());
}

TEST_F(ManagerKeyboardHook, StaysSilentWhenTheInstallationFailsAndTriesAgainLater) {
  GiveTopPrediction(m_manager);
  {
    cmdpredict::ScopedKeyboardHookRefusal refusal;
    m_manager.SetAutoStartTopPrediction(true);
  }
  EXPECT_TRUE(m_manager.GetAutoStartTopPrediction());
  EXPECT_EQ(g_keyboardHook, nullptr);
  EXPECT_EQ(g_hookManager, &m_manager);
  EXPECT_FALSE(ReleaseSpace());

  m_manager.SetTovrelKeyboardHook();
  EXPECT_EQ(ManagerHooks(), 1U);
  EXPECT_TRUE(ReleaseSpace());
}

TEST_F(ManagerKeyboardHook, LeavesNoHookCallingADestroyedManager) {
  auto served = std::make_unique<CPredictionCommandManager>();
  served->Initialize(u"", nullptr, 1, 10);
  GiveTopPrediction(*served);
  served->SetAutoStartTopPrediction(true);
  ASSERT_TRUE(ReleaseSpace());

  served.reset();
  EXPECT_EQ(ManagerHooks(), 0U);
  EXPECT_EQ(g_keyboardHook, nullptr);
  EXPECT_EQ(g_hookManager, nullptr);
  EXPECT_FALSE(ReleaseSpace());  // under AddressSanitizer: no use of the destroyed manager
}

TEST_F(ManagerKeyboardHook, LetsAnotherManagerInstallAfterTheServedOneIsDestroyed) {
  {
    CPredictionCommandManager served;
    served.SetAutoStartTopPrediction(true);
  }
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_EQ(g_hookManager, &m_manager);
  EXPECT_TRUE(ReleaseSpace());
}

TEST_F(ManagerKeyboardHook, ForgetsADestroyedManagerWhoseInstallationFailed) {
  {
    CPredictionCommandManager served;
    cmdpredict::ScopedKeyboardHookRefusal refusal;
    served.SetAutoStartTopPrediction(true);
    ASSERT_EQ(g_hookManager, &served);
  }
  EXPECT_EQ(g_hookManager, nullptr);
}

TEST_F(ManagerKeyboardHook, KeepsTheHookWhenAManagerItDoesNotServeIsDestroyed) {
  GiveTopPrediction(m_manager);
  m_manager.SetAutoStartTopPrediction(true);
  {
    CPredictionCommandManager copy(m_manager);
    EXPECT_TRUE(copy.GetAutoStartTopPrediction());
  }
  EXPECT_EQ(g_hookManager, &m_manager);
  EXPECT_EQ(ManagerHooks(), 1U);
  EXPECT_TRUE(ReleaseSpace());
}

TEST_F(ManagerKeyboardHook, FindsTheFocusInTextEntryThroughTheHostsProvider) {
  EXPECT_FALSE(IsTextEntryFocus());
  FocusOn("RichEdit20W");
  EXPECT_TRUE(IsTextEntryFocus());
  FocusOn("Button");
  EXPECT_FALSE(IsTextEntryFocus());
}

}  // namespace
