#include "shell/DeferredIconStyle.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <QWidget>

#include <optional>

namespace corvel {

namespace {

/// An icon engine that asks the style for the real icon the first time the icon is used, for the
/// widget it was asked for if that widget still exists then, with what the general part of the
/// option said (layout direction, state, palette).
class DeferredStandardIcon : public QIconEngine {
public:
    DeferredStandardIcon(const QStyle* style, QStyle::StandardPixmap which,
                         const QStyleOption* option, const QWidget* widget)
        : style_(const_cast<QStyle*>(style)), which_(which), widget_(const_cast<QWidget*>(widget)) {
        if (option) {
            option_ = *option;
            // Only the general part was copied: no style may take it for its specific kind.
            option_->type = QStyleOption::SO_Default;
            option_->version = QStyleOption::Version;
        }
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("DeferredStandardIcon"); }
    QIconEngine* clone() const override { return new DeferredStandardIcon(*this); }

private:
    const QIcon& icon() {
        if (!resolved_) {
            resolved_ = true;
            if (style_)
                icon_ = style_->standardIcon(which_, option_ ? &*option_ : nullptr, widget_.data());
        }
        return icon_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    QPointer<QWidget> widget_;
    std::optional<QStyleOption> option_;
    bool resolved_ = false;
    QIcon icon_;
};

} // namespace

DeferredIconStyle::DeferredIconStyle(QStyle* base) : QProxyStyle(base) {}

QIcon DeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                      const QWidget* widget) const {
    return QIcon(new DeferredStandardIcon(baseStyle(), standardIcon, option, widget));
}

} // namespace corvel
