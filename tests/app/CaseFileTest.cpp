#include "app/CaseFile.h"

#include "FileReplacements.h"
#include "platform/Errors.h"
#include "shell/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <limits>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvel {

void PrintTo(const StoredCase& c, std::ostream* out) {
    *out << "{Q " << c.flowRate << ", d " << c.diameter << ", t " << c.temperature << ", k "
         << c.roughness << "}";
}

namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

/// The names in `folder`, sorted.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CaseFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("Corvel.ini");
};

TEST_F(CaseFileTest, WrittenCaseReadsBackExactlyInSixDecimalsOrMore) {
    const StoredCase cases[] = {
        {},
        {0.0000123, 0.0001, -20, 0.0000003},
        {5, 5, 200, 0.2},
        {0.01 / 3, 0.1234567891, 37.123456789, 1e-7},
    };
    for (const StoredCase& stored : cases) {
        CaseFile(path).Write(stored);
        const std::optional<StoredCase> read = CaseFile(path).Read();
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, stored);
    }
    CaseFile(path).Write({});
    EXPECT_EQ(ReadFile(path), "[Store]\nQ=0.024000\nd=0.100000\nt=9.000000\nk=0.000030\n");
}

TEST_F(CaseFileTest, OneWriteReplacesTheFileOnceAndKeepsItsOtherLines) {
    WriteFile(path, "; my pump case\r\n[Store]\r\nQ=1\r\n[Notes]\r\nby=me\r\n");
    test::FileReplacements replacements(dir.path().string(), "Corvel.ini");
    ASSERT_TRUE(replacements.watching());
    CaseFile(path).Write({0.03, 0.2, 10, 0.0001});
    EXPECT_EQ(replacements.count(), 1);
    EXPECT_EQ(ReadFile(path), "; my pump case\r\n[Store]\r\nQ=0.030000\r\nd=0.200000\r\n"
                              "t=10.000000\r\nk=0.000100\r\n[Notes]\r\nby=me\r\n");
}

TEST_F(CaseFileTest, AbsentFileIsNoCase) {
    EXPECT_FALSE(CaseFile(path).Read().has_value());
    EXPECT_FALSE(fs::exists(path)) << "reading creates nothing";
}

TEST_F(CaseFileTest, EachValueIsCheckedAgainstItsInputRow) {
    const struct {
        const char* text;
        StoredCase expected;
    } rows[] = {
        {"[Store]\nQ=nan\nd=-0.2\nt=1E999\nk=0.000100\n",
         {kDefaultFlowRate, kDefaultDiameter, kDefaultTemperature, 0.0001}},
        {"[Store]\nQ=5.000001\nd=5.1\nt=-20.1\nk=0.2000001\n", {}},
        {"[Store]\nQ=0\nd=0\nt=-20\nk=0\n", {0, 0, -20, 0}},
        {"[Store]\nQ=5\nd=5\nt=200\nk=0.2\n", {5, 5, 200, 0.2}},
        {"[Store]\nQ=abc\nd=0,1\nt=\nk=1e-3x\n", {}},
        {"[store]\nq=0.03\n", {0.03, kDefaultDiameter, kDefaultTemperature, kDefaultRoughness}},
        {"[Other]\nQ=0.03\n", {}},
        {"", {}},
        // old Mac line ends
        {"[Store]\rQ=0.03\rd=0.2\r", {0.03, 0.2, kDefaultTemperature, kDefaultRoughness}},
    };
    for (const auto& row : rows) {
        WriteFile(path, row.text);
        const std::optional<StoredCase> read = CaseFile(path).Read();
        ASSERT_TRUE(read.has_value()) << row.text;
        EXPECT_EQ(*read, row.expected) << row.text;
    }
    EXPECT_EQ(ValidStoredCase({std::numeric_limits<double>::infinity(), 0.1, 9, -1e-9}),
              StoredCase{});
}

TEST_F(CaseFileTest, TemporaryFilesOfKilledWritersGoWithTheNextWrite) {
    for (const char* name : {"Corvel.ini.Ab3xYz", "Corvel.ini.QWERTY", "Corvel.ini.backup",
                             "Corvel.ini.bak", "Other.ini.Ab3xYz"})
        WriteFile(dir.file(name), "[Store]\nQ=1\n");
    CaseFile(path).Write({});
    EXPECT_EQ(namesIn(dir.path()),
              (std::vector<std::string>{"Corvel.ini", "Corvel.ini.backup", "Corvel.ini.bak",
                                        "Other.ini.Ab3xYz"}));
}

/// Writes two cases in turn without end; run in a child that is killed.
[[noreturn]] void writeForever(const std::string& path, const StoredCase& a, const StoredCase& b) {
    for (unsigned i = 0;; ++i) {
        try {
            CaseFile(path).Write(i % 2 == 0 ? a : b);
        } catch (...) {
            std::_Exit(3);
        }
    }
}

