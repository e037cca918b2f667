#pragma once

#include <future>
#include <thread>

namespace corvel {

/// Loads the desktop's font configuration on a second thread while the application object
/// connects to the display, and then fills the toolkit's font database there, while the main
/// thread builds the windows. The first text the windows measure would otherwise wait for both.
///
/// Make it first thing in main(); call ApplicationReady() once the QApplication exists; it
/// finishes (joins) when ApplicationReady is never called, at the latest when destroyed, which
/// must happen before the QApplication is destroyed.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    /// The application object exists: the font database may be filled now.
    void ApplicationReady();
    /// Waits until the thread is done.
    void Finish();

private:
    std::promise<bool> applicationReady_;
    bool signalled_ = false;
    std::thread thread_;
};

} // namespace corvel
