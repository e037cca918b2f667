#include "shell/DeferredIconStyle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>
#include <QToolBar>

#include <memory>

namespace corvel {
namespace {

/// Fusion, counting the standard icons asked of it and the layout direction they were asked for.
class CountingStyle : public QProxyStyle {
public:
    CountingStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        ++made;
        if (option)
            lastDirection = option->direction;
        return QProxyStyle::standardIcon(which, option, widget);
    }

    mutable int made = 0;
    mutable Qt::LayoutDirection lastDirection = Qt::LayoutDirectionAuto;
};

QImage imageOf(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage();
}

class DeferredIconStyleTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = new CountingStyle;
        style_ = std::make_unique<DeferredIconStyle>(base_);
    }

    CountingStyle* base_ = nullptr; // owned by style_
    std::unique_ptr<DeferredIconStyle> style_;
};

TEST_F(DeferredIconStyleTest, IconIsMadeOnFirstUseOnlyAndLooksAsTheStyleDrawsIt) {
    const QIcon icon = style_->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    EXPECT_EQ(base_->made, 0);

    const QImage drawn = imageOf(icon);
    EXPECT_EQ(base_->made, 1);
    imageOf(icon);
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(base_->made, 1) << "made once";

    const QIcon direct =
        base_->QProxyStyle::standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    EXPECT_EQ(drawn, imageOf(direct));
}

TEST_F(DeferredIconStyleTest, KeepsTheLayoutDirectionOfTheOption) {
    QStyleOptionToolButton option; // a specific kind: only its general part is kept
    option.direction = Qt::RightToLeft;
    const QIcon icon = style_->standardIcon(QStyle::SP_ArrowBack, &option);
    option.direction = Qt::LeftToRight; // the caller's option is gone or changed by the first use
    imageOf(icon);
    EXPECT_EQ(base_->lastDirection, Qt::RightToLeft);
}

TEST_F(DeferredIconStyleTest, AnIconTheStyleDoesNotHaveStaysNull) {
    // Buttons leave room for an icon that is not null; a missing one must not take room.
    EXPECT_TRUE(style_->standardIcon(QStyle::SP_CustomBase).isNull());
}

TEST_F(DeferredIconStyleTest, WidgetGoneBeforeFirstUseStillGivesTheIcon) {
    auto widget = std::make_unique<QWidget>();
    const QIcon icon = style_->standardIcon(QStyle::SP_DialogOkButton, nullptr, widget.get());
    widget.reset();
    EXPECT_FALSE(imageOf(icon).isNull());
}

TEST_F(DeferredIconStyleTest, AWideWindowsMenuBarAndToolBarMakeNoIcon) {
    QMainWindow window;
    window.setStyle(style_.get());
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.addToolBar(QStringLiteral("Tools"));
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(base_->made, 0);
}

} // namespace
} // namespace corvel
