#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace corvel {

/// The calculator's command line. "--help" (-h) and "--version" (-v) are answered on the
/// terminal; a FILE argument names a case file for the window to open; every other argument
/// (the toolkit's own options such as -style or -reverse, further words) is left to the window,
/// which ignores what it does not know.
class CommandLine {
public:
    enum class Action { OpenWindow, ShowHelp, ShowVersion };

    /// Reads `arguments`, the program's name first.
    explicit CommandLine(const QStringList& arguments);

    Action action() const { return action_; }
    /// The case file to open at start-up: the first argument that is no option; empty when
    /// there is none. Read it from the arguments the toolkit left (QCoreApplication::arguments()
    /// after the application object is made), so that "-style fusion" gives no file "fusion".
    QString caseFile() const;
    /// The usage text of --help.
    QString helpText() const;

    /// Answers --help and --version on `out` and gives the exit status; gives no value when the
    /// window should open. Reads nothing when there are no arguments, so a plain start pays
    /// nothing for it; needs no display.
    static std::optional<int> Answer(int argc, char** argv, std::FILE* out = stdout);

private:
    QCommandLineParser parser_;
    QCommandLineOption help_;
    QCommandLineOption version_;
    Action action_ = Action::OpenWindow;
};

} // namespace corvel
