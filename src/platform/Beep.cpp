#include "platform/Beep.h"

#include <QApplication>

namespace corvel {

namespace {

BeepHook& currentHook() {
    static BeepHook hook;
    return hook;
}

} // namespace

void MessageBeep() {
    if (const BeepHook& hook = currentHook())
        hook();
    else
        QApplication::beep();
}

BeepHook SetBeepHook(BeepHook hook) {
    BeepHook previous = std::move(currentHook());
    currentHook() = std::move(hook);
    return previous;
}

} // namespace corvel
