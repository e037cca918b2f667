#include "shell/QxIniFiles.h"

#include "TempDir.h"
#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvel {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class IniFileTest : public ::testing::Test {
protected:
    std::string fileWith(const std::string& text) {
        WriteFile(path, text);
        return path;
    }
    TempDir dir;
    std::string path = dir.file("Corvel.ini");
};

TEST_F(IniFileTest, BlankNamesGiveTheDefaultEvenWhenTheFileHoldsABlankEntry) {
    fileWith("[ ]\nQ=stored\n[Store]\nQ=stored\n");
    TIniFile ini(path);
    const struct {
        const char* section;
        const char* key;
    } blanks[] = {{"", "Q"}, {" ", "Q"}, {"\t ", "Q"}, {"Store", ""}, {"Store", "  "}};
    for (const auto& blank : blanks)
        EXPECT_EQ(ini.GetString(blank.section, blank.key, "dflt"), "dflt")
            << "[" << blank.section << "] " << blank.key;
    EXPECT_EQ(ini.GetString("Store", "Q", "dflt"), "stored");
}

TEST_F(IniFileTest, ReadsTheClassicLayout) {
    fileWith("\xEF\xBB\xBF; comment line\r\n"
             "orphan=before any section\r\n"
             "[Store]\r\n"
             "  Q  =  0.024  \r\n"
             "Quoted=\"  blanks kept  \"\n"
             "Single='x'\n"
             "Half=\"open\n"
             "NoEquals\n"
             "Empty=\n"
             "q=second of a duplicate key\n"
             "[ Other ]\n"
             "a=b=c\n"
             "[Broken\n"
             "inBroken=1\n"
             "[STORE]\n"
             "Q=duplicate section\n"
             "Late=hidden\n"
             "[]\n"
             "[Tail]\n"
             "last=no line end");
    TIniFile ini(path);
    const struct {
        const char* section;
        const char* key;
        const char* expected;
    } rows[] = {
        {"Store", "Q", "0.024"},       {"store", "q", "0.024"},
        {" Store ", " Q ", "0.024"},   {"Store", "Quoted", "  blanks kept  "},
        {"Store", "Single", "x"},      {"Store", "Half", "\"open"},
        {"Store", "NoEquals", "dflt"}, {"Store", "Empty", ""},
        {"Other", "a", "b=c"},         {"Other", "inBroken", "1"},
        {"Store", "Late", "dflt"},     {"Tail", "last", "no line end"},
        {"Store", "orphan", "dflt"},   {"Missing", "Q", "dflt"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ini.GetString(row.section, row.key, "dflt"), row.expected)
            << "[" << row.section << "] " << row.key;

    TStrings sections;
    ini.ListSections(sections);
    EXPECT_EQ(sections, (TStrings{"Store", "Other", "Tail"}));
    TStrings pairs;
    ini.ListPairs("Store", pairs);
    EXPECT_EQ(pairs,
              (TStrings{"Q=0.024", "Quoted=  blanks kept  ", "Single=x", "Half=\"open", "Empty="}));
}

TEST_F(IniFileTest, MissingFileReadsAsDefaultsAndEmptyLists) {
    TIniFile ini(dir.file("absent.ini"));
    EXPECT_EQ(ini.GetString("Store", "Q", "dflt"), "dflt");
    TStrings list{"stale"};
    ini.ListSections(list);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(ini.HasSection("Store"));
}

TEST_F(IniFileTest, GetIntegerReadsDecimalAndHexadecimal) {
    fileWith("[S]\nhex=0x1F\nHEX=0X1f\ndollar=$1F\nminus=-$1F\nall=$FFFFFFFF\nshort=0x\n"
             "dec=-42\nreal=1.5\nword=abc\nbig=99999999999\nwide=$100000000\nbare=$\n");
    TIniFile ini(path);
    const struct {
        const char* key;
        std::int32_t expected;
    } rows[] = {{"hex", 31},  {"HEX", 31},  {"dollar", 31}, {"minus", -31}, {"all", -1},
                {"short", 7}, {"dec", -42}, {"real", 7},    {"word", 7},    {"big", 7},
                {"wide", 7},  {"bare", 7},  {"absent", 7}};
    for (const auto& row : rows)
        EXPECT_EQ(ini.GetInteger("S", row.key, 7), row.expected) << row.key;
}

TEST_F(IniFileTest, GetBoolIsTrueForAnyNonZeroInteger) {
    fileWith("[S]\ntwo=2\nzero=0\nword=yes\n");
    TIniFile ini(path);
    EXPECT_TRUE(ini.GetBool("S", "two", false));
    EXPECT_FALSE(ini.GetBool("S", "zero", true));
    EXPECT_TRUE(ini.GetBool("S", "word", true));
    EXPECT_FALSE(ini.GetBool("S", "word", false));
}

TEST_F(IniFileTest, GetFloatTakesOnlyPointDecimals) {
    fileWith("[S]\nempty=\npoint=1.5\ncomma=1,5\nexp=1E-3\nnan=nan\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.GetFloat("S", "empty", 9), 9);
    EXPECT_EQ(ini.GetFloat("S", "point", 9), 1.5);
    EXPECT_EQ(ini.GetFloat("S", "comma", 9), 9);
    EXPECT_EQ(ini.GetFloat("S", "exp", 9), 0.001);
    EXPECT_EQ(ini.GetFloat("S", "nan", 9), 9);
}

TEST_F(IniFileTest, PutFloatWritesTheShortestGeneralForm) {
    TIniFile ini(path);
    const struct {
        double value;
        const char* text;
    } rows[] = {
        {0.1, "0.1"}, {0.024, "0.024"}, {-2, "-2"}, {1e-7, "1E-7"}, {1.0 / 3, "0.333333333333333"}};
    for (const auto& row : rows) {
        ini.PutFloat("S", "v", row.value);
        EXPECT_EQ(ini.GetString("S", "v", ""), row.text);
    }
}

TEST_F(IniFileTest, ListKeysWithABlankSectionLeavesTheListAlone) {
    fileWith("[S]\na=1\nb=2\n");
    TIniFile ini(path);
    TStrings list{"kept"};
    ini.ListKeys(" ", list);
    EXPECT_EQ(list, TStrings{"kept"});
    ini.ListKeys("s", list);
    EXPECT_EQ(list, (TStrings{"a", "b"}));
    EXPECT_FALSE(ini.HasSection(" "));
    EXPECT_TRUE(ini.HasSection("S"));
    EXPECT_FALSE(ini.HasSection("T"));
}

TEST_F(IniFileTest, BinaryValuesAreHexadecimalPairs) {
    TIniFile ini(path);
    TMemoryStream out{{0xFF, 0x01, 0xAB}, 1};
    ini.PutBinary("S", "bin", out);
    EXPECT_EQ(ini.GetString("S", "bin", ""), "01AB");

    TMemoryStream in{{0x55}, 1};
    EXPECT_EQ(ini.GetBinary("S", "bin", in), 2u);
    EXPECT_EQ(in.Bytes, (std::vector<std::uint8_t>{0x55, 0x01, 0xAB}));
    EXPECT_EQ(in.Position, 1u);

    for (const char* bad : {"", "1", "0G", "01A"}) {
        ini.PutString("S", "bad", bad);
        TMemoryStream untouched{{1, 2}, 2};
        EXPECT_EQ(ini.GetBinary("S", "bad", untouched), 0u) << bad;
        EXPECT_EQ(untouched.Bytes, (std::vector<std::uint8_t>{1, 2}));
    }
}

TEST_F(IniFileTest, DatesAndTimesRoundTrip) {
    TIniFile ini(path);
    const TDateTime day = EncodeDateTime(2024, 2, 29);
    const TDateTime moment = EncodeDateTime(2024, 2, 29, 14, 5, 9);
    ini.PutDate("S", "date", moment);
    EXPECT_EQ(ini.GetDate("S", "date", 0), day);
    ini.PutDateTime("S", "midnight", day);
    EXPECT_EQ(ini.GetString("S", "midnight", ""), ini.GetString("S", "date", "x"));
    ini.PutDateTime("S", "moment", moment);
    constexpr double kMillisecond = 1.0 / 86'400'000;
    EXPECT_NEAR(ini.GetDateTime("S", "moment", 0), moment, kMillisecond);
    ini.PutTime("S", "time", moment);
    EXPECT_NEAR(ini.GetTime("S", "time", 0), moment - day, kMillisecond);
    ini.PutString("S", "junk", "2024-02-30");
    EXPECT_EQ(ini.GetDate("S", "junk", 5), 5);
    EXPECT_EQ(ini.GetTime("S", "junk", 5), 5);
}

TEST_F(IniFileTest, WriteKeepsEveryOtherLineByteForByte) {
    const std::string before = "\xEF\xBB\xBF; settings of the case\r\n"
                               "[Store]\r\n"
                               "Q = 0.024 ; flow\r\n"
                               "\r\n"
                               "  ; comment in the section\r\n"
                               "d=0.1\r\n"
                               "\r\n"
                               "# lead-in of the next section\r\n"
                               "[Other]\r\n"
                               "x=1";
    fileWith(before);
    TIniFile ini(path);
    ini.PutString("store", "q", "0.5");
    ini.PutString("Store", "k", "0.00003");
    ini.PutString("Other", "y", "2");
    ini.PutString("New", "t", "9");
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF; settings of the case\r\n"
                              "[Store]\r\n"
                              "Q =0.5\r\n"
                              "\r\n"
                              "  ; comment in the section\r\n"
                              "d=0.1\r\n"
                              "k=0.00003\r\n"
                              "\r\n"
                              "# lead-in of the next section\r\n"
                              "[Other]\r\n"
                              "x=1\r\n"
                              "y=2\r\n"
                              "[New]\r\n"
                              "t=9\r\n");
    ini.RemoveKey("Store", "D");
    ini.RemoveSection("other");
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF; settings of the case\r\n"
                              "[Store]\r\n"
                              "Q =0.5\r\n"
                              "\r\n"
                              "  ; comment in the section\r\n"
                              "k=0.00003\r\n"
                              "\r\n"
                              "# lead-in of the next section\r\n"
                              "[New]\r\n"
                              "t=9\r\n");
}

