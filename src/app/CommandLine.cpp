#include "app/CommandLine.h"

#include "CorvelVersion.h"

#include <QCoreApplication>

namespace corvel {

namespace {

constexpr const char* kProgram = "corvel";

} // namespace

CommandLine::CommandLine(const QStringList& arguments)
    : help_({QStringLiteral("h"), QStringLiteral("help")},
            QStringLiteral("Show this help and exit.")),
      version_({QStringLiteral("v"), QStringLiteral("version")},
               QStringLiteral("Show the version and exit.")) {
    parser_.setApplicationDescription(QStringLiteral(
        "Water flow calculator: the water's properties, the Reynolds number, the Darcy\n"
        "friction factor and the pressure drop for water flowing full in a round pipe.\n"
        "Without options it opens the calculator's window, with the case file FILE (a\n"
        ".corvel file saved with File > Save As...) when one is given. It also takes the\n"
        "options of every Qt program, such as -style NAME. corvel-solve(1) solves the same\n"
        "case on the command line."));
    parser_.addOption(help_);
    parser_.addOption(version_);
    parser_.addPositionalArgument(QStringLiteral("FILE"),
                                  QStringLiteral("A case file (.corvel) to open."),
                                  QStringLiteral("[FILE]"));
    // "-reverse" and "-stylesheet" are the toolkit's options, not the letters v and h.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Unknown options are no error here: the toolkit takes its own, the rest are ignored as
    // they always were.
    parser_.parse(arguments);
    if (parser_.isSet(version_))
        action_ = Action::ShowVersion;
    else if (parser_.isSet(help_))
        action_ = Action::ShowHelp;
}

QString CommandLine::caseFile() const {
    return parser_.positionalArguments().value(0);
}

QString CommandLine::helpText() const {
    return parser_.helpText();
}

std::optional<int> CommandLine::Answer(int argc, char** argv, std::FILE* out) {
    if (argc <= 1)
        return std::nullopt;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine(arguments);
    switch (commandLine.action()) {
    case Action::OpenWindow:
        return std::nullopt;
    case Action::ShowVersion:
        std::fprintf(out, "%s %s\n", kProgram, CORVEL_VERSION);
        break;
    case Action::ShowHelp: {
        // The usage line names the program through the application object; a core one needs
        // no display.
        static char programName[] = "corvel";
        char* name[] = {programName, nullptr};
        int count = 1;
        const QCoreApplication application(count, name);
        std::fputs(commandLine.helpText().toLocal8Bit().constData(), out);
        break;
    }
    }
    return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
}

} // namespace corvel
