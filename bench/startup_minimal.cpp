// The yardstick for the calculator's start-up and memory: a Qt Widgets program with one empty
// main window of the calculator's size, shown and activated the same way, with the same
// CORVEL_BENCH_STARTUP hook ("started <ns since the epoch>" once painted after activation).
#include <QApplication>
#include <QEvent>
#include <QMainWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

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

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(413, 384);
    window.show();
    window.activateWindow();
    std::unique_ptr<StartupProbe> probe;
    if (const char* mode = std::getenv("CORVEL_BENCH_STARTUP"))
        probe = std::make_unique<StartupProbe>(&window, std::strcmp(mode, "stay") != 0);
    return application.exec();
}
