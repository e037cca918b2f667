#include "chart/MoodyAxes.h"

#include <algorithm>
#include <cmath>

namespace corvel {

MoodyAxes::MoodyAxes() : MoodyAxes(kMinReynolds, kMaxReynolds, kMinFriction, kMaxFriction) {}

MoodyAxes::MoodyAxes(double minReynolds, double maxReynolds, double minFriction, double maxFriction)
    : minReynolds_(minReynolds), maxReynolds_(maxReynolds), minFriction_(minFriction),
      maxFriction_(maxFriction), logMinRe_(std::log10(minReynolds)),
      logSpanRe_(std::log10(maxReynolds) - logMinRe_), logMinF_(std::log10(minFriction)),
      logSpanF_(std::log10(maxFriction) - logMinF_) {}

double MoodyAxes::xFor(double reynolds, const QRectF& plot) const {
    return plot.left() + (std::log10(reynolds) - logMinRe_) / logSpanRe_ * plot.width();
}

double MoodyAxes::yFor(double friction, const QRectF& plot) const {
    return plot.bottom() - (std::log10(friction) - logMinF_) / logSpanF_ * plot.height();
}

QPointF MoodyAxes::toPixel(double reynolds, double friction, const QRectF& plot) const {
    return {xFor(reynolds, plot), yFor(friction, plot)};
}

MoodyPoint MoodyAxes::fromPixel(QPointF pixel, const QRectF& plot) const {
    const double u = (pixel.x() - plot.left()) / plot.width();
    const double v = (plot.bottom() - pixel.y()) / plot.height();
    return {std::pow(10.0, logMinRe_ + u * logSpanRe_), std::pow(10.0, logMinF_ + v * logSpanF_)};
}

bool MoodyAxes::contains(double reynolds, double friction) const {
    return reynolds >= minReynolds_ && reynolds <= maxReynolds_ && friction >= minFriction_ &&
           friction <= maxFriction_;
}

namespace {

/// Liang–Barsky: narrows [t0, t1] of the segment a + t·(b − a) to the part inside `rect`;
/// false when nothing is left.
bool clipSegment(QPointF a, QPointF b, const QRectF& rect, double& t0, double& t1) {
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(),
                         rect.bottom() - a.y()};
    t0 = 0;
    t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false; // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    return t0 <= t1;
}

} // namespace

std::vector<QPolygonF> ClipPolyline(const QPolygonF& line, const QRectF& rect) {
    std::vector<QPolygonF> parts;
    QPolygonF current;
    auto finish = [&] {
        if (current.size() >= 2)
            parts.push_back(current);
        current.clear();
    };
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], b = line[i];
        double t0 = 0, t1 = 1;
        if (!clipSegment(a, b, rect, t0, t1)) {
            finish();
            continue;
        }
        const QPointF start = a + (b - a) * t0;
        if (t0 > 0 || current.isEmpty()) {
            finish();
            current.append(start);
        }
        current.append(a + (b - a) * t1);
        if (t1 < 1)
            finish();
    }
    finish();
    return parts;
}

} // namespace corvel
