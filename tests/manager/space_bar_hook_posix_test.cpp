// The manager's space-bar hook on the stand-in's hook chain: what it asks the served manager and the
// host's providers, and when it is installed and removed.
#include <gtest/gtest.h>

#include "cmdpredict/key_events.h"
#include "cmdpredict/prediction_command_manager.h"
#include "manager/space_bar_hook.h"

namespace cmdpredict {
namespace {

// The hook installed before the manager's: its result tells the arguments that it was passed.
HookResult NextHookResult(int code, HookWParam wParam, HookLParam lParam) {
  return 2 + code + static_cast<HookResult>(wParam) + lParam;
}

const WChar* const kEdit = CMDPREDICT_WIDE("Edit");

class SpaceBarHook : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(KeyboardHookCount(), 0U);
    m_nextHook = InstallKeyboardHook(&NextHookResult);
    ASSERT_EQ(m_manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10), S_OK);
    m_manager.BeforeCommandRun(5, nullptr, "", 0, 0);  // the top prediction of the empty environment
  }
  void TearDown() override {
    m_manager.RemoveTovrelKeyboardHook();
    RemoveKeyboardHook(m_nextHook);
    SetFocusClassNameProvider(nullptr);
    SetControlKeyStateProvider(nullptr);
  }
  // True when the manager's hook consumed a release of the space bar.
  static bool ReleaseSpaceConsumed() { return DispatchKeyboardHookMessage(0, 0x20, 0xC0000001) == 1; }

  CPredictionCommandManager m_manager;
  KeyboardHookHandle m_nextHook = nullptr;
};

TEST_F(SpaceBarHook, ConsumesASpaceBarReleaseWhenTheServedManagerHasATopPrediction) {
  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_TRUE(ReleaseSpaceConsumed());
}

TEST_F(SpaceBarHook, AsksForTheTopPredictionOfTheEnvironmentWithTheEmptyName) {
  CPredictionCommandManager manager;
  ASSERT_EQ(manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10), S_OK);
  manager.BeforeCommandRun(5, nullptr, "E1", 0, 0);
  manager.SetAutoStartTopPrediction(true);
  EXPECT_FALSE(ReleaseSpaceConsumed());
}

TEST_F(SpaceBarHook, PassesAMessageItDoesNotConsumeOnUnchanged) {
  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_EQ(DispatchKeyboardHookMessage(3, 0x41, 0x40000001), NextHookResult(3, 0x41, 0x40000001));
}

TEST_F(SpaceBarHook, PassesTheReleaseOnWhenTheHostReportsTextEntry) {
  m_manager.SetAutoStartTopPrediction(true);
  SetFocusClassNameProvider([] { return WString(kEdit); });
  EXPECT_FALSE(ReleaseSpaceConsumed());
}

TEST_F(SpaceBarHook, ConsumesTheReleaseInTextEntryWhenTheHostReportsCtrlDown) {
  m_manager.SetAutoStartTopPrediction(true);
  SetFocusClassNameProvider([] { return WString(kEdit); });
  SetControlKeyStateProvider([] { return true; });
  EXPECT_TRUE(ReleaseSpaceConsumed());
}

TEST_F(SpaceBarHook, InstalledDirectlyPassesEveryKeyOnWhileTheOptionIsOff) {
  m_manager.SetTovrelKeyboardHook();
  EXPECT_EQ(KeyboardHookCount(), 2U);
  EXPECT_FALSE(ReleaseSpaceConsumed());
}

TEST_F(SpaceBarHook, KeepsServingTheFirstManagerWhenASecondTurnsTheOptionOn) {
  m_manager.SetAutoStartTopPrediction(true);
  CPredictionCommandManager second;  // which has no prediction
  second.SetAutoStartTopPrediction(true);
  EXPECT_EQ(KeyboardHookCount(), 2U);
  EXPECT_TRUE(ReleaseSpaceConsumed());
}

TEST_F(SpaceBarHook, IsRemovedWithTheOptionAndInstalledAnewWhenItIsTurnedOnAgain) {
  m_manager.SetAutoStartTopPrediction(true);
  m_manager.SetAutoStartTopPrediction(false);
  EXPECT_EQ(KeyboardHookCount(), 1U);
  m_manager.SetAutoStartTopPrediction(true);
  EXPECT_TRUE(ReleaseSpaceConsumed());
}

TEST_F(SpaceBarHook, IsRemovedByAManagerItDoesNotServe) {
  m_manager.SetAutoStartTopPrediction(true);
  CPredictionCommandManager second;
  second.RemoveTovrelKeyboardHook();
  second.RemoveTovrelKeyboardHook();  // with no hook: nothing happens
  EXPECT_EQ(KeyboardHookCount(), 1U);
}

TEST_F(SpaceBarHook, IsRefusedSilentlyAndTriedAgainByTheNextInstallation) {
  {
    ScopedKeyboardHookRefusal refusal;
    m_manager.SetAutoStartTopPrediction(true);
  }
  EXPECT_TRUE(m_manager.GetAutoStartTopPrediction());
  EXPECT_FALSE(ReleaseSpaceConsumed());
  m_manager.SetTovrelKeyboardHook();
  EXPECT_TRUE(ReleaseSpaceConsumed());
}

TEST_F(SpaceBarHook, IsRemovedWithTheManagerItServes) {
  { CPredictionCommandManager().SetAutoStartTopPrediction(true); }
  EXPECT_EQ(KeyboardHookCount(), 1U);
}

TEST_F(SpaceBarHook, OutlivesAManagerItDoesNotServe) {
  m_manager.SetAutoStartTopPrediction(true);
  { const CPredictionCommandManager copy(m_manager); }
  EXPECT_TRUE(ReleaseSpaceConsumed());
}

TEST_F(SpaceBarHook, ForgetsADestroyedManagerWhoseInstallationWasRefused) {
  {
    CPredictionCommandManager refused;
    const ScopedKeyboardHookRefusal refusal;
    refused.SetAutoStartTopPrediction(true);
    ASSERT_EQ(g_hookManager, &refused);  // kept while the installation is tried again
  }
  EXPECT_EQ(g_hookManager, nullptr);
}

}  // namespace
}  // namespace cmdpredict
