#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cstdio>
#include <string>
#include <vector>

namespace corvel {
namespace {

using Action = CommandLine::Action;

struct CommandLineCase {
    const char* name;
    std::vector<const char*> arguments; // after the program's name
    Action expected;
};

class CommandLineActionTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineActionTest, AnswersOnlyHelpAndVersion) {
    QStringList arguments{QStringLiteral("corvel")};
    for (const char* argument : GetParam().arguments)
        arguments << QString::fromUtf8(argument);
    EXPECT_EQ(CommandLine(arguments).action(), GetParam().expected)
        << arguments.join(QLatin1Char(' ')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineActionTest,
    ::testing::Values(
        CommandLineCase{"NoArguments", {}, Action::OpenWindow},
        CommandLineCase{"LongVersion", {"--version"}, Action::ShowVersion},
        CommandLineCase{"ShortVersion", {"-v"}, Action::ShowVersion},
        CommandLineCase{"LongHelp", {"--help"}, Action::ShowHelp},
        CommandLineCase{"ShortHelp", {"-h"}, Action::ShowHelp},
        CommandLineCase{"VersionBeforeHelp", {"--help", "--version"}, Action::ShowVersion},
        // The toolkit's own options hold the letters v and h but are words, not short options.
        CommandLineCase{"QtReverse", {"-reverse"}, Action::OpenWindow},
        CommandLineCase{"QtStylesheet", {"-stylesheet", "look.qss"}, Action::OpenWindow},
        CommandLineCase{"QtStyle", {"-style", "fusion"}, Action::OpenWindow},
        CommandLineCase{"QtPlatform", {"-platform", "xcb"}, Action::OpenWindow},
        // Anything else is ignored by the window, as it always was.
        CommandLineCase{"FileName", {"Corvel.ini"}, Action::OpenWindow},
        CommandLineCase{"UnknownOption", {"--unknown"}, Action::OpenWindow},
        CommandLineCase{"SingleDash", {"-"}, Action::OpenWindow},
        // After "--" every word is a file name.
        CommandLineCase{"VersionAfterDoubleDash", {"--", "--version"}, Action::OpenWindow}),
    [](const ::testing::TestParamInfo<CommandLineCase>& info) { return info.param.name; });

struct CaseFileArgumentCase {
    const char* name;
    std::vector<const char*> arguments; // after the program's name, as the toolkit left them
    const char* expected;
};

class CaseFileArgumentTest : public ::testing::TestWithParam<CaseFileArgumentCase> {};

TEST_P(CaseFileArgumentTest, TheFirstWordThatIsNoOptionIsTheCaseFile) {
    QStringList arguments{QStringLiteral("corvel")};
    for (const char* argument : GetParam().arguments)
        arguments << QString::fromUtf8(argument);
    EXPECT_EQ(CommandLine(arguments).caseFile().toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CaseFileArgumentTest,
    ::testing::Values(
        CaseFileArgumentCase{"None", {}, ""},
        CaseFileArgumentCase{"OneFile", {"pump line.corvel"}, "pump line.corvel"},
        CaseFileArgumentCase{"FirstOfTwo", {"a.corvel", "b.corvel"}, "a.corvel"},
        CaseFileArgumentCase{"AfterAnUnknownOption", {"--unknown", "a.corvel"}, "a.corvel"},
        CaseFileArgumentCase{"DashedNameAfterDoubleDash", {"--", "-x.corvel"}, "-x.corvel"}),
    [](const ::testing::TestParamInfo<CaseFileArgumentCase>& info) { return info.param.name; });

TEST(CommandLineTest, PlainStartReadsNothingAndOpensTheWindow) {
    char program[] = "corvel";
    char* argv[] = {program, nullptr};
    EXPECT_FALSE(CommandLine::Answer(1, argv).has_value());
}

std::string answered(std::vector<std::string> words, std::optional<int>& status) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::FILE* out = std::tmpfile();
    status = CommandLine::Answer(static_cast<int>(words.size()), argv.data(), out);
    std::string text;
    std::rewind(out);
    for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
        text += static_cast<char>(c);
    std::fclose(out);
    return text;
}

TEST(CommandLineTest, VersionPrintsTheProgramAndItsVersion) {
    std::optional<int> status;
    EXPECT_EQ(answered({"corvel", "--version"}, status), "corvel " CORVEL_TEST_VERSION "\n");
    EXPECT_EQ(status, 0);
}

TEST(CommandLineTest, HelpNamesTheProgramAndBothOptions) {
    std::optional<int> status;
    const std::string help = answered({"corvel", "--help"}, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(help.rfind("Usage: corvel [options] [FILE]\n", 0), 0u) << help;
    EXPECT_NE(help.find("--version"), std::string::npos) << help;
    EXPECT_NE(help.find("--help"), std::string::npos) << help;
}

TEST(CommandLineTest, FailedWriteGivesStatusOne) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (!full)
        GTEST_SKIP() << "no /dev/full";
    char program[] = "corvel";
    char option[] = "--version";
    char* argv[] = {program, option, nullptr};
    EXPECT_EQ(CommandLine::Answer(2, argv, full), 1);
    std::fclose(full);
}

} // namespace
} // namespace corvel
