// The host's key-event entry where the system has no keyboard hooks: each key event becomes a
// message of the calling thread's hook chain.
#include <gtest/gtest.h>

#include "cmdpredict/key_events.h"
#include "platform/system_keyboard_hook.h"

namespace cmdpredict {
namespace {

// The last message that the hook received; it consumes the space bar alone.
int g_code;
HookWParam g_key;
HookLParam g_flags;
HookResult RecordMessage(int code, HookWParam key, HookLParam flags) {
  g_code = code, g_key = key, g_flags = flags;
  return key == 0x20 ? 1 : 0;
}

class KeyEvents : public ::testing::Test {
 protected:
  KeyEvents() : m_hook(InstallKeyboardHook(&RecordMessage)) {}
  ~KeyEvents() override { RemoveKeyboardHook(m_hook); }
  KeyboardHookHandle m_hook;
};

TEST_F(KeyEvents, DispatchAPressAsAMessageTakenFromTheQueueWithTheRepeatCountOne) {
  DispatchKeyEvent(0x11, KeyTransition::kPress);
  EXPECT_EQ(g_code, 0);
  EXPECT_EQ(g_key, 0x11U);
  EXPECT_EQ(g_flags, 1);
}

TEST_F(KeyEvents, DispatchAReleaseWithThePreviousStateAndTransitionBitsSet) {
  DispatchKeyEvent(0x11, KeyTransition::kRelease);
  EXPECT_EQ(g_flags, 0xC0000001);
}

TEST_F(KeyEvents, AreConsumedWhenAHookReturnsNonzero) {
  EXPECT_TRUE(DispatchKeyEvent(kVirtualKeySpace, KeyTransition::kPress));
  EXPECT_FALSE(DispatchKeyEvent(0x11, KeyTransition::kPress));
}

}  // namespace
}  // namespace cmdpredict
