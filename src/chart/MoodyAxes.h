#pragma once

// The Moody diagram's coordinate system: Reynolds number across and Darcy friction factor up,
// both on logarithmic scales, mapped onto a plot rectangle in device pixels.

#include <QPointF>
#include <QPolygonF>
#include <QRectF>

#include <vector>

namespace corvel {

/// A point of the diagram in data coordinates.
struct MoodyPoint {
    double reynolds;
    double friction;
};

/// Log–log mapping between data coordinates and pixels. Pure arithmetic: no painting, no state
/// beyond the axis ranges, so positions can be checked without a window.
class MoodyAxes {
public:
    static constexpr double kMinReynolds = 600.0;
    static constexpr double kMaxReynolds = 1e8;
    static constexpr double kMinFriction = 0.008;
    static constexpr double kMaxFriction = 0.1;

    /// The diagram's standard ranges.
    MoodyAxes();
    /// Other ranges; each minimum must be positive and below its maximum.
    MoodyAxes(double minReynolds, double maxReynolds, double minFriction, double maxFriction);

    double minReynolds() const { return minReynolds_; }
    double maxReynolds() const { return maxReynolds_; }
    double minFriction() const { return minFriction_; }
    double maxFriction() const { return maxFriction_; }

    /// Pixel position of a point (both coordinates positive) in `plot`: the minimum Reynolds
    /// number at the left edge, the minimum friction factor at the bottom edge. Points outside
    /// the ranges map outside the rectangle.
    QPointF toPixel(double reynolds, double friction, const QRectF& plot) const;
    double xFor(double reynolds, const QRectF& plot) const;
    double yFor(double friction, const QRectF& plot) const;

    /// The data point at a pixel position; the inverse of toPixel.
    MoodyPoint fromPixel(QPointF pixel, const QRectF& plot) const;

    /// Whether the point lies within the ranges (edges included).
    bool contains(double reynolds, double friction) const;

private:
    double minReynolds_, maxReynolds_, minFriction_, maxFriction_;
    double logMinRe_, logSpanRe_, logMinF_, logSpanF_;
};

/// The parts of a polyline that lie inside `rect`, each a polyline of its own, cut exactly at
/// the edges. Clipping the geometry itself, rather than setting a clip on the painter, keeps
/// lines inside the axes on every paint device (SVG output ignores a painter's clip).
std::vector<QPolygonF> ClipPolyline(const QPolygonF& line, const QRectF& rect);

} // namespace corvel
