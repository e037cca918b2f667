#include "shell/Startup.h"

#include "platform/Errors.h"
#include "platform/QtRegionalFormats.h"
#include "platform/RegIniFile.h"
#include "shell/DeferredIconStyle.h"
#include "shell/Folders.h"

#include <QLocale>
#include <QMessageBox>
#include <QStyleFactory>
#include <clocale>
#include <exception>

namespace corvel {

namespace {

void showErrorBox(const std::string& message) {
    QMessageBox::critical(QApplication::activeWindow(), QCoreApplication::applicationName(),
                          QString::fromStdString(message));
}

ErrorReportHook& errorReportHook() {
    static ErrorReportHook hook = showErrorBox;
    return hook;
}

} // namespace

ErrorReportHook SetErrorReportHook(ErrorReportHook hook) {
    ErrorReportHook previous = std::move(errorReportHook());
    errorReportHook() = hook ? std::move(hook) : ErrorReportHook(showErrorBox);
    return previous;
}

void ReportError(const std::string& message) {
    try {
        errorReportHook()(message);
    } catch (...) {
        // the report itself failed: there is nowhere left to show it
    }
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(error.what());
    } catch (...) {
        ReportError("An unknown error occurred.");
    }
    return false;
}

void FixNumberFormat() {
    // The C locale of Qt has "." and ","; the C library's number conversions follow LC_NUMERIC,
    // which QApplication set from the environment.
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_NUMERIC, "C");
}

void StartUp(TApplication& application) {
    FixNumberFormat();
    SetRegionalFormats(std::make_shared<QtRegionalFormats>());

    ShellValues& shell = Shell();
    shell.Maker = ReadMakerDetails(CommonFilesFolder());
    InitFolders(shell);
    shell.ShowAtStartup =
        TRegIniFile(shell.SettingsKeyName).ReadBool("Settings", "SplashScreen", false);

    // The style in use (the desktop's or the one asked for with -style), its icons made on use.
    QApplication::setStyle(
        new DeferredIconStyle(QStyleFactory::create(QApplication::style()->name())));
    // Menus stay in the window on every desktop, as designed; asking the session bus for a
    // global menu bar would also hold up the first showing of the window.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);

    // There is no help file to name: help pages are opened through the desktop's handler.
    // The application title is the application name; a display name would be appended to every
    // window title by the desktop.
    application.setOrganizationName(QStringLiteral("Kestrone"));
    application.setApplicationName(QStringLiteral("Corvel"));
}

} // namespace corvel
