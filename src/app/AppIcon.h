#pragma once

#include <QIcon>
#include <QSize>
#include <QString>

namespace corvel {

/// Corvel's icon for the title bar and the task switcher, from the program's own resources, so
/// that a build tree or a portable copy shows it too. Only the small sizes: each is a few
/// kilobytes to decode at start-up, where the 256 px image would cost far more.
inline QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/corvel-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace corvel
