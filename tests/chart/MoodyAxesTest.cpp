#include "chart/MoodyAxes.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvel {
namespace {

using test::NearRel;

const QRectF kPlots[] = {QRectF(80, 40, 840, 600), QRectF(0.5, 3.25, 311.5, 197)};

TEST(MoodyAxesTest, PixelsMapBackToTheSamePoint) {
    const MoodyAxes axes;
    const MoodyPoint points[] = {{600, 0.008},   {1e8, 0.1}, {2300, 0.0278}, {229239, 0.0174433},
                                 {4.5e6, 0.011}, {50, 0.5},  {1e10, 0.001}};
    for (const QRectF& plot : kPlots) {
        for (const MoodyPoint& point : points) {
            const MoodyPoint back =
                axes.fromPixel(axes.toPixel(point.reynolds, point.friction, plot), plot);
            EXPECT_TRUE(NearRel(back.reynolds, point.reynolds, 1e-12)) << point.reynolds;
            EXPECT_TRUE(NearRel(back.friction, point.friction, 1e-12)) << point.friction;
        }
    }
}

TEST(MoodyAxesTest, RangeCornersMapToPlotCorners) {
    const MoodyAxes axes;
    for (const QRectF& plot : kPlots) {
        const QPointF lowest = axes.toPixel(600, 0.008, plot);
        const QPointF highest = axes.toPixel(1e8, 0.1, plot);
        EXPECT_NEAR(lowest.x(), plot.left(), 1e-9);
        EXPECT_NEAR(lowest.y(), plot.bottom(), 1e-9);
        EXPECT_NEAR(highest.x(), plot.right(), 1e-9);
        EXPECT_NEAR(highest.y(), plot.top(), 1e-9);
    }
}

TEST(MoodyAxesTest, EqualRatiosSpanEqualDistances) {
    const MoodyAxes axes;
    const QRectF& plot = kPlots[0];
    EXPECT_NEAR(axes.xFor(1e4, plot) - axes.xFor(1e3, plot),
                axes.xFor(1e8, plot) - axes.xFor(1e7, plot), 1e-9);
    EXPECT_NEAR(axes.yFor(0.02, plot) - axes.yFor(0.01, plot),
                axes.yFor(0.1, plot) - axes.yFor(0.05, plot), 1e-9);
    // One decade of Re spans the width over 5.22 decades; one of f the height over 1.097.
    EXPECT_NEAR(axes.xFor(1e4, plot) - axes.xFor(1e3, plot), 840 / std::log10(1e8 / 600), 1e-9);
    EXPECT_NEAR(axes.yFor(0.01, plot) - axes.yFor(0.1, plot), 600 / std::log10(0.1 / 0.008), 1e-9);
}

TEST(MoodyAxesTest, LaminarLineThroughTwoThousandIsStraightInPixels) {
    // 64/Re is a straight line on log–log axes: (2000, 0.032) lies on the chord between its
    // ends at Re = 640 and 2300.
    const MoodyAxes axes;
    const QRectF& plot = kPlots[0];
    const QPointF a = axes.toPixel(640, 0.1, plot);
    const QPointF b = axes.toPixel(2300, 64.0 / 2300, plot);
    const QPointF p = axes.toPixel(2000, 0.032, plot);
    const double cross = (b.x() - a.x()) * (p.y() - a.y()) - (b.y() - a.y()) * (p.x() - a.x());
    EXPECT_NEAR(cross, 0.0, 1e-6);
    EXPECT_GT(p.x(), a.x());
    EXPECT_LT(p.x(), b.x());
}

TEST(MoodyAxesTest, ContainsIncludesTheEdgesOnly) {
    const MoodyAxes axes;
    EXPECT_TRUE(axes.contains(600, 0.008));
    EXPECT_TRUE(axes.contains(1e8, 0.1));
    EXPECT_FALSE(axes.contains(599.9, 0.02));
    EXPECT_FALSE(axes.contains(1.0001e8, 0.02));
    EXPECT_FALSE(axes.contains(1e5, 0.0079));
    EXPECT_FALSE(axes.contains(1e5, 0.1001));
    EXPECT_FALSE(axes.contains(NAN, 0.02));
}

struct ClipCase {
    const char* name;
    QPolygonF line;
    std::vector<QPolygonF> parts;
};

TEST(ClipPolylineTest, KeepsOnlyThePartsInsideTheRectangle) {
    const QRectF rect(0, 0, 10, 10);
    const ClipCase cases[] = {
        {"inside", {{{1, 1}, {5, 5}, {9, 2}}}, {{{{1, 1}, {5, 5}, {9, 2}}}}},
        {"outside", {{{-5, -5}, {-1, 20}, {20, 20}}}, {}},
        {"leaves through the top", {{{2, 4}, {4, -4}}}, {{{{2, 4}, {3, 0}}}}},
        {"enters from the left", {{{-10, 5}, {5, 5}, {5, 8}}}, {{{{0, 5}, {5, 5}, {5, 8}}}}},
        {"crosses right through", {{{-5, 5}, {15, 5}}}, {{{{0, 5}, {10, 5}}}}},
        {"leaves and comes back",
         {{{2, 2}, {2, 12}, {8, 12}, {8, 2}}},
         {{{{2, 2}, {2, 10}}}, {{{8, 10}, {8, 2}}}}},
        {"single point", {{{5, 5}}}, {}},
    };
    for (const ClipCase& c : cases) {
        const std::vector<QPolygonF> parts = ClipPolyline(c.line, rect);
        ASSERT_EQ(parts.size(), c.parts.size()) << c.name;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            ASSERT_EQ(parts[i].size(), c.parts[i].size()) << c.name;
            for (qsizetype j = 0; j < parts[i].size(); ++j) {
                EXPECT_NEAR(parts[i][j].x(), c.parts[i][j].x(), 1e-12) << c.name;
                EXPECT_NEAR(parts[i][j].y(), c.parts[i][j].y(), 1e-12) << c.name;
            }
        }
    }
}

} // namespace
} // namespace corvel
