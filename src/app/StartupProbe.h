#pragma once

// Start-up benchmark hook for bench/startup.py, off unless CORVEL_BENCH_STARTUP is set.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace corvel {

/// Once the main window has been shown and activated (which solves the case) and is painted
/// with the results, prints "started <nanoseconds since the epoch>" and quits ("exit") or keeps
/// running ("stay").
class StartupProbe : public QObject {
public:
    StartupProbe(QWidget* window, bool quit) : window_(window), quit_(quit) {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate && watched == window_) {
            // Queued: runs after the window has handled its activation (and solved).
            QMetaObject::invokeMethod(
                this,
                [this] {
                    activated_ = true;
                    check();
                },
                Qt::QueuedConnection);
        } else if (event->type() == QEvent::Paint && watched->isWidgetType() &&
                   static_cast<QWidget*>(watched)->window() == window_) {
            painted_ = true;
            QMetaObject::invokeMethod(
                this, [this] { check(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    /// Once shown and activated: paints what changed since (the results) and reports.
    void check() {
        if (!activated_ || !painted_ || done_)
            return;
        done_ = true;
        QCoreApplication::instance()->removeEventFilter(this);
        window_->repaint();
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("started %lld\n",
                    static_cast<long long>(std::chrono::nanoseconds(now).count()));
        std::fflush(stdout);
        if (quit_)
            QCoreApplication::quit();
    }

    QWidget* window_;
    bool quit_;
    bool activated_ = false;
    bool painted_ = false;
    bool done_ = false;
};


} // namespace corvel
