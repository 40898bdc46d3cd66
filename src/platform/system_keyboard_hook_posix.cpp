// The in-process stand-in for the system's keyboard hooks: one hook chain per thread, newest hook
// first, and the system's comparison of class names. The host feeds the chain through
// DispatchKeyEvent (key_events_posix.cpp).
#include <algorithm>
#include <atomic>
#include <string_view>
#include <vector>

#include "platform/system_keyboard_hook.h"

namespace cmdpredict {
namespace {

struct InstalledHook {
  KeyboardHookHandle handle;
  KeyboardHookProcedure procedure;
};

using HookChain = std::vector<InstalledHook>;

// Newest hook first, the order in which a key message visits them.
HookChain& ThreadHookChain() {
  thread_local HookChain chain;
  return chain;
}

HookChain::const_iterator FindHook(const HookChain& chain, KeyboardHookHandle hook) {
  return std::find_if(chain.begin(), chain.end(),
                      [hook](const InstalledHook& entry) { return entry.handle == hook; });
}

// Handles are unique across threads and never reused, so a stale handle matches no hook.
KeyboardHookHandle NewHookHandle() {
  static std::atomic<std::uintptr_t> lastHandle{0};
  return reinterpret_cast<KeyboardHookHandle>(++lastHandle);
}

#if defined(CMDPREDICT_KEYBOARD_TEST_CONTROLS)
int g_refusals = 0;
bool InstallationRefused() { return g_refusals > 0; }
#else
constexpr bool InstallationRefused() { return false; }
#endif

}  // namespace

KeyboardHookHandle InstallKeyboardHook(KeyboardHookProcedure procedure) {
  if (procedure == nullptr || InstallationRefused()) return nullptr;
  HookChain& chain = ThreadHookChain();
  const KeyboardHookHandle handle = NewHookHandle();
  chain.insert(chain.begin(), InstalledHook{handle, procedure});
  return handle;
}

bool RemoveKeyboardHook(KeyboardHookHandle hook) {
  HookChain& chain = ThreadHookChain();
  const auto found = FindHook(chain, hook);
  if (found == chain.end()) return false;
  chain.erase(found);
  return true;
}

HookResult CallNextKeyboardHook(KeyboardHookHandle hook, int code, HookWParam wParam, HookLParam lParam) {
  const HookChain& chain = ThreadHookChain();
  auto next = FindHook(chain, hook);
  if (next == chain.end() || ++next == chain.end()) return 0;
  // The procedure may change the chain, so it is not called through the iterator.
  const KeyboardHookProcedure procedure = next->procedure;
  return procedure(code, wParam, lParam);
}

HookResult DispatchKeyboardHookMessage(int code, HookWParam wParam, HookLParam lParam) {
  const HookChain& chain = ThreadHookChain();
  if (chain.empty()) return 0;
  const KeyboardHookProcedure procedure = chain.front().procedure;
  return procedure(code, wParam, lParam);
}

// Class names are ASCII in practice; letters outside ASCII are compared as they are.
bool ClassNamesEqualIgnoringCase(const WString& name, const WChar* other) {
  const std::basic_string_view<WChar> otherName(other);
  return name.size() == otherName.size() &&
         std::equal(name.begin(), name.end(), otherName.begin(),
                    [](WChar a, WChar b) { return LowerCaseClassNameUnit(a) == LowerCaseClassNameUnit(b); });
}

#if defined(CMDPREDICT_KEYBOARD_TEST_CONTROLS)
std::size_t KeyboardHookCount() { return ThreadHookChain().size(); }

ScopedKeyboardHookRefusal::ScopedKeyboardHookRefusal() { ++g_refusals; }

ScopedKeyboardHookRefusal::~ScopedKeyboardHookRefusal() { --g_refusals; }
#endif

}  // namespace cmdpredict
