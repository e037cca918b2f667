#include "platform/FontWarmUp.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>

#include <fontconfig/fontconfig.h>

namespace corvel {

FontWarmUp::FontWarmUp() {
    thread_ = std::thread([ready = applicationReady_.get_future()]() mutable {
        // Thread-safe in fontconfig: whoever comes second finds the configuration loaded.
        FcInit();
        // The font database needs the display connection the application object makes; its
        // functions lock it, so the main thread simply waits if it gets there first.
        if (ready.get() && QGuiApplication::instance()) {
            QFontDatabase::families();
            // Matching the application font also finds its fallback families, which the
            // database keeps for every thread (the loaded font itself stays with this one).
            QFontMetrics(QGuiApplication::font()).height();
        }
    });
}

FontWarmUp::~FontWarmUp() {
    Finish();
}

void FontWarmUp::ApplicationReady() {
    if (!signalled_) {
        signalled_ = true;
        applicationReady_.set_value(true);
    }
}

void FontWarmUp::Finish() {
    if (!signalled_) {
        signalled_ = true;
        applicationReady_.set_value(false);
    }
    if (thread_.joinable())
        thread_.join();
}

} // namespace corvel
