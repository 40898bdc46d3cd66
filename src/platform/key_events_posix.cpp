// The host's key-event entry on platforms without the system's keyboard hooks: key events become
// hook messages for the calling thread's chain, and the host's providers answer what the system
// would about the focus window and the Ctrl key.
#include <algorithm>
#include <utility>

#include "cmdpredict/key_events.h"
#include "platform/system_keyboard_hook.h"

namespace cmdpredict {
namespace {

constexpr int kHookAction = 0;  // the code of a message taken from the queue
constexpr HookLParam kPressFlags = kKeystrokeRepeatOnce;
constexpr HookLParam kReleaseFlags =
    static_cast<HookLParam>(kKeystrokeRepeatOnce | kKeystrokeWasDown | kKeystrokeReleased);

FocusClassNameProvider& CurrentFocusClassNameProvider() {
  static FocusClassNameProvider provider;
  return provider;
}

ControlKeyStateProvider& CurrentControlKeyStateProvider() {
  static ControlKeyStateProvider provider;
  return provider;
}

// The name as the system's class-name buffer would hold it: up to the first zero unit, and no
// longer than the buffer leaves room for.
WString AsBufferedClassName(WString name) {
  name.resize(std::min({name.find(WChar{0}), name.size(), kClassNameBufferLength - 1}));
  return name;
}

}  // namespace

std::optional<WString> FocusWindowClassName() {
  const FocusClassNameProvider& provider = CurrentFocusClassNameProvider();
  if (!provider) return std::nullopt;
  std::optional<WString> name = provider();
  if (!name) return std::nullopt;
  return AsBufferedClassName(std::move(*name));
}

std::int16_t ControlKeyState() {
  const ControlKeyStateProvider& provider = CurrentControlKeyStateProvider();
  return provider && provider() ? static_cast<std::int16_t>(kKeyStateDown) : std::int16_t{0};
}

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
