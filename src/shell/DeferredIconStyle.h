#pragma once

#include <QProxyStyle>

namespace corvel {

/// The desktop's style, except that its standard icons are made when first drawn or measured.
///
/// Making a standard icon reads its image file, and the first image read loads every image
/// format plugin to find the file's format: several milliseconds at start-up, paid by a menu bar
/// for an extension button that a window wide enough for its menus never shows.
class DeferredIconStyle : public QProxyStyle {
    Q_OBJECT
public:
    /// Wraps `base` and owns it; a null base stands for the desktop's default style.
    explicit DeferredIconStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

} // namespace corvel