TEST_F(IniFileTest, RemoveSectionRemovesEveryCopySoNoStaleOneSurfaces) {
    fileWith("[S]\na=1\n[T]\nb=2\n[s]\na=old\n");
    TIniFile ini(path);
    ini.RemoveSection("S");
    EXPECT_EQ(ReadFile(path), "[T]\nb=2\n");
    EXPECT_EQ(ini.GetString("S", "a", "gone"), "gone");
    ini.RemoveKey("Absent", "a"); // failures of RemoveKey are ignored
    ini.RemoveSection("Absent");
}

TEST_F(IniFileTest, ValuesThatWouldBreakTheLayoutAreRefused) {
    fileWith("[S]\na=1\n");
    TIniFile ini(path);
    for (const auto& [section, key, value] :
         {std::tuple{"S", "a", "1\n[Evil]\nx=2"}, std::tuple{"S", "b\rc", "1"},
          std::tuple{"S]", "a", "1"}, std::tuple{"S", "a=b", "1"}, std::tuple{"S", ";a", "1"},
          std::tuple{" ", "a", "1"}}) {
        try {
            ini.PutString(section, key, value);
            ADD_FAILURE() << "no exception for " << section << " " << key;
        } catch (const EIniFileException& error) {
            EXPECT_EQ(error.message(), "Unable to write to " + path);
        }
    }
    EXPECT_EQ(ReadFile(path), "[S]\na=1\n");
}

