#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QResource>
#include <QString>

namespace corvel {

/// Corvel's icon for the title bar and the task switcher, 16 to 64 px, from the program's own
/// resources, so that a build tree or a portable copy shows it too. The images are raw RGBA
/// pixels: reading a PNG would make the toolkit look for image plugins and load every one of
/// them (the SVG one with its library) before the window first shows.
inline QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        const QByteArray pixels =
            QResource(QStringLiteral(":/icons/corvel-%1.rgba").arg(size)).uncompressedData();
        if (pixels.size() != size * size * 4)
            continue; // not the image it should be: that size is left out
        const QImage image(reinterpret_cast<const uchar*>(pixels.constData()), size, size, size * 4,
                           QImage::Format_RGBA8888);
        // copy(): the pixmap must not refer to the byte array, which goes with this loop.
        icon.addPixmap(QPixmap::fromImage(image.copy()));
    }
    return icon;
}

} // namespace corvel
