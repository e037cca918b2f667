#include "platform/SessionBusWarmUp.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QString>

namespace corvel {

SessionBusWarmUp::SessionBusWarmUp() {
    if (QGuiApplication::instance() != nullptr &&
        Wanted(QGuiApplication::platformName(), qgetenv("AT_SPI_BUS_ADDRESS")))
        // The toolkit keeps the connection for the whole process, for whoever asks next.
        thread_ = std::thread([] { QDBusConnection::sessionBus(); });
}

SessionBusWarmUp::~SessionBusWarmUp() {
    Finish();
}

bool SessionBusWarmUp::Wanted(const QString& platformName, const QByteArray& atSpiAddress) {
    const bool desktop =
        platformName == QLatin1String("xcb") || platformName.startsWith(QLatin1String("wayland"));
    return desktop && atSpiAddress.isEmpty();
}

void SessionBusWarmUp::Finish() {
    if (thread_.joinable())
        thread_.join();
}

} // namespace corvel
