#include "platform/FontWarmUp.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace corvel {
namespace {

TEST(FontWarmUp, FillsTheFontDatabaseOnceTheApplicationIsReady) {
    FontWarmUp warmUp;
    warmUp.ApplicationReady();
    warmUp.Finish();
    EXPECT_FALSE(QFontDatabase::families().isEmpty());
    EXPECT_GT(QFontMetrics(QFont()).height(), 0);
}

TEST(FontWarmUp, FinishesWhenTheApplicationNeverBecameReady) {
    // A start that failed before its application object: destruction must not wait forever.
    FontWarmUp warmUp;
}

TEST(FontWarmUp, MainThreadMayUseFontsWhileTheDatabaseIsFilled) {
    FontWarmUp warmUp;
    warmUp.ApplicationReady();
    EXPECT_GT(QFontMetrics(QFont()).horizontalAdvance(QStringLiteral("Flowrate")), 0);
    warmUp.ApplicationReady(); // a second call is harmless
}

} // namespace
} // namespace corvel
