// Start-up, folders, the per-user settings store, window placement and the general error report,
// on the offscreen platform with a temporary home and configuration folder for every test.
#include "TempDir.h"
#include "platform/Errors.h"
#include "platform/QtRegionalFormats.h"
#include "platform/RegIniFile.h"
#include "shell/Folders.h"
#include "shell/Placement.h"
#include "shell/QxIniFiles.h"
#include "shell/QxVerInfo.h"
#include "shell/Startup.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <filesystem>
#include <limits>

namespace corvel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TApplication* application = nullptr;

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "shell_tests";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // the application object, too, sees a home of its own and never the user's
        qputenv("HOME", QByteArray::fromStdString(home.path().string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.file(".config")));
        application = new TApplication(argc, argv);
    }
    void TearDown() override { delete application; }

private:
    TempDir home;
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

/// Gives every test its own home and configuration folder.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("HOME", QByteArray::fromStdString(home.path().string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config().string()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(config().string()));
    }
    fs::path config() const { return home.path() / ".config"; }
    TempDir home;
};

TEST(FolderNames, SettingsKeyIsMakerAndProgramNameWithoutExtension) {
    const struct {
        const char* path;
        const char* key;
    } rows[] = {{"/opt/Kestrone/calc.exe", "Software\\Kestrone\\calc"},
                {"C:\\Program Files\\Kestrone\\calc.exe", "Software\\Kestrone\\calc"},
                {"calc", "Software\\Kestrone\\calc"},
                {"/usr/bin/corvel-solve", "Software\\Kestrone\\corvel-solve"},
                {"/a/b/my.tool.bin", "Software\\Kestrone\\my.tool"}};
    for (const auto& row : rows)
        EXPECT_EQ(SettingsKeyName(row.path), row.key) << row.path;
    EXPECT_EQ(SettingsKeyName(), "Software\\Kestrone\\shell_tests");
    EXPECT_EQ(Shell().SettingsKeyName, "Software\\Kestrone\\shell_tests");
}

TEST(FolderNames, TrailingSeparatorIsAddedOnce) {
    EXPECT_EQ(WithTrailingBackslash(""), "");
    EXPECT_EQ(WithTrailingBackslash("/opt"), "/opt/");
    EXPECT_EQ(WithTrailingBackslash("/opt/"), "/opt/");
}

TEST(FolderNames, MakerFolderFollowsAProgramInstalledUnderTheMaker) {
    const struct {
        const char* programFolder;
        const char* maker;
    } rows[] = {{"/usr/bin/", "/opt/Kestrone/"},
                {"/home/ann/kestrone/corvel/", "/home/ann/Kestrone/"},
                {"/srv/Apps/KESTRONE SOFTWARE/corvel/", "/srv/Apps/Kestrone/"},
                {"/srv/Apps/Kestrone Software/corvel/", "/srv/Apps/Kestrone/"}};
    for (const auto& row : rows)
        EXPECT_EQ(MakerFolderFor(row.programFolder, "/opt/"), row.maker) << row.programFolder;
}

TEST(WindowPlacement, PositionIsKeptReachableOnTheScreen) {
    const QSize screen(1920, 1080);
    const struct {
        QPoint stored, restored;
    } rows[] = {{{5000, 10}, {1720, 10}},
                {{-30, -5}, {0, 0}},
                {{1820, 980}, {1820, 980}},
                {{1821, 981}, {1720, 880}},
                {{100, 2000}, {100, 880}}};
    for (const auto& row : rows)
        EXPECT_EQ(KeepReachable(row.stored, screen), row.restored)
            << row.stored.x() << "," << row.stored.y();
}

TEST_F(ShellTest, SettingsStoreLivesInTheMakersConfigurationFolder) {
    TRegIniFile store(SettingsKeyName("C:\\Apps\\calc.exe"));
    store.WriteInteger("Settings", "Col0", 120);
    EXPECT_TRUE(fs::exists(config() / "Kestrone" / "calc.conf"));
    EXPECT_EQ(TRegIniFile("Software\\Kestrone\\calc").ReadInteger("Settings", "Col0", 0), 120);
}

