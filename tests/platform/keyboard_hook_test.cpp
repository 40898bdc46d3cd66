#include "platform/keyboard_hook.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "cmdpredict/keyboard_hook.h"

namespace cmdpredict {
namespace {

// One call of a hook procedure, as the procedure received it.
struct HookCall {
  int hook;
  int code;
  HookWParam wParam;
  HookLParam lParam;
};

bool operator==(const HookCall& a, const HookCall& b) {
  return a.hook == b.hook && a.code == b.code && a.wParam == b.wParam && a.lParam == b.lParam;
}

std::vector<HookCall> g_calls;
KeyboardHookHandle g_handles[3] = {};
HookResult g_results[3] = {};

// Hook number Id records the call, and either returns its preset result or, for 0, passes the
// message on.
template <int Id>
HookResult RecordingHook(int code, HookWParam wParam, HookLParam lParam) {
  g_calls.push_back({Id, code, wParam, lParam});
  if (g_results[Id] != 0) return g_results[Id];
  return CallNextKeyboardHook(g_handles[Id], code, wParam, lParam);
}

HookResult RemovingItselfHook(int /*code*/, HookWParam /*wParam*/, HookLParam /*lParam*/) {
  RemoveKeyboardHook(g_handles[0]);
  return 7;
}

class StandInKeyboardHook : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    for (int i = 0; i < 3; ++i) {
      g_handles[i] = nullptr;
      g_results[i] = 0;
    }
  }
  void TearDown() override {
    for (KeyboardHookHandle handle : g_handles) RemoveKeyboardHook(handle);
    SetFocusClassNameProvider(nullptr);
    SetControlKeyStateProvider(nullptr);
  }
};

TEST_F(StandInKeyboardHook, ReportsAKeyEventWithoutHooksAsNotConsumed) {
  EXPECT_EQ(KeyboardHookCount(), 0U);
  EXPECT_FALSE(DispatchKeyEvent(kVirtualKeySpace, KeyTransition::kRelease));
  EXPECT_EQ(DispatchKeyboardHookMessage(0, 0x20, 1), 0);
}

TEST_F(StandInKeyboardHook, CallsTheNewestHookFirstAndPassesTheMessageDownTheChain) {
  g_handles[0] = InstallKeyboardHook(&RecordingHook<0>);
  g_handles[1] = InstallKeyboardHook(&RecordingHook<1>);
  ASSERT_NE(g_handles[0], nullptr);
  ASSERT_NE(g_handles[1], nullptr);
  EXPECT_NE(g_handles[0], g_handles[1]);
  EXPECT_EQ(KeyboardHookCount(), 2U);

  EXPECT_EQ(DispatchKeyboardHookMessage(3, 0x41, 0x1234), 0);
  EXPECT_EQ(g_calls, (std::vector<HookCall>{{1, 3, 0x41, 0x1234}, {0, 3, 0x41, 0x1234}}));
}

TEST_F(StandInKeyboardHook, StopsAtAHookThatConsumesTheMessage) {
  g_handles[0] = InstallKeyboardHook(&RecordingHook<0>);
  g_handles[1] = InstallKeyboardHook(&RecordingHook<1>);
  g_results[1] = 1;

  EXPECT_TRUE(DispatchKeyEvent(0x41, KeyTransition::kPress));
  ASSERT_EQ(g_calls.size(), 1U);
  EXPECT_EQ(g_calls[0].hook, 1);
}

TEST_F(StandInKeyboardHook, DescribesAPressAndAReleaseWithTheKeystrokeFlagsOfTheSystem) {
  g_handles[0] = InstallKeyboardHook(&RecordingHook<0>);
  DispatchKeyEvent(kVirtualKeySpace, KeyTransition::kPress);
  DispatchKeyEvent(0x11, KeyTransition::kRelease);
  // Repeat count 1; a release also has the previous-state bit 30 and the transition bit 31.
  EXPECT_EQ(g_calls, (std::vector<HookCall>{{0, 0, 0x20, 0x00000001}, {0, 0, 0x11, 0xC0000001}}));
}

