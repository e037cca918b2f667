#include "chart/MoodyRenderer.h"

#include "app/Results.h"
#include "chart/MoodyCurves.h"
#include "physics/QxFlow.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>

namespace corvel {

namespace {

// Friction factors with a horizontal gridline, as on Moody's chart.
constexpr std::array<double, 14> kFrictionGrid = {0.008, 0.009, 0.01, 0.015, 0.02, 0.025, 0.03,
                                                  0.04,  0.05,  0.06, 0.07,  0.08, 0.09,  0.1};

const QColor kMinorGridColour(228, 228, 228);
const QColor kMajorGridColour(180, 180, 180);
const QColor kFrameColour(60, 60, 60);
const QColor kTextColour(30, 30, 30);
const QColor kZoneTextColour(110, 110, 110);
const QColor kBandColour(255, 236, 200);
const QColor kCurveColour(25, 55, 110);
const QColor kLaminarColour(25, 25, 25);
const QColor kBoundaryColour(170, 70, 0);
const QColor kLeaderColour(170, 170, 170);
const QColor kMarker(220, 20, 60);

/// Sizes that depend on the device: the text metrics and the length of a 96 dpi pixel.
struct Metrics {
    QFont font, smallFont, titleFont;
    QFontMetricsF fm, small, title;
    double unit;

    Metrics(const QFont& base, const QPaintDevice* device)
        : font(base), smallFont(scaled(base, 0.8)), titleFont(bold(base)), fm(font, device),
          small(smallFont, device), title(titleFont, device),
          unit(device ? device->logicalDpiY() / 96.0 : 1.0) {}

    static QFont scaled(QFont f, double factor) {
        if (f.pointSizeF() > 0)
            f.setPointSizeF(f.pointSizeF() * factor);
        else
            f.setPixelSize(std::max(1, static_cast<int>(f.pixelSize() * factor)));
        return f;
    }
    static QFont bold(QFont f) {
        f.setBold(true);
        return f;
    }
};

QString frictionText(double f) {
    return QString::number(f, 'g', 3);
}

/// Width of "10" with a raised exponent.
double decadeLabelWidth(const Metrics& m, int exponent) {
    return m.fm.horizontalAdvance(QStringLiteral("10")) +
           m.small.horizontalAdvance(QString::number(exponent));
}

/// "10" with a raised exponent, centred on x, its top at y.
void drawDecadeLabel(QPainter& p, const Metrics& m, double x, double y, int exponent) {
    const double left = x - decadeLabelWidth(m, exponent) / 2;
    const double baseline = y + m.small.ascent() * 0.45 + m.fm.ascent();
    p.setFont(m.font);
    p.drawText(QPointF(left, baseline), QStringLiteral("10"));
    p.setFont(m.smallFont);
    p.drawText(QPointF(left + m.fm.horizontalAdvance(QStringLiteral("10")),
                       baseline - m.fm.ascent() * 0.45),
               QString::number(exponent));
    p.setFont(m.font);
}

double maxCurveLabelWidth(const Metrics& m) {
    double width = m.fm.horizontalAdvance(QStringLiteral("k/D"));
    for (double rr : kMoodyRoughnessLadder)
        width = std::max(width, m.fm.horizontalAdvance(RoughnessLabel(rr)));
    return width;
}

/// A line in data coordinates drawn in pixels, cut at the plot's edges.
void drawDataLine(QPainter& p, const std::vector<MoodyPoint>& points, const MoodyAxes& axes,
                  const QRectF& plot) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const MoodyPoint& point : points)
        polygon.append(axes.toPixel(point.reynolds, point.friction, plot));
    for (const QPolygonF& part : ClipPolyline(polygon, plot))
        p.drawPolyline(part);
}