TEST_F(ShellTest, ValueAndSectionNamesMatchWithoutRegardToCase) {
    TRegIniFile store("Software\\Kestrone\\calc");
    store.WriteInteger("ReportForm", "FontCharSet", 238);
    EXPECT_EQ(store.ReadInteger("reportform", "FontCharset", 0), 238);
    store.WriteInteger("REPORTFORM", "FONTCHARSET", 1);
    EXPECT_EQ(store.ReadSection("ReportForm"), std::vector<std::string>{"FontCharSet"});
    EXPECT_EQ(store.ReadInteger("ReportForm", "FontCharSet", 0), 1);
}

TEST_F(ShellTest, ValuesReadBackAsTheirTypeOrGiveTheDefault) {
    TRegIniFile store("Software\\Kestrone\\calc");
    store.WriteString("S", "count", " 42 ");
    store.WriteString("S", "word", "4x");
    store.WriteString("S", "real", "1.5");
    store.WriteBool("S", "on", true);
    store.WriteBool("S", "off", false);
    store.WriteFloat("S", "Q", 0.024);
    store.WriteString("S", "name", "Courier New");

    EXPECT_EQ(store.ReadInteger("S", "count", -1), 42);
    EXPECT_EQ(store.ReadInteger("S", "word", -1), -1);
    EXPECT_EQ(store.ReadInteger("S", "real", -1), -1);
    EXPECT_EQ(store.ReadInteger("S", "missing", -1), -1);
    EXPECT_EQ(store.ReadString("S", "on", ""), "1");
    EXPECT_TRUE(store.ReadBool("S", "on", false));
    EXPECT_FALSE(store.ReadBool("S", "off", true));
    EXPECT_EQ(store.ReadFloat("S", "Q", 0), 0.024);
    EXPECT_EQ(store.ReadFloat("S", "name", 7), 7);
    EXPECT_EQ(store.ReadString("S", "Q", "dflt"), "dflt");
    EXPECT_EQ(store.ReadString("S", "name", ""), "Courier New");
    EXPECT_EQ(store.ReadString("Missing", "name", "dflt"), "dflt");
}

TEST_F(ShellTest, NonFiniteStoredDoublesCountAsMissing) {
    TRegIniFile store("Software\\Kestrone\\calc");
    for (double bad :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        store.WriteFloat("Settings", "Q", bad);
        EXPECT_EQ(store.ReadFloat("Settings", "Q", 0.5), 0.5);
    }
}

TEST_F(ShellTest, MakerDetailsHaveDefaultsAndAreNeverWritten) {
    const MakerDetails details = ReadMakerDetails("/usr/share/");
    EXPECT_EQ(details.company, "Kestrone");
    EXPECT_EQ(details.logo, "/usr/share/Kestrone/ReportLogo.gif");
    EXPECT_EQ(details.user, "");
    EXPECT_FALSE(fs::exists(config() / "Kestrone.conf"));

    QSettings maker(QSettings::NativeFormat, QSettings::UserScope, "Kestrone");
    maker.setValue("user", "Ann Smith");
    maker.sync();
    EXPECT_EQ(ReadMakerDetails("/usr/share/").user, "Ann Smith");
}

TEST_F(ShellTest, UserDataFolderIsCreatedOrFallsBackToTheProgramFolder) {
    const std::string documents = (home.path() / "Documents").string();
    EXPECT_EQ(MakeUserDataFolder(documents, "calc", "/opt/calc/"), documents + "/Kestrone/calc/");
    EXPECT_TRUE(fs::is_directory(documents + "/Kestrone/calc"));

    const std::string blocked = home.file("blocked");
    test::WriteFile(blocked, "a file where a folder should go");
    EXPECT_EQ(MakeUserDataFolder(blocked, "calc", "/opt/calc/"), "/opt/calc/");
}

TEST_F(ShellTest, PlacementRoundTripsThroughTheSettingsKey) {
    QWidget form;
    form.setObjectName("MainForm");
    form.move(30, 40);
    form.resize(300, 200);
    SaveFormPlacement(form);
    const TRegIniFile store(Shell().SettingsKeyName);
    EXPECT_EQ(store.ReadInteger("MainForm", "Left", -1), 30);
    EXPECT_EQ(store.ReadInteger("MainForm", "Height", -1), 200);
    EXPECT_EQ(store.ReadString("MainForm", "Visible", ""), "0");
    EXPECT_EQ(store.ReadInteger("MainForm", "WinState", -1), 0);

    QWidget restored;
    restored.setObjectName("MainForm");
    restored.resize(10, 10);
    RestoreFormPlacement(restored, false, true);
    EXPECT_EQ(restored.pos(), QPoint(30, 40));
    EXPECT_EQ(restored.size(), QSize(300, 200));

    QWidget unsized;
    unsized.setObjectName("MainForm");
    unsized.resize(10, 10);
    RestoreFormPlacement(unsized, false, false);
    EXPECT_EQ(unsized.size(), QSize(10, 10));
}

