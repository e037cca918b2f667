#include "chart/MoodyAxes.h"

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

} // namespace corvel