TEST_F(CaseFileTest, AKillAtAnyMomentLeavesTheOldCaseOrTheNewOne) {
    const StoredCase a{0.03, 0.2, 10, 0.0001}, b{0.004, 0.05, 80, 0.0015};
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicroseconds(0, 10000);
    int complete = 0;
    for (int kill = 0; kill < 40; ++kill) {
        if (kill % 2 == 0)
            fs::remove(path); // half the kills hit the very first save
        const bool saved = fs::exists(path);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            writeForever(path, a, b);
        ::usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed before it was killed";

        const std::optional<StoredCase> read = CaseFile(path).Read();
        if (!read) {
            EXPECT_FALSE(saved) << "a case once saved is never lost";
            continue;
        }
        EXPECT_TRUE(*read == a || *read == b)
            << "kill " << kill << " left " << ::testing::PrintToString(*read) << ":\n"
            << ReadFile(path);
        ++complete;
    }
    EXPECT_GE(complete, 5) << "too few kills came after a complete save to show anything";
    CaseFile(path).Write(a);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Corvel.ini"})
        << "the next write removes what killed writers left";
}

/// Reads and writes `path` and exits 0 when both were refused with their messages; an alarm
/// ends the child should either hang.
[[noreturn]] void readAndWriteRefused(const std::string& path) {
    ::alarm(5);
    int refused = 0;
    try {
        CaseFile(path).Read();
    } catch (const Exception& error) {
        refused += error.message() == "Unable to read " + path;
    }
    try {
        CaseFile(path).Write({});
    } catch (const Exception& error) {
        refused += error.message() == "Unable to write to " + path;
    }
    std::_Exit(refused == 2 ? 0 : 1);
}