TEST_F(ShellTest, MaximisedWindowSavesThePlacementItReturnsTo) {
    QWidget form;
    form.setObjectName("MainForm");
    form.setGeometry(40, 50, 300, 200);
    form.show();
    QCoreApplication::processEvents();
    const QPoint frameCorner = form.pos();
    form.setWindowState(Qt::WindowMaximized);
    QCoreApplication::processEvents();
    SaveFormPlacement(form);
    const TRegIniFile store(Shell().SettingsKeyName);
    EXPECT_EQ(store.ReadInteger("MainForm", "WinState", -1), 2);
    EXPECT_EQ(store.ReadInteger("MainForm", "Width", -1), 300);
    EXPECT_EQ(store.ReadInteger("MainForm", "Height", -1), 200);
    EXPECT_EQ(store.ReadInteger("MainForm", "Left", -1), frameCorner.x());
    EXPECT_EQ(store.ReadInteger("MainForm", "Top", -1), frameCorner.y());
    EXPECT_TRUE(store.ReadBool("MainForm", "Visible", false));
}

TEST_F(ShellTest, FirstRunKeepsTheDesignedPlacement) {
    QWidget form;
    form.setObjectName("ReportForm");
    form.move(50, 60);
    form.resize(320, 240);
    RestoreFormPlacement(form, true, true);
    EXPECT_EQ(form.pos(), QPoint(50, 60));
    EXPECT_EQ(form.size(), QSize(320, 240));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
}

TEST_F(ShellTest, RestoredWindowIsMovedBackOnScreenAndTakesItsState) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    TRegIniFile store(Shell().SettingsKeyName);
    store.WriteInteger("MainForm", "Left", 5000);
    store.WriteInteger("MainForm", "Top", -30);
    store.WriteInteger("MainForm", "Width", -5); // makes no sense: the present width stays
    store.WriteBool("MainForm", "Visible", true);
    store.WriteInteger("MainForm", "WinState", 2);
    QWidget form;
    form.setObjectName("MainForm");
    form.resize(200, 100);
    RestoreFormPlacement(form, true, true);
    EXPECT_EQ(form.pos(), QPoint(screen.width() - 200, 0));
    EXPECT_EQ(form.width(), 200);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);

    store.WriteInteger("MainForm", "WinState", 9); // no such state
    QWidget other;
    other.setObjectName("MainForm");
    RestoreFormPlacement(other, false, false);
    EXPECT_EQ(other.windowState(), Qt::WindowNoState);
}

TEST_F(ShellTest, AStoredSizeLargerThanTheScreenIsCutToTheScreen) {
    const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
    TRegIniFile store(Shell().SettingsKeyName);
    store.WriteInteger("MainForm", "Width", 100000);
    store.WriteInteger("MainForm", "Height", available.height() + 1);
    QWidget form;
    form.setObjectName("MainForm");
    form.resize(200, 100);
    RestoreFormPlacement(form, false, true);
    EXPECT_EQ(form.size(), available);
}

TEST_F(ShellTest, AnUpdateWritesItsValuesInOneGoAndReadsThemBeforehand) {
    const fs::path file = config() / "Kestrone" / "batch.conf";
    TRegIniFile store("Software\\Kestrone\\batch");
    store.BeginUpdate();
    store.WriteInteger("MainForm", "Left", 12);
    store.WriteString("Settings", "Name", "pump");
    store.WriteFloat("Settings", "Q", 0.03);
    EXPECT_EQ(store.ReadInteger("mainform", "left", 0), 12) << "an update reads its own writes";
    EXPECT_FALSE(fs::exists(file)) << "nothing is written before the update ends";
    store.EndUpdate();
    const TRegIniFile other("Software\\Kestrone\\batch");
    EXPECT_EQ(other.ReadInteger("MainForm", "Left", 0), 12);
    EXPECT_EQ(other.ReadString("Settings", "Name", ""), "pump");
    EXPECT_EQ(other.ReadFloat("Settings", "Q", 0), 0.03);

    // A section that names a store of its own is written at once, as outside an update.
    TRegIniFile maker("Software");
    maker.BeginUpdate();
    maker.WriteString("Kestrone", "user", "Ann Smith");
    EXPECT_EQ(ReadMakerDetails("/usr/share/").user, "Ann Smith");
    maker.EndUpdate();
}

