#pragma once

// The default message beep, behind one replaceable hook so that tests can count beeps.

#include <functional>

namespace corvel {

using BeepHook = std::function<void()>;

/// Sounds the beep through the current hook.
void MessageBeep();

/// Installs `hook` and returns the one it replaces; an empty hook restores the default,
/// QApplication::beep().
BeepHook SetBeepHook(BeepHook hook);

} // namespace corvel