TEST_F(CaseFileTest, AnythingButARegularFileIsRefusedWithoutHanging) {
    ASSERT_EQ(::mkfifo(dir.file("fifo.ini").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", dir.file("zero.ini"));
    fs::create_symlink("/dev/null", dir.file("null.ini"));
    fs::create_directory(dir.file("folder.ini"));
    for (const char* name : {"fifo.ini", "zero.ini", "null.ini", "folder.ini"})
        EXPECT_EXIT(readAndWriteRefused(dir.file(name)), ::testing::ExitedWithCode(0), "") << name;
    EXPECT_TRUE(fs::is_fifo(dir.file("fifo.ini")));
    EXPECT_TRUE(fs::is_symlink(dir.file("null.ini")));
}

TEST_F(CaseFileTest, AWriteFollowsASymbolicLinkAndKeepsIt) {
    const std::string real = dir.file("real.ini");
    WriteFile(real, "[Store]\nQ=1\n");
    fs::create_symlink(real, path);
    CaseFile(path).Write({});
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(CaseFile(real).Read(), StoredCase{});
}

// ---- where the case file of the File menu lives ----

enum class Place { Program, User };

struct NotACaseRow {
    const char* name;
    std::string text;
    const char* reason; // the end of the message
};

class CaseFileNotACaseTest : public ::testing::TestWithParam<NotACaseRow> {};

TEST_P(CaseFileNotACaseTest, OpeningAFileThatIsNoCaseSaysWhyAndLeavesItAlone) {
    TempDir dir;
    const std::string path = dir.file("bad.corvel");
    WriteFile(path, GetParam().text);
    try {
        CaseFile(path).ReadCase();
        FAIL() << "read as a case";
    } catch (const NotACaseFile& error) {
        EXPECT_EQ(error.message(), path + " is not a Corvel case: " + GetParam().reason);
    }
    EXPECT_EQ(ReadFile(path), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CaseFileNotACaseTest,
    ::testing::Values(
        NotACaseRow{"Empty", "", "it has no [Store] section."},
        NotACaseRow{"OtherSection", "[Settings]\nQ=0.03\n", "it has no [Store] section."},
        NotACaseRow{"KeysWithoutSection", "Q=0.03\nd=0.1\n", "it has no [Store] section."},
        NotACaseRow{"UnreadableNumber", "[Store]\nQ=0.03\nd=ten cm\n",
                    "the value of d is not a number."},
        NotACaseRow{"BlankNumber", "[Store]\nt=\n", "the value of t is not a number."},
        NotACaseRow{"NulByte", std::string("[Store]\nQ=0.03\0\n", 15), "it holds binary data."},
        NotACaseRow{"Latin1Byte", "[Store]\n; caf\xe9\nQ=0.03\n", "it holds binary data."},
        NotACaseRow{"Huge", "[Store]\n" + std::string(kMaxCaseFileSize, ';') + "\n",
                    "it is larger than 1 MiB."}),
    [](const ::testing::TestParamInfo<NotACaseRow>& info) { return info.param.name; });

TEST(CaseFileReadCaseTest, MissingAndOutOfRangeKeysFallBackAndAreNamed) {
    TempDir dir;
    const std::string path = dir.file("case.corvel");
    const std::string text = "\xEF\xBB\xBF[store]\r\nQ=0.050000\r\nd=9.000000\r\nk=-1\r\n";
    WriteFile(path, text);
    const CaseReading reading = CaseFile(path).ReadCase();
    EXPECT_EQ(reading.stored,
              (StoredCase{0.05, kDefaultDiameter, kDefaultTemperature, kDefaultRoughness}));
    EXPECT_EQ(reading.fellBack, (std::vector<std::string>{"d", "t", "k"}));
    EXPECT_EQ(ReadFile(path), text);
}

TEST(CaseFileReadCaseTest, AWrittenCaseReadsBackWithNothingFallenBack) {
    TempDir dir;
    const std::string path = dir.file("case.corvel");
    const StoredCase stored{0.01 / 3, 0.1234567891, 37.123456789, 1e-7};
    CaseFile(path).Write(stored);
    const CaseReading reading = CaseFile(path).ReadCase();
    EXPECT_EQ(reading.stored, stored);
    EXPECT_TRUE(reading.fellBack.empty());
}

TEST(CaseFileReadCaseTest, AMissingFileOrADirectoryIsNoCase) {
    TempDir dir;
    EXPECT_THROW(CaseFile(dir.file("none.corvel")).ReadCase(), NotACaseFile);
    EXPECT_THROW(CaseFile(dir.path().string()).ReadCase(), NotACaseFile);
}

TEST(CaseFilePlacesTest, SaveWritesWhereItCanAndOpenReadsWhatExists) {
    TempDir program, user;
    const struct {
        bool installed;
        bool writable;
        bool inProgram, inUser;
        Place save, open;
    } rows[] = {
        // a build tree or portable copy keeps its case beside itself
        {false, true, false, false, Place::Program, Place::Program},
        {false, true, true, true, Place::Program, Place::Program},
        {false, true, false, true, Place::Program, Place::User},
        // beside a read-only program: the user's copy first, else the program folder's
        {false, false, true, false, Place::User, Place::Program},
        {false, false, true, true, Place::User, Place::User},
        {false, false, false, false, Place::User, Place::User},
        // an installed copy never looks beside itself
        {true, true, true, false, Place::User, Place::User},
        {true, true, true, true, Place::User, Place::User},
    };
    const std::string programFolder = program.path().string() + "/";
    const std::string userFolder = user.path().string() + "/";
    for (const auto& row : rows) {
        fs::remove(programFolder + "Corvel.ini");
        fs::remove(userFolder + "Corvel.ini");
        if (row.inProgram)
            WriteFile(programFolder + "Corvel.ini", "[Store]\n");
        if (row.inUser)
            WriteFile(userFolder + "Corvel.ini", "[Store]\n");
        CaseFilePlaces places = CaseFilePlaces::Find(programFolder, row.installed, userFolder);
        if (!row.installed)
            places.programFolderWritable = row.writable; // the super-user may write anywhere
        const auto file = [&](Place place) {
            return (place == Place::Program ? programFolder : userFolder) + "Corvel.ini";
        };
        const std::string what = std::string(row.installed ? "installed" : "not installed") +
                                 (row.writable ? ", writable" : ", read-only") +
                                 (row.inProgram ? ", program's copy" : "") +
                                 (row.inUser ? ", user's copy" : "");
        EXPECT_EQ(places.SaveTarget(), file(row.save)) << what;
        EXPECT_EQ(places.OpenSource(), file(row.open)) << what;
    }
}

TEST(CaseFilePlacesTest, AProgramFolderIsWritableOnlyWhenTheUserMayWriteThere) {
    TempDir program, user;
    const std::string programFolder = program.path().string() + "/";
    EXPECT_TRUE(CaseFilePlaces::Find(programFolder, false, "/u/").programFolderWritable);
    EXPECT_FALSE(CaseFilePlaces::Find("/nonexistent/corvel/", false, "/u/").programFolderWritable);
    EXPECT_FALSE(CaseFilePlaces::Find(programFolder, true, "/u/").programFolderWritable);
    EXPECT_EQ(CaseFilePlaces::Find(programFolder, true, "/u/").SaveTarget(), "/u/Corvel.ini");
    // An ordinary user in a read-only program folder: checked in a child that gives up the
    // super-user's rights where the test runs as root.
    fs::permissions(program.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0)
            std::_Exit(2);
        std::_Exit(CaseFilePlaces::Find(programFolder, false, "/u/").programFolderWritable ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
} // namespace corvel
