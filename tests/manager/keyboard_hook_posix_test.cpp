#include "manager/keyboard_hook.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <tuple>

#include "cmdpredict/keyboard_hook.h"
#include "cmdpredict/prediction_command_manager.h"
#include "platform/unicode.h"

namespace cmdpredict {
namespace {

constexpr HookWParam kSpace = 0x20;
constexpr HookLParam kReleased = static_cast<HookLParam>(0xC0000001U);

// The oldest hook of the thread, installed before the manager's: its result tells the arguments
// that the manager's hook passed on (and is never 0 or 1 for the messages used here).
HookResult NextHookResult(int code, HookWParam wParam, HookLParam lParam) {
  return 2 + code + static_cast<HookResult>(wParam) + lParam;
}

// The manager's hook, when installed, comes ahead of the receiving hook: two hooks in the chain.
class ManagerKeyboardHook : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(KeyboardHookCount(), 0U);
    m_receivingHook = InstallKeyboardHook(&NextHookResult);
    ASSERT_EQ(m_manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10), S_OK);
  }
  void TearDown() override {
    m_manager.RemoveTovrelKeyboardHook();
    RemoveKeyboardHook(m_receivingHook);
    SetFocusClassNameProvider(nullptr);
    SetControlKeyStateProvider(nullptr);
  }
  // True when the manager's hook consumed a release of the space bar.
  static bool ReleaseSpace() { return DispatchKeyboardHookMessage(0, kSpace, kReleased) == 1; }

  CPredictionCommandManager m_manager;
  KeyboardHookHandle m_receivingHook = nullptr;
};

TEST_F(ManagerKeyboardHook, ConsumesOnlyASpaceBarReleaseAndPassesEveryOtherMessageOnUnchanged) {
  m_manager.BeforeCommandRun(5, nullptr, "", 0, 0);
  m_manager.SetAutoStartTopPrediction(true);
  // (code, key, keystroke flags, consumed): bit 31 of the flags marks a release; code 3 a message
  // only looked at.
  const std::tuple<int, HookWParam, HookLParam, bool> cases[] = {
      {0, kSpace, kReleased, true},   {0, kSpace, HookLParam{1} << 31, true}, {3, kSpace, kReleased, true},
      {0, kSpace, 0x00000001, false}, {0, kSpace, 0x40000001, false},         {0, 0x41, kReleased, false},
      {-1, kSpace, kReleased, false}, {INT_MIN, kSpace, kReleased, false}};
  for (const auto& [code, key, flags, consumed] : cases) {
    EXPECT_EQ(DispatchKeyboardHookMessage(code, key, flags), consumed ? 1 : NextHookResult(code, key, flags))
        << code << ", " << key << ", " << std::hex << flags;
  }
}

TEST_F(ManagerKeyboardHook, PassesTheReleaseOnInTextEntryUnlessCtrlIsDown) {
  m_manager.BeforeCommandRun(5, nullptr, "", 0, 0);
  m_manager.SetAutoStartTopPrediction(true);
  // (class name of the focus window, null for none; text entry). Only ASCII letters fold.
  const std::pair<const char16_t*, bool> cases[] = {
      {nullptr, false},        {CMDPREDICT_WIDE("Button"), false},    {CMDPREDICT_WIDE("ComboBoxEx"), false}, {CMDPREDICT_WIDE("Edi"), false},
      {CMDPREDICT_WIDE("\u0395DIT"), false},   {CMDPREDICT_WIDE("Edit"), true},       {CMDPREDICT_WIDE("EDIT"), true},        {CMDPREDICT_WIDE("combobox"), true},
      {CMDPREDICT_WIDE("ComboBoxEx32"), true}, {CMDPREDICT_WIDE("RichEdit20W"), true}};
  for (const auto& [className, textEntry] : cases) {
    const auto focus = className ? std::optional<WString>(className) : std::nullopt;
    SCOPED_TRACE(focus ? WideToUtf8Path(*focus) : "no focus window");
    SetFocusClassNameProvider([focus] { return focus; });
    SetControlKeyStateProvider(nullptr);
    EXPECT_EQ(IsTextEntryFocus(), textEntry);
    EXPECT_EQ(ReleaseSpace(), !textEntry);
    SetControlKeyStateProvider([] { return true; });
    EXPECT_TRUE(ReleaseSpace());
  }
}

TEST_F(ManagerKeyboardHook, IsInstalledOnceForTheFirstManagerFollowsItsOptionAndIsRemovedByAnyManager) {
  m_manager.SetAutoStartTopPrediction(true);
  m_manager.BeforeCommandRun(5, nullptr, "E1", 0, 0);
  EXPECT_FALSE(ReleaseSpace());  // no top prediction in the environment with the empty name
  m_manager.BeforeCommandRun(5, nullptr, "", 0, 0);
  m_manager.SetAutoStartTopPrediction(false);
  m_manager.SetTovrelKeyboardHook();
  EXPECT_FALSE(ReleaseSpace());  // installed directly while the option is off
  m_manager.SetAutoStartTopPrediction(true);
  CPredictionCommandManager second;  // which has no prediction
  second.SetAutoStartTopPrediction(true);
  EXPECT_EQ(KeyboardHookCount(), 2U);
  EXPECT_TRUE(ReleaseSpace());
  m_manager.SetAutoStartTopPrediction(false);
  EXPECT_EQ(KeyboardHookCount(), 1U);
  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_EQ(KeyboardHookCount(), 2U);
  EXPECT_TRUE(ReleaseSpace());
  second.RemoveTovrelKeyboardHook();
  second.RemoveTovrelKeyboardHook();
  EXPECT_EQ(KeyboardHookCount(), 1U);
  EXPECT_FALSE(ReleaseSpace());
}

TEST_F(ManagerKeyboardHook, StaysSilentWhenRefusedAndNeverOutlivesTheManagerItServes) {
  m_manager.BeforeCommandRun(5, nullptr, "", 0, 0);
  auto served = std::make_unique<CPredictionCommandManager>(m_manager);  // with the top prediction
  {
    ScopedKeyboardHookRefusal refusal;
    served->SetAutoStartTopPrediction(true);
  }
  EXPECT_TRUE(served->GetAutoStartTopPrediction());
  EXPECT_FALSE(ReleaseSpace());
  served->SetTovrelKeyboardHook();                    // tries again
  { const CPredictionCommandManager copy(*served); }  // a manager it does not serve
  EXPECT_TRUE(ReleaseSpace());
  served.reset();
  EXPECT_EQ(KeyboardHookCount(), 1U);
  EXPECT_FALSE(ReleaseSpace());  // under AddressSanitizer: no use of the destroyed manager
  {
    CPredictionCommandManager refused;
    ScopedKeyboardHookRefusal refusal;
    refused.SetAutoStartTopPrediction(true);
    ASSERT_EQ(g_hookManager, &refused);  // kept while the installation is tried again
  }
  EXPECT_EQ(g_hookManager, nullptr);
}

}  // namespace
}  // namespace cmdpredict
