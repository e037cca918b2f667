#include "chart/MoodyDiagram.h"

#include <QEvent>
#include <QPainter>

namespace corvel {

MoodyDiagram::MoodyDiagram(QWidget* parent) : QWidget(parent), renderer_(font()) {
    setObjectName(QStringLiteral("moodyDiagram"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MoodyDiagram::setOperatingPoint(double reynolds, double friction, int regime) {
    point_ = MoodyOperatingPoint{reynolds, friction, regime};
    update();
}

void MoodyDiagram::clearOperatingPoint() {
    point_.reset();
    update();
}

QRectF MoodyDiagram::plotRect() const {
    return renderer_.plotRect(rect(), this);
}

void MoodyDiagram::render(QPainter& painter, const QRectF& bounds) const {
    renderer_.paint(painter, bounds, point_);
}

QSize MoodyDiagram::sizeHint() const {
    return {1000, 700};
}

QSize MoodyDiagram::minimumSizeHint() const {
    return {360, 260};
}

void MoodyDiagram::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (background_.size() != pixels || background_.devicePixelRatio() != ratio) {
        background_ = QPixmap(pixels);
        background_.setDevicePixelRatio(ratio);
        QPainter cache(&background_);
        renderer_.paintBackground(cache, rect());
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
    if (point_)
        renderer_.paintOperatingPoint(painter, rect(), *point_);
}

void MoodyDiagram::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        renderer_ = MoodyRenderer(font());
        background_ = QPixmap();
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace corvel
