#include "chart/MoodyDiagram.h"

#include "ChartTestSupport.h"
#include "chart/MoodyCurves.h"
#include "physics/QxFlow.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>

namespace corvel {
namespace {

using test::FindMarker;

QImage Grab(MoodyDiagram& diagram) {
    return diagram.grab().toImage();
}

bool IsDark(QRgb pixel) {
    return qRed(pixel) < 120 && qGreen(pixel) < 120 && qBlue(pixel) < 160;
}

/// Whether any pixel within `radius` of `at` is dark.
bool DarkNear(const QImage& image, QPointF at, int radius) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(static_cast<int>(at.x()) + dx, static_cast<int>(at.y()) + dy);
            if (image.rect().contains(p) && IsDark(image.pixel(p)))
                return true;
        }
    return false;
}

struct MarkCase {
    const char* name;
    double reynolds, friction;
    int regime;
};

const MarkCase kMarkCases[] = {
    {"default case", 229239, 0.0174433, kRegimeTransition},
    {"laminar", 1500, 64.0 / 1500, kRegimeLaminar},
    {"fully rough", 1e7, 0.03785, kRegimeRough},
    {"smooth, low corner", 2.5e6, 0.0099, kRegimeSmooth},
};

const QSize kSizes[] = {{1000, 700}, {520, 380}};

TEST(MoodyDiagramTest, MarkerSitsWhereTheAxesPutTheOperatingPoint) {
    for (const QSize& size : kSizes) {
        MoodyDiagram diagram;
        diagram.resize(size);
        for (const MarkCase& c : kMarkCases) {
            diagram.setOperatingPoint(c.reynolds, c.friction, c.regime);
            const QImage image = Grab(diagram);
            ASSERT_EQ(image.size(), size);
            const auto marker = FindMarker(image);
            const QPointF expected =
                diagram.axes().toPixel(c.reynolds, c.friction, diagram.plotRect());
            ASSERT_GT(marker.count, 20) << c.name;
            EXPECT_NEAR(marker.centre.x(), expected.x(), 1.0) << c.name << " at " << size.width();
            EXPECT_NEAR(marker.centre.y(), expected.y(), 1.0) << c.name << " at " << size.width();
            // Nothing else is painted in the marker's colour.
            EXPECT_LT(marker.right - marker.left, 12) << c.name;
            EXPECT_LT(marker.bottom - marker.top, 12) << c.name;
        }
    }
}

TEST(MoodyDiagramTest, ResizingMovesTheMarkerWithTheAxes) {
    MoodyDiagram diagram;
    diagram.setOperatingPoint(229239, 0.0174433, kRegimeTransition);
    diagram.resize(1000, 700);
    const QPointF large = FindMarker(Grab(diagram)).centre;
    diagram.resize(640, 450);
    const QPointF small = FindMarker(Grab(diagram)).centre;
    const QPointF expected = diagram.axes().toPixel(229239, 0.0174433, diagram.plotRect());
    EXPECT_NEAR(small.x(), expected.x(), 1.0);
    EXPECT_NEAR(small.y(), expected.y(), 1.0);
    EXPECT_GT(std::hypot(large.x() - small.x(), large.y() - small.y()), 50);
}

TEST(MoodyDiagramTest, PointOutsideTheAxesIsClampedToTheEdgeWithAnArrow) {
    MoodyDiagram diagram;
    diagram.resize(1000, 700);
    const QRectF plot = diagram.plotRect();
    diagram.setOperatingPoint(5e8, 0.02, kRegimeRough);
    auto marker = FindMarker(Grab(diagram));
    ASSERT_GT(marker.count, 20);
    EXPECT_NEAR(marker.centre.y(), diagram.axes().yFor(0.02, plot), 1.5);
    EXPECT_LT(marker.left, plot.right());
    EXPECT_GT(marker.right, plot.right() + 10); // the arrow points out to the right
    EXPECT_NE(MoodyRenderer::operatingPointText(*diagram.operatingPoint())
                  .indexOf(QStringLiteral("(outside the chart)")),
              -1);

    diagram.setOperatingPoint(200, 0.32, kRegimeLaminar); // off the top-left corner, mostly up
    marker = FindMarker(Grab(diagram));
    ASSERT_GT(marker.count, 20);
    EXPECT_LT(marker.top, plot.top() - 10);
    EXPECT_LT(std::hypot(marker.right - plot.left(), marker.bottom - plot.top()), 12);
}

