#include "platform/SessionBusWarmUp.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QGuiApplication>
#include <QString>

namespace corvel {
namespace {

TEST(SessionBusWarmUp, ConnectsOnlyWhereTheAccessibilityBridgeWillAskForTheBus) {
    struct Case {
        const char* platform;
        const char* atSpiAddress;
        bool wanted;
    };
    const Case cases[] = {
        {"xcb", "", true},
        {"wayland", "", true},
        {"wayland-egl", "", true},
        {"xcb", "unix:path=/run/user/1000/at-spi/bus", false}, // the bridge goes there itself
        {"offscreen", "", false},                              // no bridge at all
        {"minimal", "", false},
        {"vnc", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            SessionBusWarmUp::Wanted(QString::fromLatin1(c.platform), QByteArray(c.atSpiAddress)),
            c.wanted)
            << c.platform << " " << c.atSpiAddress;
}

TEST(SessionBusWarmUp, StaysIdleOnAPlatformWithoutTheBridge) {
    // The tests run on the offscreen platform: nothing is started, nothing waits.
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    SessionBusWarmUp warmUp;
    EXPECT_FALSE(warmUp.Started());
    warmUp.Finish();
    warmUp.Finish(); // a second call is harmless
}

} // namespace
} // namespace corvel