TEST_F(StandInKeyboardHook, RemovesAHookOnce) {
  g_handles[0] = InstallKeyboardHook(&RecordingHook<0>);
  EXPECT_TRUE(RemoveKeyboardHook(g_handles[0]));
  EXPECT_FALSE(RemoveKeyboardHook(g_handles[0]));
  EXPECT_FALSE(RemoveKeyboardHook(nullptr));
  EXPECT_EQ(KeyboardHookCount(), 0U);
  EXPECT_FALSE(DispatchKeyEvent(0x20, KeyTransition::kRelease));
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(StandInKeyboardHook, KeepsTheOrderOfTheOtherHooksWhenOneIsRemoved) {
  g_handles[0] = InstallKeyboardHook(&RecordingHook<0>);
  g_handles[1] = InstallKeyboardHook(&RecordingHook<1>);
  g_handles[2] = InstallKeyboardHook(&RecordingHook<2>);
  RemoveKeyboardHook(g_handles[1]);
  DispatchKeyEvent(0x20, KeyTransition::kRelease);
  ASSERT_EQ(g_calls.size(), 2U);
  EXPECT_EQ(g_calls[0].hook, 2);
  EXPECT_EQ(g_calls[1].hook, 0);
}

TEST_F(StandInKeyboardHook, PassesNothingOnFromAHookThatIsNotInstalled) {
  g_handles[0] = InstallKeyboardHook(&RecordingHook<0>);
  EXPECT_EQ(CallNextKeyboardHook(nullptr, 0, 0x20, 0), 0);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(StandInKeyboardHook, SurvivesAHookThatRemovesItselfWhileItRuns) {
  g_handles[0] = InstallKeyboardHook(&RemovingItselfHook);
  EXPECT_EQ(DispatchKeyboardHookMessage(0, 0x20, 0), 7);
  EXPECT_EQ(KeyboardHookCount(), 0U);
}

TEST_F(StandInKeyboardHook, RefusesANullProcedure) {
  EXPECT_EQ(InstallKeyboardHook(nullptr), nullptr);
  EXPECT_EQ(KeyboardHookCount(), 0U);
}

TEST_F(StandInKeyboardHook, RefusesEveryInstallationWhileARefusalLives) {
  {
    ScopedKeyboardHookRefusal refusal;
    EXPECT_EQ(InstallKeyboardHook(&RecordingHook<0>), nullptr);
    EXPECT_EQ(KeyboardHookCount(), 0U);
  }
  g_handles[0] = InstallKeyboardHook(&RecordingHook<0>);
  EXPECT_NE(g_handles[0], nullptr);
}

TEST_F(StandInKeyboardHook, SeesOnlyTheKeyEventsOfTheThreadThatInstalledIt) {
  g_handles[0] = InstallKeyboardHook(&RecordingHook<0>);
  g_results[0] = 1;
  bool consumedElsewhere = true;
  std::size_t hooksElsewhere = 1;
  std::thread other([&] {
    consumedElsewhere = DispatchKeyEvent(0x20, KeyTransition::kRelease);
    hooksElsewhere = KeyboardHookCount();
  });
  other.join();
  EXPECT_FALSE(consumedElsewhere);
  EXPECT_EQ(hooksElsewhere, 0U);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_TRUE(DispatchKeyEvent(0x20, KeyTransition::kRelease));
}

TEST_F(StandInKeyboardHook, CannotRemoveAHookFromAnotherThread) {
  g_handles[0] = InstallKeyboardHook(&RecordingHook<0>);
  bool removedElsewhere = true;
  std::thread other([&] { removedElsewhere = RemoveKeyboardHook(g_handles[0]); });
  other.join();
  EXPECT_FALSE(removedElsewhere);
  EXPECT_EQ(KeyboardHookCount(), 1U);
}

class StandInProviders : public ::testing::Test {
 protected:
  void TearDown() override {
    SetFocusClassNameProvider(nullptr);
    SetControlKeyStateProvider(nullptr);
  }
};

TEST_F(StandInProviders, ReportNoFocusWindowAndCtrlUpByDefault) {
  EXPECT_EQ(FocusWindowClassName(), std::nullopt);
  EXPECT_EQ(ControlKeyState(), 0);
}

TEST_F(StandInProviders, AnswerWhatTheHostSays) {
  SetFocusClassNameProvider([] { return std::optional<WString>(u"RichEdit20W"); });
  SetControlKeyStateProvider([] { return true; });
  EXPECT_EQ(FocusWindowClassName(), WString(u"RichEdit20W"));
  EXPECT_EQ(static_cast<std::uint16_t>(ControlKeyState()), 0x8000U);
}

TEST_F(StandInProviders, ReturnToTheDefaultsWhenGivenAnEmptyFunction) {
  SetFocusClassNameProvider([] { return std::optional<WString>(u"Edit"); });
  SetControlKeyStateProvider([] { return true; });
  SetFocusClassNameProvider(nullptr);
  SetControlKeyStateProvider(nullptr);
  EXPECT_EQ(FocusWindowClassName(), std::nullopt);
  EXPECT_EQ(ControlKeyState(), 0);
}

TEST_F(StandInProviders, ReadAClassNameAsTheSystemsBufferHoldsIt) {
  const WString longName(600, u'x');
  SetFocusClassNameProvider([&] { return std::optional<WString>(longName); });
  EXPECT_EQ(FocusWindowClassName(), WString(511, u'x'));

  SetFocusClassNameProvider([] { return std::optional<WString>(WString(u"Button\0Edit", 11)); });
  EXPECT_EQ(FocusWindowClassName(), WString(u"Button"));

  SetFocusClassNameProvider([] { return std::optional<WString>(u""); });
  EXPECT_EQ(FocusWindowClassName(), WString());
}

TEST(ClassNamesEqualIgnoringCase, FoldsTheCaseOfAsciiLetters) {
  EXPECT_TRUE(ClassNamesEqualIgnoringCase(u"EDIT", u"edit"));
  EXPECT_TRUE(ClassNamesEqualIgnoringCase(u"comboboxex32", u"ComboBoxEx32"));
  EXPECT_FALSE(ClassNamesEqualIgnoringCase(u"ComboBoxEx", u"ComboBoxEx32"));
  EXPECT_FALSE(ClassNamesEqualIgnoringCase(u"Edit", u"Edi"));
  EXPECT_FALSE(ClassNamesEqualIgnoringCase(u"", u"edit"));
  EXPECT_TRUE(ClassNamesEqualIgnoringCase(u"", u""));
}

TEST(ClassNamesEqualIgnoringCase, ComparesOtherCharactersAsTheyAre) {
  EXPECT_FALSE(ClassNamesEqualIgnoringCase(u"\u00C9dit", u"\u00E9dit"));
  EXPECT_FALSE(ClassNamesEqualIgnoringCase(u"Edit[", u"Edit{"));  // '[' and '{' differ by 0x20 too
  EXPECT_FALSE(ClassNamesEqualIgnoringCase(u"@", u"`"));
}

}  // namespace
}  // namespace cmdpredict