TEST_F(ShellTest, AnUpdateReadsNamesItWroteOrDeletedAfterReadingTheSectionBefore) {
    TRegIniFile store("Software\\Kestrone\\names");
    store.WriteInteger("Settings", "Col0", 7);
    store.BeginUpdate();
    // The section's names are listed by the first reads; later writes and deletes must show.
    EXPECT_EQ(store.ReadInteger("settings", "col0", 0), 7);
    EXPECT_FALSE(store.ValueExists("Units", "Flow"));
    store.WriteInteger("units", "flow", 3);
    EXPECT_EQ(store.ReadInteger("Units", "Flow", 0), 3) << "a new section and value are found";
    store.WriteInteger("SETTINGS", "COL0", 9);
    EXPECT_EQ(store.ReadSection("Settings"), std::vector<std::string>{"Col0"});
    EXPECT_EQ(store.ReadInteger("Settings", "Col0", 0), 9);
    store.DeleteKey("settings", "COL0");
    EXPECT_FALSE(store.ValueExists("Settings", "Col0"));
    store.EndUpdate();
    const TRegIniFile other("Software\\Kestrone\\names");
    EXPECT_EQ(other.ReadInteger("Units", "Flow", 0), 3);
    EXPECT_FALSE(other.ValueExists("Settings", "Col0"));
}

TEST_F(ShellTest, WithoutAHomeFolderStartUpFindsNoDocumentsAndCreatesNothing) {
    const QByteArray home = qgetenv("HOME");
    const bool rootDocumentsBefore = fs::exists("/Documents");
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/home"}) {
        if (value == nullptr)
            qunsetenv("HOME");
        else
            qputenv("HOME", value);
        ShellValues values;
        try {
            InitFolders(values);
            ADD_FAILURE() << "no error for HOME " << (value ? value : "unset");
        } catch (const Exception& error) {
            EXPECT_EQ(error.message(), "Could not find My Documents folder location.");
        }
        EXPECT_TRUE(values.UserDataFolder.empty());
    }
    qputenv("HOME", home);
    EXPECT_EQ(fs::exists("/Documents"), rootDocumentsBefore);
    EXPECT_FALSE(fs::exists("relative"));
}

TEST(FolderNames, AnInstalledCopyIsKnownByItsDataFolderOrTheInstallFolder) {
    TempDir installed, portable;
    fs::create_directories(installed.path() / "bin");
    fs::create_directories(installed.path() / "share" / "corvel");
    fs::create_directories(portable.path() / "bin");
    fs::create_directories(portable.path() / "share" / "other");
    EXPECT_TRUE(ProgramIsInstalled(installed.file("bin") + "/"));
    EXPECT_FALSE(ProgramIsInstalled(portable.file("bin") + "/"));
    EXPECT_FALSE(ProgramIsInstalled(portable.path().string() + "/"));
    EXPECT_FALSE(ProgramIsInstalled(""));
#ifdef CORVEL_INSTALL_BINDIR
    if (fs::is_directory(CORVEL_INSTALL_BINDIR)) {
        EXPECT_TRUE(ProgramIsInstalled(CORVEL_INSTALL_BINDIR));
        EXPECT_TRUE(ProgramIsInstalled(std::string(CORVEL_INSTALL_BINDIR) + "/"));
    }
#endif
#ifdef CORVEL_EXECUTABLE
    EXPECT_FALSE(ProgramIsInstalled(fs::path(CORVEL_EXECUTABLE).parent_path().string() + "/"))
        << "a build tree keeps its case beside the program";
#endif
}

class Thrower : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw Exception("Invalid floating point operation");
        if (event->type() == QEvent::Type(QEvent::User + 1))
            throw 42;
        return QObject::event(event);
    }
};