TEST_F(IniFileTest, ValuesAreCutAt2047Characters) {
    const std::string value(3000, 'v');
    TIniFile ini(path);
    ini.PutString("S", "long", value);
    EXPECT_EQ(ini.GetString("S", "long", ""), value.substr(0, 2047));
}

TEST_F(IniFileTest, SectionListStopsAtAWholeNameWithin16384Bytes) {
    std::string text;
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i) {
        names.push_back("Section" + std::to_string(i) + std::string(40, 'x'));
        text += "[" + names.back() + "]\nk=1\n";
    }
    fileWith(text);
    TIniFile ini(path);
    TStrings listed;
    ini.ListSections(listed);
    std::size_t bytes = 1;
    for (const std::string& name : listed)
        bytes += name.size() + 1;
    EXPECT_LE(bytes, 16384u);
    EXPECT_GT(bytes, 16384u - names[0].size() - 3);
    ASSERT_LT(listed.size(), names.size());
    EXPECT_TRUE(std::equal(listed.begin(), listed.end(), names.begin()));
}

TEST_F(IniFileTest, DamagedFilesReadWithoutHarm) {
    std::string text = "[S]\nbefore=1\n";
    text += std::string("bin\0ary=\0\0x\n", 12);
    text += "[Unclosed\n" + std::string(20'000'000, 'z') + "\n";
    text += "[T]\nafter=2\n";
    fileWith(text);
    TIniFile ini(path);
    EXPECT_EQ(ini.GetString("S", "before", ""), "1");
    EXPECT_EQ(ini.GetString("T", "after", ""), "2");
    ini.PutString("T", "more", "3");
    EXPECT_EQ(ini.GetString("T", "more", ""), "3");
    EXPECT_EQ(ReadFile(path).size(), text.size() + 7);
}

