#pragma once

#include "chart/MoodyRenderer.h"

#include <QImage>
#include <QPointF>

namespace corvel::test {

/// The pixels painted in exactly the marker's colour: their count, centre and extent.
struct MarkerPixels {
    int count = 0;
    QPointF centre;
    double left = 0, right = 0, top = 0, bottom = 0;
};

inline MarkerPixels FindMarker(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb marker = MoodyRenderer::markerColour().rgb() & 0xffffff;
    MarkerPixels found;
    double sumX = 0, sumY = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xffffff) != marker)
                continue;
            // Pixel centres lie half a pixel into each pixel.
            const double cx = x + 0.5, cy = y + 0.5;
            if (found.count == 0) {
                found.left = found.right = cx;
                found.top = found.bottom = cy;
            }
            found.left = std::min(found.left, cx);
            found.right = std::max(found.right, cx);
            found.top = std::min(found.top, cy);
            found.bottom = std::max(found.bottom, cy);
            sumX += cx;
            sumY += cy;
            ++found.count;
        }
    }
    if (found.count > 0)
        found.centre = QPointF(sumX / found.count, sumY / found.count);
    return found;
}

} // namespace corvel::test
