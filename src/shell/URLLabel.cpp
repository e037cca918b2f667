#include "shell/URLLabel.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

namespace corvel {

TURLLabel::TURLLabel(QWidget* parent) : QLabel(parent) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(palette);
    QFont font = this->font();
    font.setUnderline(true);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    // Reachable with Tab and opened with Enter or Space, like a link in a browser.
    setFocusPolicy(Qt::TabFocus);
}

std::function<void(const QString& url)>& TURLLabel::OpenHook() {
    static std::function<void(const QString&)> hook = [](const QString& url) {
        QDesktopServices::openUrl(QUrl(url)); // a failure gives no message
    };
    return hook;
}

void TURLLabel::SetURL(const QString& value) {
    if (value == url_)
        return;
    if (caption_.isEmpty() || caption_ == url_)
        caption_ = value;
    url_ = value;
    showCaption();
}

void TURLLabel::SetCaption(const QString& value) {
    caption_ = value;
    showCaption();
}

void TURLLabel::showCaption() {
    setText(caption_.isEmpty() ? url_ : caption_);
}

void TURLLabel::Click() {
    if (!url_.isEmpty() && OpenHook())
        OpenHook()(url_);
    if (OnClick)
        OnClick(this);
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
}

void TURLLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space) {
        Click();
        return;
    }
    QLabel::keyPressEvent(event);
}

} // namespace corvel
