#pragma once

// Start-up benchmark hook for bench/startup.py, off unless CORVEL_BENCH_STARTUP is set.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace corvel {

/// Once the main window has been painted for the first time (the calculator's with its case
/// solved, which happens when the window is shown), prints "started <nanoseconds since the
/// epoch>" and quits ("exit") or keeps running ("stay").
class StartupProbe : public QObject {
public:
    StartupProbe(QWidget* window, bool quit) : window_(window), quit_(quit) {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_ && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            painted_ = true;
            // Queued: runs once the whole window has been painted and handed to the display.
            QMetaObject::invokeMethod(
                this, [this] { report(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void report() {
        QCoreApplication::instance()->removeEventFilter(this);
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("started %lld\n",
                    static_cast<long long>(std::chrono::nanoseconds(now).count()));
        std::fflush(stdout);
        if (quit_)
            QCoreApplication::quit();
    }

    QWidget* window_;
    bool quit_;
    bool painted_ = false;
};

} // namespace corvel