/// Where a curve leaves the axes on the right: at the right edge, or where it crosses the
/// bottom edge when it falls below the lowest friction factor first.
QPointF curveExit(const MoodyCurve& curve, const MoodyAxes& axes, const QRectF& plot) {
    const auto& pts = curve.points;
    for (std::size_t i = 1; i < pts.size(); ++i) {
        if (pts[i].friction < axes.minFriction()) {
            const double y0 = std::log10(pts[i - 1].friction), y1 = std::log10(pts[i].friction);
            const double x0 = std::log10(pts[i - 1].reynolds), x1 = std::log10(pts[i].reynolds);
            const double t = (std::log10(axes.minFriction()) - y0) / (y1 - y0);
            return {axes.xFor(std::pow(10.0, x0 + t * (x1 - x0)), plot), plot.bottom()};
        }
    }
    return {plot.right(), axes.yFor(pts.back().friction, plot)};
}

struct CurveLabel {
    QPointF anchor;
    double y;
    QString text;
};

/// Spreads labels at least `gap` apart, each as near its anchor's height as it can be, all
/// between `top` and `bottom`; the labels are in top-to-bottom order.
void spreadLabels(std::vector<CurveLabel>& labels, double gap, double top, double bottom) {
    double previous = top - gap;
    for (CurveLabel& label : labels) {
        label.y = std::max(label.anchor.y(), previous + gap);
        previous = label.y;
    }
    double next = bottom + gap;
    for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
        it->y = std::min(it->y, next - gap);
        next = it->y;
    }
}

void drawTextCentredAt(QPainter& p, const QFontMetricsF& fm, QPointF leftMiddle,
                       const QString& text) {
    p.drawText(QPointF(leftMiddle.x(), leftMiddle.y() + (fm.ascent() - fm.descent()) / 2), text);
}

void paintGrid(QPainter& p, const MoodyAxes& axes, const QRectF& plot, const Metrics& m) {
    p.setRenderHint(QPainter::Antialiasing, false);
    const int firstDecade = static_cast<int>(std::floor(std::log10(axes.minReynolds())));
    const int lastDecade = static_cast<int>(std::ceil(std::log10(axes.maxReynolds())));
    for (int decade = firstDecade; decade <= lastDecade; ++decade) {
        for (int digit = 1; digit <= 9; ++digit) {
            const double re = digit * std::pow(10.0, decade);
            if (re < axes.minReynolds() || re > axes.maxReynolds())
                continue;
            p.setPen(QPen(digit == 1 ? kMajorGridColour : kMinorGridColour, m.unit));
            const double x = axes.xFor(re, plot);
            p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        }
    }
    for (double f : kFrictionGrid) {
        p.setPen(QPen(f == 0.01 || f == 0.1 ? kMajorGridColour : kMinorGridColour, m.unit));
        const double y = axes.yFor(f, plot);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
}

void paintTickLabels(QPainter& p, const MoodyAxes& axes, const QRectF& plot, const Metrics& m) {
    p.setPen(kTextColour);
    p.setFont(m.font);
    const int firstDecade = static_cast<int>(std::ceil(std::log10(axes.minReynolds())));
    const int lastDecade = static_cast<int>(std::floor(std::log10(axes.maxReynolds())));
    for (int decade = firstDecade; decade <= lastDecade; ++decade) {
        // A label at the right edge ends there, clear of the curve labels beside it.
        const double halfWidth = decadeLabelWidth(m, decade) / 2;
        const double x =
            std::min(axes.xFor(std::pow(10.0, decade), plot), plot.right() - halfWidth);
        drawDecadeLabel(p, m, x, plot.bottom() + 3 * m.unit, decade);
    }
    // Friction factors from the bottom up, leaving out any that would touch the one drawn
    // below it or the labels of 0.01 and 0.1, which always show.
    const double clearance = m.fm.height() * 1.05;
    const double decadeYs[] = {axes.yFor(0.01, plot), axes.yFor(0.1, plot)};
    double lastY = plot.bottom() + 2 * clearance;
    for (double f : kFrictionGrid) {
        const double y = axes.yFor(f, plot);
        const bool decade = f == 0.01 || f == 0.1;
        bool clear = lastY - y >= clearance;
        for (double decadeY : decadeYs)
            clear = clear && (decade || std::fabs(decadeY - y) >= clearance);
        if (!clear && !decade)
            continue;
        const QString text = frictionText(f);
        drawTextCentredAt(
            p, m.fm, QPointF(plot.left() - 4 * m.unit - m.fm.horizontalAdvance(text), y), text);
        lastY = y;
    }
}

void paintTitles(QPainter& p, const QRectF& bounds, const QRectF& plot, const Metrics& m) {
    p.setPen(kTextColour);
    p.setFont(m.titleFont);
    p.drawText(QRectF(plot.left(), bounds.top(), plot.width(), plot.top() - bounds.top()),
               Qt::AlignCenter, QStringLiteral("Moody Diagram"));
    p.setFont(m.font);
    const double titleTop = plot.bottom() + 3 * m.unit + m.fm.height() * 1.3 + 2 * m.unit;
    p.drawText(QRectF(plot.left(), titleTop, plot.width(), m.fm.height()), Qt::AlignCenter,
               QStringLiteral("Reynolds number  Re = ρvD/μ"));
    p.save();
    p.translate(bounds.left() + 4 * m.unit, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), m.fm.height()), Qt::AlignCenter,
               QStringLiteral("Darcy friction factor  f"));
    p.restore();
}

