#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace corvel {

/// The calculator's command line. "--help" (-h) and "--version" (-v) are answered on the
/// terminal; every other argument (the toolkit's own options such as -style or -reverse, any
/// other word) is left to the window, which ignores what it does not know.
class CommandLine {
public:
    enum class Action { OpenWindow, ShowHelp, ShowVersion };

    /// Reads `arguments`, the program's name first.
    explicit CommandLine(const QStringList& arguments);

    Action action() const { return action_; }
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
