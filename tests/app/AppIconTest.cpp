#include "app/AppIcon.h"

#include <gtest/gtest.h>

#include <QImage>

namespace corvel {
namespace {

TEST(AppIconTest, HoldsEverySmallSizeDrawnOpaqueInTheMiddleAndClearInTheCorner) {
    const QIcon icon = AppIcon();
    ASSERT_EQ(icon.availableSizes(),
              (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(64, 64)}));
    for (const QSize& size : icon.availableSizes()) {
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.size(), size);
        // The rounded square is drawn on a transparent ground: rows of raw pixels read with
        // the wrong stride or channel order would not give this.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size.width();
        EXPECT_EQ(qAlpha(image.pixel(size.width() / 2, size.height() / 2)), 255) << size.width();
        EXPECT_GT(qBlue(image.pixel(size.width() / 2, 2)), qRed(image.pixel(size.width() / 2, 2)))
            << "the frame is blue, size " << size.width();
    }
}

} // namespace
} // namespace corvel