/// Names of the zones, in smaller grey type, each drawn only where it fits.
void paintZoneTexts(QPainter& p, const MoodyAxes& axes, const QRectF& plot, const Metrics& m) {
    p.setPen(kZoneTextColour);
    p.setFont(m.smallFont);
    const double pad = 4 * m.unit;

    // Laminar: under the laminar line, left of the band.
    const QString laminar = QStringLiteral("Laminar");
    const QString law = QStringLiteral("f = 64/Re");
    const double bandLeft = axes.xFor(kTurbulentReynolds, plot);
    const double textWidth =
        std::max(m.small.horizontalAdvance(laminar), m.small.horizontalAdvance(law));
    if (plot.left() + pad + textWidth < bandLeft - pad) {
        const double y = axes.yFor(0.016, plot);
        p.drawText(QPointF(plot.left() + pad, y), laminar);
        p.drawText(QPointF(plot.left() + pad, y + m.small.lineSpacing()), law);
    }

    // Transition: upright in the band, from its foot.
    const QString transition = QStringLiteral("Transition zone");
    const double bandRight = axes.xFor(kTransitionEndReynolds, plot);
    if (bandRight - bandLeft > m.small.height() &&
        plot.height() * 0.45 > m.small.horizontalAdvance(transition)) {
        p.save();
        p.translate((bandLeft + bandRight) / 2 + (m.small.ascent() - m.small.descent()) / 2,
                    plot.bottom() - pad);
        p.rotate(-90);
        p.drawText(QPointF(0, 0), transition);
        p.restore();
    }

    // Fully rough: right of the dashed boundary, near the top.
    const QString rough = QStringLiteral("Fully rough");
    const QPointF roughAt = axes.toPixel(2e5, 0.09, plot);
    if (roughAt.x() + m.small.horizontalAdvance(rough) < plot.right() - pad)
        drawTextCentredAt(p, m.small, roughAt, rough);

    // Smooth pipes: under the smooth curve, which has nothing below it.
    const QString smooth = QStringLiteral("smooth pipes");
    const double smoothRe = 3e5;
    const QPointF onCurve = axes.toPixel(smoothRe, TurbulentFrictionFactor(0, smoothRe), plot);
    const double smoothLeft = onCurve.x() - m.small.horizontalAdvance(smooth);
    if (smoothLeft > axes.xFor(kTransitionEndReynolds, plot) + pad &&
        onCurve.y() + pad + m.small.height() < plot.bottom())
        p.drawText(QPointF(smoothLeft, onCurve.y() + pad + m.small.ascent()), smooth);
    p.setFont(m.font);
}

