// The stand-in for the system's keyboard hooks: a chain per thread, newest hook first.
#include <gtest/gtest.h>

#include <future>
#include <vector>

#include "platform/system_keyboard_hook.h"

namespace cmdpredict {
namespace {

// Each call that a hook received: the hook's number, the code, the key and the keystroke flags.
using Calls = std::vector<std::vector<HookLParam>>;
Calls g_calls;
KeyboardHookHandle g_handles[3];
HookResult g_results[3];

// Returns its preset result, or passes the message on for 0; removes itself first for a negative one.
template <int Id>
HookResult Hook(int code, HookWParam key, HookLParam flags) {
  g_calls.push_back({Id, code, static_cast<HookLParam>(key), flags});
  if (g_results[Id] < 0) RemoveKeyboardHook(g_handles[Id]);
  return g_results[Id] != 0 ? g_results[Id] : CallNextKeyboardHook(g_handles[Id], code, key, flags);
}

// The hooks 0, 1 and 2, installed in this order, all passing every message on.
class StandInKeyboardHookChain : public ::testing::Test {
 protected:
  StandInKeyboardHookChain() {
    g_calls.clear();
    g_handles[0] = InstallKeyboardHook(&Hook<0>);
    g_handles[1] = InstallKeyboardHook(&Hook<1>);
    g_handles[2] = InstallKeyboardHook(&Hook<2>);
    g_results[0] = g_results[1] = g_results[2] = 0;
  }
  ~StandInKeyboardHookChain() override {
    for (KeyboardHookHandle handle : g_handles) RemoveKeyboardHook(handle);
  }
};

TEST_F(StandInKeyboardHookChain, HandsAMessageToTheNewestHookFirstAndOnUnchanged) {
  EXPECT_EQ(DispatchKeyboardHookMessage(3, 0x41, 0x1234), 0);
  EXPECT_EQ(g_calls, (Calls{{2, 3, 0x41, 0x1234}, {1, 3, 0x41, 0x1234}, {0, 3, 0x41, 0x1234}}));
}

TEST_F(StandInKeyboardHookChain, RemovesAHookOnce) {
  EXPECT_TRUE(RemoveKeyboardHook(g_handles[1]));
  EXPECT_FALSE(RemoveKeyboardHook(g_handles[1]));
}

TEST_F(StandInKeyboardHookChain, LetsAHookRemoveItselfWhileItRuns) {
  g_results[2] = -1;
  EXPECT_EQ(DispatchKeyboardHookMessage(0, 0x20, 0), -1);
  EXPECT_EQ(KeyboardHookCount(), 2U);
}

TEST_F(StandInKeyboardHookChain, BelongsToTheThreadThatInstalledIt) {
  g_results[2] = 1;  // consumes whatever reaches it
  EXPECT_FALSE(std::async(std::launch::async, [] {
                 return DispatchKeyboardHookMessage(0, 0x20, 0) != 0 || RemoveKeyboardHook(g_handles[0]);
               }).get());
}

TEST(StandInKeyboardHook, RefusesANullProcedure) { EXPECT_EQ(InstallKeyboardHook(nullptr), nullptr); }

TEST(StandInKeyboardHook, RefusesEveryInstallationWhileARefusalLives) {
  {
    ScopedKeyboardHookRefusal refusal;
    EXPECT_EQ(InstallKeyboardHook(&Hook<0>), nullptr);
  }
  EXPECT_TRUE(RemoveKeyboardHook(InstallKeyboardHook(&Hook<0>)));
}

}  // namespace
}  // namespace cmdpredict
