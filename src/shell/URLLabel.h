#pragma once

// A label that opens its address with the desktop's default handler when clicked.

#include <QLabel>

#include <functional>

namespace corvel {

class TURLLabel : public QLabel {
    Q_OBJECT

public:
    explicit TURLLabel(QWidget* parent = nullptr);

    QString URL() const { return url_; }
    /// A caption that is empty or shows the old address follows the new one; a caption set by
    /// hand stays.
    void SetURL(const QString& value);

    QString Caption() const { return caption_; }
    /// An empty caption shows the address instead.
    void SetCaption(const QString& value);

    /// Runs after the address has been handed to the desktop.
    std::function<void(QObject* Sender)> OnClick;

    /// Opens the address, then runs OnClick.
    void Click();

    /// How an address is opened; the desktop's default handler unless replaced (tests).
    static std::function<void(const QString& url)>& OpenHook();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showCaption();

    QString url_;
    QString caption_;
};

} // namespace corvel
