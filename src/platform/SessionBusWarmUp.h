#pragma once

#include <thread>

class QByteArray;
class QString;

namespace corvel {

/// Connects to the desktop's session bus on a second thread while the main thread builds the
/// windows.
///
/// The first widget that tells the accessibility bridge about a change makes the bridge, and the
/// bridge connects to the session bus to find the screen readers' bus, waiting for the
/// connection; with no bus running, the bus library even starts a child process to look for
/// one. Connected beforehand, the bridge finds the connection made. The bridge itself is made
/// when and as the toolkit always makes it: screen readers see the windows as before.
///
/// Make it once the QApplication exists (the toolkit takes the thread that makes its first
/// object for the main thread); it finishes (joins) at the latest when destroyed, which must
/// happen before the QApplication is destroyed.
class SessionBusWarmUp {
public:
    SessionBusWarmUp();
    ~SessionBusWarmUp();
    SessionBusWarmUp(const SessionBusWarmUp&) = delete;
    SessionBusWarmUp& operator=(const SessionBusWarmUp&) = delete;

    /// Whether the accessibility bridge of the display platform `platformName` asks for the
    /// session bus: the desktop platforms' bridges do, unless AT_SPI_BUS_ADDRESS
    /// (`atSpiAddress`) names the screen readers' bus itself.
    static bool Wanted(const QString& platformName, const QByteArray& atSpiAddress);

    /// Whether a connection is being made.
    bool Started() const { return thread_.joinable(); }
    /// Waits until the connection has been made or has failed.
    void Finish();

private:
    std::thread thread_;
};

} // namespace corvel
