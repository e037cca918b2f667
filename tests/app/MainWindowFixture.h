#pragma once

// Fixtures of the window tests: a program of the test's own (folders, settings, error reports)
// and, on top of it, a main window with its companions and a watchdog for modal dialogs.

#include "app/Main.h"
#include "shell/Startup.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace corvel {

class TEntryGrid;
class TReportForm;
class TRoughnessForm;

namespace test {

/// The program and user data folders in a temporary folder of the test's own, the settings
/// under a key of the test's own (emptied first) and the messages of the general error report
/// recorded in `errors_` instead of shown.
class AppSandbox : public ::testing::Test {
protected:
    /// `settingsName` names the settings store, "Software\Kestrone\<settingsName>".
    explicit AppSandbox(std::string settingsName);

    void SetUp() override;
    void TearDown() override;

    /// The settings key of the program, as the settings store takes it.
    std::string settingsKey() const;
    /// The same store through QSettings.
    QSettings settings() const;

    QTemporaryDir folder_;
    /// The user data folder set up; the test's folder when left empty before SetUp.
    std::string userDataFolder_;
    std::vector<std::string> errors_;

private:
    std::string settingsName_;
    ErrorReportHook previousHook_;
};

/// What the fixtures of different windows set apart.
struct MainWindowOptions {
    /// A report window as the main window's second companion.
    bool withReport = true;
    /// How often the watchdog looks for a modal dialog [ms].
    int watchdogInterval = 200;
    /// An error report still recorded when the test ends fails it.
    bool errorsFail = false;
};

/// A main window with its roughness guide and report window in an `AppSandbox`, shown and
/// active (the first activation solves). A modal dialog that no test step expects is closed
/// and reported instead of hanging the run; a step that opens one sets `expectingModal_`.
class MainWindowFixture : public AppSandbox {
protected:
    explicit MainWindowFixture(std::string settingsName, MainWindowOptions options = {});
    ~MainWindowFixture() override;

    void SetUp() override;
    void TearDown() override;

    /// Makes, shows and activates a new main window.
    void open();
    /// Closes the window, which keeps its settings and case, and opens a new one.
    void reopen();

    /// Runs on each new main window before it shows.
    virtual void prepareWindow(TMainForm& form);
    /// Called by the watchdog while `modal` is up: fails the test and closes it, unless
    /// `expectingModal_` is set.
    virtual void handleModal(QWidget* modal);

    TEntryGrid& grid();
    /// The text of the value cell of input row `row`.
    QString value(int row);
    /// The value text of result line `line`.
    QString result(int line);

    /// Clicks the value cell of `row`.
    void selectValueCell(int row);
    /// Types `text` into the value cell of `row` as a user does: click to select, type (which
    /// opens the editor), Enter.
    void typeValue(int row, const QString& text);

    std::unique_ptr<TMainForm> form_;
    TRoughnessForm* roughness_ = nullptr;
    TReportForm* report_ = nullptr;
    QTimer watchdog_;
    bool expectingModal_ = false;

private:
    MainWindowOptions options_;
};

} // namespace test
} // namespace corvel