/// Tries a write with a file size limit of 4 bytes, which makes writing the replacement fail even
/// for the super-user; exits 0 when it raised the expected error.
[[noreturn]] void writeUnderFileSizeLimit(const std::string& path) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 4;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    TIniFile ini(path);
    try {
        ini.PutString("S", "b", "2");
    } catch (const EIniFileException& error) {
        std::_Exit(error.message() == "Unable to write to " + path ? 0 : 2);
    }
    std::_Exit(3);
}

TEST_F(IniFileTest, HugeSectionsAreHandledInLinearTime) {
    std::string text = "[Big]\n";
    for (int i = 0; i < 200'000; ++i)
        text += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    for (int i = 0; i < 100'000; ++i)
        text += "[S" + std::to_string(i) + "]\n";
    fileWith(text);
    TIniFile ini(path);
    TStrings list;
    ini.ListKeys("Big", list);
    EXPECT_EQ(list.front(), "key0");
    ini.ListSections(list);
    EXPECT_EQ(list.front(), "Big");
    ini.PutString("Big", "added", "1");
    EXPECT_EQ(ini.GetString("Big", "key199999", ""), "199999");
    EXPECT_EQ(ini.GetString("big", "ADDED", ""), "1");
}

TEST_F(IniFileTest, FailedWriteRaisesAndKeepsTheOldFile) {
    fileWith("[S]\na=1\n");
    EXPECT_EXIT(writeUnderFileSizeLimit(path), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile(path), "[S]\na=1\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "no temporary file may stay behind";
}

TEST_F(IniFileTest, WriteInAReadOnlyFolderRaisesAndKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the super-user may write in a read-only folder";
    fileWith("[S]\na=1\n");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    TIniFile ini(path);
    EXPECT_THROW(ini.PutString("S", "b", "2"), EIniFileException);
    EXPECT_EQ(ReadFile(path), "[S]\na=1\n");
}

TEST_F(IniFileTest, WritersInSeveralProcessesLoseNoKey) {
    constexpr int kProcesses = 4, kKeys = 25;
    fileWith("[Shared]\n");
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int code = 0;
            try {
                TIniFile ini(path);
                for (int k = 0; k < kKeys; ++k)
                    ini.PutInteger("Shared", "p" + std::to_string(p) + "k" + std::to_string(k), k);
            } catch (...) {
                code = 1;
            }
            std::_Exit(code);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    TIniFile ini(path);
    TStrings keys;
    ini.ListKeys("Shared", keys);
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(kProcesses * kKeys));
    for (int p = 0; p < kProcesses; ++p)
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(
                ini.GetInteger("Shared", "p" + std::to_string(p) + "k" + std::to_string(k), -1), k);
}

TEST_F(IniFileTest, EveryKindOfLineEndEndsALine) {
    const struct {
        const char* name;
        std::string text;
        std::string afterWrite;
    } rows[] = {
        {"LF", "[S]\na=1\nb=2\n", "[S]\na=1\nb=2\nc=3\n"},
        {"CR LF", "[S]\r\na=1\r\nb=2\r\n", "[S]\r\na=1\r\nb=2\r\nc=3\r\n"},
        {"lone CR", "[S]\ra=1\rb=2\r", "[S]\ra=1\rb=2\rc=3\r"},
        {"lone CR, no last line end", "[S]\ra=1\rb=2", "[S]\ra=1\rb=2\rc=3"},
        {"mixed", "[S]\ra=1\r\nb=2\n", "[S]\ra=1\r\nb=2\nc=3\r"},
    };
    for (const auto& row : rows) {
        fileWith(row.text);
        TIniFile ini(path);
        EXPECT_EQ(ini.GetString("S", "a", ""), "1") << row.name;
        EXPECT_EQ(ini.GetString("S", "b", ""), "2") << row.name;
        TStrings keys;
        ini.ListKeys("S", keys);
        EXPECT_EQ(keys, (TStrings{"a", "b"})) << row.name;
        ini.PutString("S", "c", "3");
        EXPECT_EQ(ReadFile(path), row.afterWrite) << row.name;
    }
    fileWith("[S]\ra=1\r");
    TIniFile(path).PutString("T", "x", "9");
    EXPECT_EQ(ReadFile(path), "[S]\ra=1\r[T]\rx=9\r");
}

/// Reads and writes a path that is no regular file through the store; exits 0 when the reads
/// gave the defaults and the write raised its error. An alarm ends the child should it hang.
[[noreturn]] void useNonRegularFile(const std::string& path) {
    ::alarm(5);
    TIniFile ini(path);
    TStrings sections{"stale"};
    ini.ListSections(sections);
    bool ok = ini.GetString("Store", "Q", "dflt") == "dflt" && sections.empty();
    try {
        ini.PutString("Store", "Q", "1");
        ok = false;
    } catch (const EIniFileException& error) {
        ok = ok && error.message() == "Unable to write to " + path;
    }
    std::_Exit(ok ? 0 : 1);
}

TEST_F(IniFileTest, AFifoOrADeviceReadsAsEmptyAndIsNeverWritten) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.ini"));
    for (const std::string& file : {path, dir.file("zero.ini")})
        EXPECT_EXIT(useNonRegularFile(file), ::testing::ExitedWithCode(0), "") << file;
    std::string text;
    EXPECT_EQ(ReadProfileFile(path, text), ProfileFileRead::Refused);
    EXPECT_EQ(ReadProfileFile(dir.file("absent.ini"), text), ProfileFileRead::Missing);
}

TEST_F(IniFileTest, AFirstWriteMakesTheFileWholeOrNotAtAll) {
    // An edit that is refused leaves no file behind, not even an empty one.
    EXPECT_FALSE(UpdateProfileFile(path, [](ProfileText&) { return false; }));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(UpdateProfileFile(path, [](ProfileText& profile) {
        return profile.setValue("S", "a", "1") && profile.setValue("S", "b", "2");
    }));
    EXPECT_EQ(ReadFile(path), "[S]\na=1\nb=2\n");
}

TEST_F(IniFileTest, AWriteKeepsTheFilesPermissionsAndAWriteProtectedFileIsLeftAlone) {
    fileWith("[S]\na=1\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    TIniFile ini(path);
    ini.PutString("S", "b", "2");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read);
    if (::geteuid() == 0)
        return; // the super-user may write a write-protected file
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_THROW(ini.PutString("S", "c", "3"), EIniFileException);
    EXPECT_EQ(ReadFile(path), "[S]\na=1\nb=2\n");
}

TEST(PrivateProfileTest, ShortBuffersAreCutSafely) {
    TempDir dir;
    const std::string path = dir.file("p.ini");
    WriteFile(path, "[alpha]\nkey=value\n[beta]\n");
    char buffer[8];
    EXPECT_EQ(GetPrivateProfileStringA("alpha", "key", "", buffer, 4, path.c_str()), 3u);
    EXPECT_STREQ(buffer, "val");
    // "alpha\0beta\0\0" needs 12 bytes: with 8 only the whole name alpha fits
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 8, path.c_str()), 6u);
    EXPECT_EQ(std::string(buffer, 7), std::string("alpha\0\0", 7));
    EXPECT_EQ(GetPrivateProfileStringA("alpha", "key", "", buffer, 0, path.c_str()), 0u);
}

} // namespace
} // namespace corvel