TEST_F(ShellTest, AnEscapingErrorIsReportedAndTheProgramGoesOn) {
    std::vector<std::string> reported;
    const ErrorReportHook previous =
        SetErrorReportHook([&](const std::string& message) { reported.push_back(message); });
    Thrower thrower;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &event));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    SetErrorReportHook(previous);
    EXPECT_EQ(reported, (std::vector<std::string>{"Invalid floating point operation",
                                                  "An unknown error occurred.",
                                                  "Invalid floating point operation"}));
}

TEST_F(ShellTest, TheDefaultReportIsAMessageBoxWithTheErrorsText) {
    SetErrorReportHook({});
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    // a watchdog closes any other modal window so that a failure cannot hang the test
    QTimer::singleShot(5000, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    Thrower thrower;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    EXPECT_EQ(shown, "Invalid floating point operation");
}

TEST_F(ShellTest, StartUpSetsNumberFormatFoldersPreferenceAndTitle) {
    TRegIniFile(Shell().SettingsKeyName).WriteBool("Settings", "SplashScreen", true);
    StartUp(*application);
    const ShellValues& shell = Shell();
    EXPECT_EQ(QLocale().decimalPoint(), ".");
    EXPECT_EQ(QLocale().groupSeparator(), ",");
    EXPECT_EQ(QCoreApplication::applicationName(), "Corvel");
    EXPECT_TRUE(shell.ShowAtStartup);
    EXPECT_EQ(shell.ProgramName, "shell_tests");
    EXPECT_EQ(shell.MyDocumentsFolder, (home.path() / "Documents").string());
    EXPECT_EQ(shell.UserDataFolder, shell.MyDocumentsFolder + "/Kestrone/shell_tests/");
    EXPECT_TRUE(fs::is_directory(shell.UserDataFolder));
    EXPECT_EQ(shell.SharedDataFolder, shell.MakerFolder + "Common Files/");
    EXPECT_EQ(shell.ProgramFolder.back(), '/');
    EXPECT_FALSE(shell.SiblingPrograms.empty());
    EXPECT_FALSE(fs::exists(config() / "Kestrone.conf"));
}

TEST_F(ShellTest, IniDatesInRegionalFormatsKeepTheirCentury) {
    SetRegionalFormats(std::make_shared<QtRegionalFormats>());
    TIniFile ini(home.file("dates.ini"));
    constexpr double kMillisecond = 1.0 / 86'400'000;
    for (const TDateTime moment :
         {EncodeDateTime(2024, 2, 29, 14, 5, 9), EncodeDateTime(1931, 12, 1, 0, 0, 1),
          EncodeDateTime(2070, 7, 4, 23, 59, 59)}) {
        const TDateTime day = std::floor(moment);
        ini.PutDate("S", "date", moment);
        EXPECT_EQ(ini.GetDate("S", "date", 0), day) << ini.GetString("S", "date", "");
        ini.PutDateTime("S", "both", moment);
        EXPECT_NEAR(ini.GetDateTime("S", "both", 0), moment, kMillisecond)
            << ini.GetString("S", "both", "");
        ini.PutTime("S", "time", moment);
        EXPECT_NEAR(ini.GetTime("S", "time", 0), moment - day, kMillisecond)
            << ini.GetString("S", "time", "");
    }
    ini.PutString("S", "junk", "not a date");
    EXPECT_EQ(ini.GetDate("S", "junk", 3), 3);
    SetRegionalFormats(nullptr);
}

#ifdef CORVEL_EXECUTABLE
TEST_F(ShellTest, CalculatorStartsAndMakesItsUserDataFolder) {
    QProcess corvel;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    corvel.setProcessEnvironment(environment);
    corvel.start(CORVEL_EXECUTABLE, {});
    ASSERT_TRUE(corvel.waitForStarted(10000));
    const fs::path folder = home.path() / "Documents" / "Kestrone" / "corvel";
    for (int i = 0; i < 100 && !fs::is_directory(folder); ++i)
        QThread::msleep(100);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(corvel.state(), QProcess::Running) << corvel.readAllStandardError().toStdString();
    corvel.kill();
    corvel.waitForFinished(10000);
}

TEST(CorvelExecutable, CarriesItsVersionResource) {
    EXPECT_EQ(ProductCaption(CORVEL_EXECUTABLE), std::string("Corvel ") + CORVEL_VERSION_TEXT);
}
#endif

} // namespace
} // namespace corvel
