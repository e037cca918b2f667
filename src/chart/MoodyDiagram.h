#pragma once

// The Moody diagram as a widget, with the current case marked on it.

#include "chart/MoodyRenderer.h"

#include <QPixmap>
#include <QWidget>

#include <optional>

namespace corvel {

/// Paints the diagram to fill the widget. Everything but the operating point is painted once
/// per size into a cached picture, so moving the point or repainting costs a copy.
class MoodyDiagram : public QWidget {
    Q_OBJECT
public:
    explicit MoodyDiagram(QWidget* parent = nullptr);

    /// Marks the solved case: its Reynolds number, Darcy friction factor and regime code.
    void setOperatingPoint(double reynolds, double friction, int regime);
    /// Removes the mark.
    void clearOperatingPoint();
    const std::optional<MoodyOperatingPoint>& operatingPoint() const { return point_; }

    const MoodyAxes& axes() const { return renderer_.axes(); }
    /// The axes' rectangle in widget coordinates.
    QRectF plotRect() const;

    /// Paints the diagram as shown, point included, into `bounds` (for printing and export).
    void render(QPainter& painter, const QRectF& bounds) const;
    using QWidget::render;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    MoodyRenderer renderer_;
    std::optional<MoodyOperatingPoint> point_;
    QPixmap background_;
};

} // namespace corvel
