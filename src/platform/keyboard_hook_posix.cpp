// The in-process stand-in for the system's keyboard hooks: one hook chain per thread, fed by the
// host's toolkit through DispatchKeyEvent, and host-supplied answers about the focus and Ctrl.
#include <algorithm>
#include <atomic>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cmdpredict/keyboard_hook.h"
#include "platform/keyboard_hook.h"

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

int g_refusals = 0;

FocusClassNameProvider& CurrentFocusClassNameProvider() {
  static FocusClassNameProvider provider;
  return provider;
}

ControlKeyStateProvider& CurrentControlKeyStateProvider() {
  static ControlKeyStateProvider provider;
  return provider;
}

constexpr int kHookAction = 0;                     // a message taken from the queue
constexpr std::int16_t kKeyDownState = INT16_MIN;  // high bit set
// Keystroke flags: repeat count 1; for a release also the previous state (down) and the transition
// state (released).
constexpr HookLParam kPressFlags = 1;
constexpr HookLParam kReleaseFlags =
    kPressFlags | HookLParam{1} << 30 | static_cast<HookLParam>(std::uintptr_t{1} << 31);

// The name as the system's class-name buffer would hold it: up to the first zero unit, and no
// longer than the buffer leaves room for.
WString AsBufferedClassName(WString name) {
  name.resize(std::min({name.find(WChar{0}), name.size(), kClassNameBufferLength - 1}));
  return name;
}

}  // namespace

KeyboardHookHandle InstallKeyboardHook(KeyboardHookProcedure procedure) {
  if (procedure == nullptr || g_refusals > 0) return nullptr;
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

std::size_t KeyboardHookCount() { return ThreadHookChain().size(); }

std::optional<WString> FocusWindowClassName() {
  const FocusClassNameProvider& provider = CurrentFocusClassNameProvider();
  if (!provider) return std::nullopt;
  std::optional<WString> name = provider();
  if (!name) return std::nullopt;
  return AsBufferedClassName(std::move(*name));
}

std::int16_t ControlKeyState() {
  const ControlKeyStateProvider& provider = CurrentControlKeyStateProvider();
  return provider && provider() ? kKeyDownState : std::int16_t{0};
}

// Class names are ASCII in practice; letters outside ASCII are compared as they are.
bool ClassNamesEqualIgnoringCase(const WString& name, const WChar* other) {
  const std::basic_string_view<WChar> otherName(other);
  return name.size() == otherName.size() &&
         std::equal(name.begin(), name.end(), otherName.begin(),
                    [](WChar a, WChar b) { return LowerCaseClassNameUnit(a) == LowerCaseClassNameUnit(b); });
}

ScopedKeyboardHookRefusal::ScopedKeyboardHookRefusal() { ++g_refusals; }

ScopedKeyboardHookRefusal::~ScopedKeyboardHookRefusal() { --g_refusals; }

bool DispatchKeyEvent(std::uint32_t virtualKey, KeyTransition transition) {
  const HookLParam flags = transition == KeyTransition::kRelease ? kReleaseFlags : kPressFlags;
  return DispatchKeyboardHookMessage(kHookAction, virtualKey, flags) != 0;
}

void SetFocusClassNameProvider(FocusClassNameProvider provider) {
  CurrentFocusClassNameProvider() = std::move(provider);
}

void SetControlKeyStateProvider(ControlKeyStateProvider provider) {
  CurrentControlKeyStateProvider() = std::move(provider);
}

}  // namespace cmdpredict