TEST(MoodyDiagramTest, PointWithoutPositionIsReportedNotMarked) {
    MoodyDiagram diagram;
    diagram.resize(800, 560);
    for (const MarkCase& c : {MarkCase{"bad data", 0, 0, kRegimeBadData},
                              MarkCase{"not a number", NAN, 0.02, kRegimeTransition},
                              MarkCase{"infinite", INFINITY, 0.02, kRegimeRough}}) {
        diagram.setOperatingPoint(c.reynolds, c.friction, c.regime);
        EXPECT_EQ(FindMarker(Grab(diagram)).count, 0) << c.name;
    }
    EXPECT_EQ(MoodyRenderer::operatingPointText({0, 0, kRegimeBadData}).toStdString(),
              "The current case has no point on the diagram (Bad Data).");
}

TEST(MoodyDiagramTest, ClearedPointLeavesNoMarker) {
    MoodyDiagram diagram;
    diagram.resize(800, 560);
    diagram.setOperatingPoint(229239, 0.0174433, kRegimeTransition);
    ASSERT_GT(FindMarker(Grab(diagram)).count, 0);
    diagram.clearOperatingPoint();
    EXPECT_FALSE(diagram.operatingPoint().has_value());
    EXPECT_EQ(FindMarker(Grab(diagram)).count, 0);
}

TEST(MoodyDiagramTest, LabelGivesReynoldsNumberFrictionFactorAndRegime) {
    EXPECT_EQ(
        MoodyRenderer::operatingPointText({229239.4, 0.0174433, kRegimeTransition}).toStdString(),
        "Re = 229,239\nf = 0.01744\nTransition");
    EXPECT_EQ(MoodyRenderer::operatingPointText({1500, 64.0 / 1500, kRegimeLaminar}).toStdString(),
              "Re = 1,500\nf = 0.04267\nLaminar");
    EXPECT_EQ(MoodyRenderer::operatingPointText({2e8, 0.0379, kRegimeRough}).toStdString(),
              "Re = 200,000,000\nf = 0.0379\nRough\n(outside the chart)");
}

TEST(MoodyDiagramTest, LaminarLineIsDrawnThroughTwoThousand) {
    for (const QSize& size : kSizes) {
        MoodyDiagram diagram;
        diagram.resize(size);
        const QImage image = Grab(diagram);
        const MoodyAxes& axes = diagram.axes();
        const QRectF plot = diagram.plotRect();
        EXPECT_TRUE(DarkNear(image, axes.toPixel(2000, 0.032, plot), 1)) << size.width();
        // 15 % off in friction factor is well clear of the line.
        EXPECT_FALSE(DarkNear(image, axes.toPixel(2000, 0.032 * 1.15, plot), 1)) << size.width();
        EXPECT_FALSE(DarkNear(image, axes.toPixel(2000, 0.032 / 1.15, plot), 1)) << size.width();
    }
}

TEST(MoodyDiagramTest, SmoothCurveIsDrawnAtMoodysValueForAMillion) {
    MoodyDiagram diagram;
    diagram.resize(1000, 700);
    const QImage image = Grab(diagram);
    const QRectF plot = diagram.plotRect();
    EXPECT_TRUE(DarkNear(image, diagram.axes().toPixel(1e6, 0.0116, plot), 1));
    // Below the smooth curve there is no line at all.
    EXPECT_FALSE(DarkNear(image, diagram.axes().toPixel(1.5e6, 0.0095, plot), 2));
}

TEST(MoodyDiagramTest, PrinterResolutionKeepsThePointOnItsAxes) {
    // A 300 dpi page: text and lines scale, the mapping still holds.
    QImage page(2400, 1700, QImage::Format_RGB32);
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    const MoodyOperatingPoint point{229239, 0.0174433, kRegimeTransition};
    {
        QPainter painter(&page);
        RenderMoodyDiagram(painter, page.rect(), point);
    }
    const MoodyRenderer renderer;
    const QPointF expected = renderer.axes().toPixel(point.reynolds, point.friction,
                                                     renderer.plotRect(page.rect(), &page));
    const auto marker = FindMarker(page);
    ASSERT_GT(marker.count, 100);
    EXPECT_NEAR(marker.centre.x(), expected.x(), 1.5);
    EXPECT_NEAR(marker.centre.y(), expected.y(), 1.5);
    EXPECT_GT(marker.right - marker.left, 20); // a 10 px marker at 96 dpi is 31 px at 300 dpi
}

} // namespace
} // namespace corvel