/// The relative roughness of each curve in a column right of the axes, level with the curve's
/// end where there is room, joined to it by a thin leader. Curves that run out through the
/// bottom edge are joined at the point where they leave.
void paintCurveLabels(QPainter& p, const MoodyAxes& axes, const MoodyCurves& curves,
                      const QRectF& plot, const Metrics& m) {
    std::vector<CurveLabel> labels;
    for (auto it = curves.roughness.rbegin(); it != curves.roughness.rend(); ++it) {
        if (it->relRoughness == 0)
            continue; // named inside the plot
        const QPointF exit = curveExit(*it, axes, plot);
        labels.push_back({exit, exit.y(), it->label});
    }
    std::stable_sort(labels.begin(), labels.end(), [](const CurveLabel& a, const CurveLabel& b) {
        return a.anchor.y() < b.anchor.y();
    });
    const double gap = m.fm.height();
    spreadLabels(labels, gap, plot.top() + gap / 2, plot.bottom() + 2 * gap);

    const double textLeft = plot.right() + 14 * m.unit;
    p.setFont(m.font);
    for (const CurveLabel& label : labels) {
        p.setPen(QPen(kLeaderColour, 0.8 * m.unit));
        p.drawLine(label.anchor, QPointF(textLeft - 3 * m.unit, label.y));
        p.setPen(kTextColour);
        drawTextCentredAt(p, m.fm, QPointF(textLeft, label.y), label.text);
    }
    p.setFont(m.titleFont);
    p.drawText(QPointF(textLeft, plot.top() - m.title.descent() - 3 * m.unit),
               QStringLiteral("k/D"));
    p.setFont(m.font);
}

} // namespace

MoodyRenderer::MoodyRenderer(const QFont& font) : font_(font), curves_(&StandardMoodyCurves()) {}

QRectF MoodyRenderer::plotRect(const QRectF& bounds, const QPaintDevice* device) const {
    const Metrics m(font_, device);
    const double left = 4 * m.unit + m.fm.height() + 6 * m.unit +
                        m.fm.horizontalAdvance(QStringLiteral("0.008")) + 4 * m.unit;
    const double right = 14 * m.unit + maxCurveLabelWidth(m) + 6 * m.unit;
    const double top = m.title.height() * 1.6;
    const double bottom = 3 * m.unit + m.fm.height() * 1.3 + 2 * m.unit + m.fm.height() + m.unit;
    QRectF plot = bounds.adjusted(left, top, -right, -bottom);
    plot.setWidth(std::max(plot.width(), 1.0));
    plot.setHeight(std::max(plot.height(), 1.0));
    return plot;
}

void MoodyRenderer::paintBackground(QPainter& p, const QRectF& bounds) const {
    const Metrics m(font_, p.device());
    const QRectF plot = plotRect(bounds, p.device());
    p.save();
    p.fillRect(bounds, Qt::white);

    // The transition band, where no friction factor is reliable.
    p.fillRect(QRectF(QPointF(axes_.xFor(kTurbulentReynolds, plot), plot.top()),
                      QPointF(axes_.xFor(kTransitionEndReynolds, plot), plot.bottom())),
               kBandColour);
    paintGrid(p, axes_, plot, m);

    p.setRenderHint(QPainter::Antialiasing, true);
    // One-pixel pens keep the screen's lines on the rasterizer's fast path for thin lines.
    p.setPen(QPen(kLaminarColour, m.unit));
    drawDataLine(p, curves_->laminar, axes_, plot);
    p.setPen(QPen(kLaminarColour, m.unit, Qt::DotLine));
    drawDataLine(p, curves_->laminarExtension, axes_, plot);
    for (const MoodyCurve& curve : curves_->roughness) {
        p.setPen(QPen(curve.relRoughness == 0 ? kLaminarColour : kCurveColour, m.unit));
        drawDataLine(p, curve.points, axes_, plot);
    }
    QPen boundaryPen(kBoundaryColour, m.unit, Qt::DashLine);
    p.setPen(boundaryPen);
    drawDataLine(p, curves_->roughBoundary, axes_, plot);

    paintZoneTexts(p, axes_, plot, m);
    paintCurveLabels(p, axes_, *curves_, plot, m);
    paintTickLabels(p, axes_, plot, m);
    paintTitles(p, bounds, plot, m);

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kFrameColour, m.unit));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    p.restore();
}

