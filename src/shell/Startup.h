#pragma once

// Start-up of the calculator and the application's general error report.

#include <QApplication>
#include <functional>
#include <string>

namespace corvel {

/// Shows the text of an error that escaped an event handler.
using ErrorReportHook = std::function<void(const std::string& message)>;

/// Installs `hook` and returns the one it replaces; an empty hook restores the default, a
/// critical message box titled with the application's title.
ErrorReportHook SetErrorReportHook(ErrorReportHook hook);

/// Shows `message` through the current error report.
void ReportError(const std::string& message);

/// The application object. An exception that escapes the handling of any event is shown by the
/// general error report and the program goes on; none ever crosses the event loop.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

/// "." as decimal and "," as thousands separator for the whole process, whatever the user's
/// regional settings say now or later.
void FixNumberFormat();

/// The start-up steps before the windows are made: number format, maker details, folders (the
/// user data folder created), the "SplashScreen" preference, the style (standard icons made on
/// first use), menus in the window, and the application title "Corvel"
/// (QCoreApplication::applicationName).
/// Throws Exception when the documents folder cannot be had.
void StartUp(TApplication& application);

} // namespace corvel
