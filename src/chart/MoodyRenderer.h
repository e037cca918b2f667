#pragma once

// Lays out and paints the Moody diagram into any paint device (widget, image, printer, SVG).

#include "chart/MoodyAxes.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QPainter;
class QPaintDevice;

namespace corvel {

struct MoodyCurves;

/// The case marked on the diagram: its Reynolds number, Darcy friction factor and regime code.
struct MoodyOperatingPoint {
    double reynolds;
    double friction;
    int regime;
};

/// Paints the diagram: grid and decade labels, axis titles, the laminar line, the shaded
/// transition band, the curves of constant relative roughness labelled at the right, the fully
/// rough boundary and the operating point. Text sizes follow the device's resolution and line
/// widths are scaled from a 96 dpi pixel, so a printout looks like the window.
class MoodyRenderer {
public:
    explicit MoodyRenderer(const QFont& font = QFont());

    const MoodyAxes& axes() const { return axes_; }

    /// The axes' rectangle inside `bounds` when painted on `device`.
    QRectF plotRect(const QRectF& bounds, const QPaintDevice* device) const;

    /// Everything but the operating point, on a white ground.
    void paintBackground(QPainter& painter, const QRectF& bounds) const;

    /// The operating point's marker and label. A point outside the axes is marked on the edge
    /// nearest to it with an arrow pointing its way and "outside the chart" in the label; a
    /// point without a position (Reynolds number or friction factor not positive, or not a
    /// number) is reported in a line of text instead.
    void paintOperatingPoint(QPainter& painter, const QRectF& bounds,
                             const MoodyOperatingPoint& point) const;

    /// Background and, when given, the operating point.
    void paint(QPainter& painter, const QRectF& bounds,
               const std::optional<MoodyOperatingPoint>& point) const;

    /// The label of the operating point, one item to a line, e.g.
    /// "Re = 229,239\nf = 0.01744\nTransition".
    static QString operatingPointText(const MoodyOperatingPoint& point);

    /// Whether the point has a position on log axes at all.
    static bool hasPosition(const MoodyOperatingPoint& point);

    /// The marker's fill colour; nothing else in the diagram is painted in it.
    static QColor markerColour();

private:
    QFont font_;
    MoodyAxes axes_;
    const MoodyCurves* curves_;
};

/// Paints the whole diagram into `bounds` with `point` marked, e.g. onto a printer page.
void RenderMoodyDiagram(QPainter& painter, const QRectF& bounds,
                        const std::optional<MoodyOperatingPoint>& point);

} // namespace corvel