void MoodyRenderer::paintOperatingPoint(QPainter& p, const QRectF& bounds,
                                        const MoodyOperatingPoint& point) const {
    const Metrics m(font_, p.device());
    const QRectF plot = plotRect(bounds, p.device());
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setFont(m.font);
    const QString text = operatingPointText(point);
    if (!hasPosition(point)) {
        p.setPen(kTextColour);
        p.drawText(plot.adjusted(8 * m.unit, 6 * m.unit, -8 * m.unit, -6 * m.unit),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        p.restore();
        return;
    }

    const QPointF exact = axes_.toPixel(point.reynolds, point.friction, plot);
    const QPointF at(std::clamp(exact.x(), plot.left(), plot.right()),
                     std::clamp(exact.y(), plot.top(), plot.bottom()));
    const double radius = 5 * m.unit;
    if (at != exact) {
        // An arrow from the edge towards the point.
        const QPointF away = exact - at;
        const double length = std::hypot(away.x(), away.y());
        const QPointF d = away / length;
        const QPointF across(-d.y(), d.x());
        const QPolygonF arrow{at + d * (radius + 10 * m.unit), at + d * radius + across * radius,
                              at + d * radius - across * radius};
        p.setPen(Qt::NoPen);
        p.setBrush(kMarker);
        p.drawPolygon(arrow);
    }
    p.setPen(QPen(Qt::white, 1.5 * m.unit));
    p.setBrush(kMarker);
    p.drawEllipse(at, radius, radius);

    // The label beside the marker: above right, else left, else below, kept within bounds.
    const QSizeF size = m.fm.size(0, text) + QSizeF(10 * m.unit, 6 * m.unit);
    const double offset = radius + 6 * m.unit;
    QRectF box(QPointF(at.x() + offset, at.y() - offset - size.height()), size);
    if (box.right() > plot.right())
        box.moveRight(at.x() - offset);
    if (box.top() < plot.top())
        box.moveTop(at.y() + offset);
    if (box.bottom() > bounds.bottom())
        box.moveBottom(bounds.bottom());
    if (box.left() < bounds.left())
        box.moveLeft(bounds.left());
    p.setPen(QPen(kFrameColour, 0.8 * m.unit));
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRect(box);
    p.setPen(kTextColour);
    p.drawText(box.adjusted(5 * m.unit, 3 * m.unit, -5 * m.unit, -3 * m.unit),
               Qt::AlignLeft | Qt::AlignVCenter, text);
    p.restore();
}

void MoodyRenderer::paint(QPainter& painter, const QRectF& bounds,
                          const std::optional<MoodyOperatingPoint>& point) const {
    paintBackground(painter, bounds);
    if (point)
        paintOperatingPoint(painter, bounds, *point);
}

bool MoodyRenderer::hasPosition(const MoodyOperatingPoint& point) {
    return std::isfinite(point.reynolds) && std::isfinite(point.friction) && point.reynolds > 0 &&
           point.friction > 0;
}

QString MoodyRenderer::operatingPointText(const MoodyOperatingPoint& point) {
    const QString regime = QString::fromStdString(RegimeName(point.regime));
    if (!hasPosition(point)) {
        return regime.isEmpty()
                   ? QStringLiteral("The current case has no point on the diagram.")
                   : QStringLiteral("The current case has no point on the diagram (%1).")
                         .arg(regime);
    }
    const QLocale english(QLocale::English);
    const QString re = point.reynolds >= 100 && point.reynolds < 1e12
                           ? english.toString(point.reynolds, 'f', 0)
                           : QString::number(point.reynolds, 'g', 4);
    QString text =
        QStringLiteral("Re = %1\nf = %2").arg(re, QString::number(point.friction, 'g', 4));
    if (!regime.isEmpty())
        text += QLatin1Char('\n') + regime;
    if (!MoodyAxes().contains(point.reynolds, point.friction))
        text += QStringLiteral("\n(outside the chart)");
    return text;
}

QColor MoodyRenderer::markerColour() {
    return kMarker;
}

void RenderMoodyDiagram(QPainter& painter, const QRectF& bounds,
                        const std::optional<MoodyOperatingPoint>& point) {
    MoodyRenderer(painter.font()).paint(painter, bounds, point);
}

} // namespace corvel
