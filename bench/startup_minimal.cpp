// The yardstick for the calculator's start-up and memory: a Qt Widgets program with one main
// window of the calculator's size, shown and activated the same way, with the same
// CORVEL_BENCH_STARTUP hook ("started <ns since the epoch>" once first painted).
// With CORVEL_BENCH_MINIMAL_TEXT set, the window shows one line of text in a label, as the
// targets are measured: what the first text of any window costs (the font configuration, font
// database, one font, glyphs). Without it the window stays empty, for comparison.
#include "app/StartupProbe.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <cstdlib>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(413, 384);
    if (std::getenv("CORVEL_BENCH_MINIMAL_TEXT"))
        window.setCentralWidget(new QLabel(QStringLiteral("Water Flow Calculator")));
    window.show();
    window.activateWindow();
    std::unique_ptr<corvel::StartupProbe> probe;
    if (const char* mode = std::getenv("CORVEL_BENCH_STARTUP"))
        probe = std::make_unique<corvel::StartupProbe>(&window, std::strcmp(mode, "stay") != 0);
    return application.exec();
}
