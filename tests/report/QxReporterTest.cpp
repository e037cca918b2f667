// The report window on the offscreen platform: its design, font and placement persistence,
// copy, mail, font choice, resize refresh and printing to PDF.

#include "report/QxReporter.h"
#include "ReportTestSupport.h"
#include "platform/Errors.h"
#include "report/MapiControl.h"
#include "report/ReportComposer.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QMap>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolButton>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>

namespace corvel {
namespace {

using test::ModalDialogWatchdog;
using test::ReadAll;
using test::ScopedEnv;

/// An in-memory settings store that, like the system registry, matches value names without
/// regard to case; it counts placement calls and applies a stored placement the plain way.
class MemorySettings : public ReportFormSettings {
public:
    void restorePlacement(QWidget& form) override {
        ++restores;
        const QString section = form.objectName();
        form.move(readInteger(section, QStringLiteral("Left"), form.x()),
                  readInteger(section, QStringLiteral("Top"), form.y()));
        form.resize(readInteger(section, QStringLiteral("Width"), form.width()),
                    readInteger(section, QStringLiteral("Height"), form.height()));
    }
    void savePlacement(const QWidget& form) override {
        ++saves;
        const QString section = form.objectName();
        writeInteger(section, QStringLiteral("Left"), form.x());
        writeInteger(section, QStringLiteral("Top"), form.y());
        writeInteger(section, QStringLiteral("Width"), form.width());
        writeInteger(section, QStringLiteral("Height"), form.height());
        writeInteger(section, QStringLiteral("Visible"), form.isVisible() ? 1 : 0);
    }
    int readInteger(const QString& section, const QString& name, int defaultValue) override {
        const QVariant value = values.value(key(section, name));
        bool ok = false;
        const int number = value.toInt(&ok);
        return ok ? number : defaultValue;
    }
    QString readString(const QString& section, const QString& name,
                       const QString& defaultValue) override {
        const QVariant value = values.value(key(section, name));
        return value.isValid() ? value.toString() : defaultValue;
    }
    void writeInteger(const QString& section, const QString& name, int value) override {
        values[key(section, name)] = value;
    }
    void writeString(const QString& section, const QString& name, const QString& value) override {
        values[key(section, name)] = value;
    }

    static QString key(const QString& section, const QString& name) {
        return (section + QLatin1Char('/') + name).toLower();
    }
    QVariant value(const QString& name) const {
        return values.value(key(QStringLiteral("ReportForm"), name));
    }

    QMap<QString, QVariant> values;
    int restores = 0;
    int saves = 0;
};

class ReportFormTest : public ::testing::Test {
protected:
    void SetUp() override { QGuiApplication::setApplicationDisplayName(QStringLiteral("Corvel")); }

    std::unique_ptr<TReportForm> makeForm() {
        auto form = std::make_unique<TReportForm>(settings);
        form->ShowError = [this](const QString& message) { errors << message; };
        return form;
    }

    /// Shows `form` and waits until it is the active window.
    static void activate(QWidget& form) {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    /// Makes another window active, so that `form` loses activation.
    void deactivate(QWidget& form) {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        ASSERT_FALSE(form.isActiveWindow());
    }

    /// Appends `lines` to RichEdit1 in the paragraph format of its current paragraph.
    static void writeLines(TReportForm& form, const QStringList& lines) {
        QTextCursor cursor = form.RichEdit1->textCursor();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                cursor.insertBlock();
            cursor.insertText(lines[i]);
        }
    }

    test::ApplicationGuard application;
    QTemporaryDir home;
    ScopedEnv homeEnv{"HOME", home.path().toUtf8()};
    ScopedEnv configEnv{"XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8()};
    std::shared_ptr<MemorySettings> settings = std::make_shared<MemorySettings>();
    ModalDialogWatchdog dialogs;
    QWidget other;
    QStringList errors;
};

TEST_F(ReportFormTest, OpensWithTheDesignedControlsAndTexts) {
    auto form = makeForm();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Report"));
    EXPECT_EQ(form->objectName(), QStringLiteral("ReportForm"));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->minimumSize(), QSize(230, 320));
    EXPECT_EQ(form->StatusText(), QStringLiteral("Ready"));
    EXPECT_EQ(form->ReportTitle, QStringLiteral("Corvel"));
    EXPECT_FALSE(form->OnReportRefresh);
    EXPECT_EQ(form->TabPanel->width(), 12);
    EXPECT_FALSE(form->RichEdit1->isReadOnly());
    EXPECT_EQ(form->RichEdit1->lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_EQ(form->RichEdit1->font().pointSize(), 8);
    EXPECT_TRUE(form->MapiControl1->ShowDialog());
    EXPECT_FALSE(form->MapiControl1->UseAppHandle());

    const struct {
        QToolButton* button;
        const char* name;
        const char* caption;
        const char* hint;
    } buttons[] = {
        {form->ButtonPrint, "ButtonPrint", "&Print", "Send report to printer"},
        {form->ButtonExportPdf, "ButtonExportPdf", "Export PDF...",
         "Write the report to a PDF file"},
        {form->ButtonCopy, "ButtonCopy", "C&opy", "Copy report to  Windows clipboard"},
        {form->ButtonEMail, "ButtonEMail", "&Email", "Send as EMail"},
        {form->ButtonSetup, "ButtonSetup", "&Setup", "Printer setup"},
        {form->ButtonFont, "ButtonFont", "&Font", "Set report font"},
        {form->ButtonClose, "ButtonClose", "&Close", ""},
    };
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(b.button->objectName(), QLatin1String(b.name));
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(b.button->toolTip(), QString::fromUtf8(b.hint));
    }
}

TEST_F(ReportFormTest, TabStopsAreSetInPointsOnTheCurrentParagraph) {
    auto form = makeForm();
    auto expectStops = [&form](const std::vector<double>& expected) {
        const std::vector<double> stops = form->TabStops();
        ASSERT_EQ(stops.size(), expected.size());
        for (std::size_t i = 0; i < stops.size(); ++i)
            EXPECT_NEAR(stops[i], expected[i], 1e-9);
    };
    expectStops({90, 155});
    form->SetTabStops({100, 160, 200, 0});
    expectStops({100, 160, 200});
}

TEST_F(ReportFormTest, FontRoundTripsThroughTheSettingsStore) {
    struct Row {
        int size;
        std::int32_t color;
        int charSet;
        const char* name;
        int storedCharSet;
    };
    const Row rows[] = {
        {12, 0x000000FF, 0x1CC, "DejaVu Serif", 0xCC},                     // red, charset 204
        {10, static_cast<std::int32_t>(0x80000008u), 0, "DejaVu Sans", 0}, // window text
        {9, static_cast<std::int32_t>(0x8000000Du), 1, "DejaVu Sans Mono", 1},
        {14, 0x00336699, -1, "DejaVu Sans", 0xFF},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings = std::make_shared<MemorySettings>();
        settings->writeInteger(QStringLiteral("ReportForm"), QStringLiteral("FontSize"), row.size);
        settings->writeInteger(QStringLiteral("ReportForm"), QStringLiteral("FontColor"),
                               row.color);
        settings->writeInteger(QStringLiteral("ReportForm"), QStringLiteral("FontCharset"),
                               row.charSet);
        settings->writeString(QStringLiteral("ReportForm"), QStringLiteral("FontName"),
                              QString::fromUtf8(row.name));
        auto form = makeForm();
        EXPECT_EQ(form->RichEdit1->font().pointSize(), row.size);
        EXPECT_EQ(form->RichEdit1->font().family(), QString::fromUtf8(row.name));
        EXPECT_EQ(form->FontColor(), row.color);
        EXPECT_EQ(form->FontCharSet(), row.storedCharSet);

        settings->values.clear();
        activate(*form);
        deactivate(*form);
        EXPECT_EQ(settings->value(QStringLiteral("FontSize")).toInt(), row.size);
        EXPECT_EQ(settings->value(QStringLiteral("FontColor")).toInt(), row.color);
        EXPECT_EQ(settings->value(QStringLiteral("FontCharSet")).toInt(), row.storedCharSet);
        EXPECT_EQ(settings->value(QStringLiteral("FontName")).toString(),
                  QString::fromUtf8(row.name));
    }
}

TEST_F(ReportFormTest, StoredRgbColourIsShownAndSystemColoursFollowThePalette) {
    settings->writeInteger(QStringLiteral("ReportForm"), QStringLiteral("FontColor"), 0x00336699);
    EXPECT_EQ(makeForm()->TextColor(), QColor(0x99, 0x66, 0x33));
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(ColorFromColorValue(static_cast<std::int32_t>(0x80000008u), palette),
              palette.color(QPalette::Text));
    EXPECT_EQ(ColorFromColorValue(static_cast<std::int32_t>(0x8000000Du), palette),
              palette.color(QPalette::Highlight));
}

TEST_F(ReportFormTest, NonsenseStoredFontStillOpensReadable) {
    struct Row {
        int size;
        std::int32_t color;
        const char* name;
    };
    const Row rows[] = {
        {0, 0x00FFFFFF, "No Such Font Anywhere"},              // white on white
        {-5, -1, ""},                                          // every bit set
        {10000, static_cast<std::int32_t>(0x80000005u), "  "}, // the page's own colour
        {3, 0x00FEFEFE, "DejaVu Sans"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        settings = std::make_shared<MemorySettings>();
        settings->writeInteger(QStringLiteral("ReportForm"), QStringLiteral("FontSize"), row.size);
        settings->writeInteger(QStringLiteral("ReportForm"), QStringLiteral("FontColor"),
                               row.color);
        settings->writeString(QStringLiteral("ReportForm"), QStringLiteral("FontName"),
                              QString::fromUtf8(row.name));
        auto form = makeForm();
        EXPECT_EQ(form->RichEdit1->font().pointSize(), 8) << "the designed size stays";
        EXPECT_FALSE(form->RichEdit1->font().family().trimmed().isEmpty());
        EXPECT_GT(QFontInfo(form->RichEdit1->font()).pixelSize(), 0);
        EXPECT_EQ(form->FontColor(), row.color) << "the stored value is kept as it is";
        const QColor page = form->RichEdit1->palette().color(QPalette::Base);
        EXPECT_NE(form->TextColor(), page);
        EXPECT_EQ(form->RichEdit1->palette().color(QPalette::Text), form->TextColor());
    }
}

TEST_F(ReportFormTest, PlacementIsRestoredAtCreationAndSavedOnEveryDeactivation) {
    settings->writeInteger(QStringLiteral("ReportForm"), QStringLiteral("Width"), 400);
    settings->writeInteger(QStringLiteral("ReportForm"), QStringLiteral("Height"), 500);
    auto form = makeForm();
    EXPECT_EQ(settings->restores, 1);
    EXPECT_EQ(form->size(), QSize(400, 500));
    EXPECT_EQ(settings->saves, 0);

    activate(*form);
    EXPECT_EQ(form->StatusText(), QStringLiteral("Ready"));
    deactivate(*form);
    EXPECT_EQ(settings->saves, 1);
    activate(*form);
    QTest::mouseClick(form->ButtonClose, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible()) << "Close hides the window";
    QTest::qWait(20);
    EXPECT_EQ(settings->saves, 2) << "closing deactivates and saves";
}

/// A store whose every read and write fails, as a settings file without write access does.
class BrokenSettings : public MemorySettings {
public:
    void restorePlacement(QWidget&) override { throw Exception("Failed to read placement"); }
    void savePlacement(const QWidget&) override {
        ++saves;
        throw Exception("Failed to set data for 'Left'");
    }
};

TEST_F(ReportFormTest, BrokenSettingsStoreNeitherStopsNorBreaksTheWindow) {
    auto broken = std::make_shared<BrokenSettings>();
    TReportForm form(broken);
    EXPECT_EQ(form.RichEdit1->font().pointSize(), 8);
    activate(form);
    deactivate(form); // the failing save stays inside the window
    EXPECT_EQ(broken->saves, 1);
    activate(form);
    EXPECT_EQ(form.StatusText(), QStringLiteral("Ready"));
}

TEST_F(ReportFormTest, CopyPutsPlainTextWithCrLfOnTheClipboard) {
    auto form = makeForm();
    activate(*form);
    QTest::mouseClick(form->ButtonCopy, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString()) << "an empty report";

    writeLines(*form,
               {QString(), QStringLiteral("Corvel Report"), QStringLiteral("Velocity\t3.06\tm/s")});
    QTextCursor cursor = form->RichEdit1->textCursor();
    cursor.select(QTextCursor::Document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.mergeCharFormat(bold);
    QTest::mouseClick(form->ButtonCopy, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("\r\nCorvel Report\r\nVelocity\t3.06\tm/s\r\n"));
    EXPECT_EQ(form->StatusText(), QStringLiteral("Copied to Clipboard..."));

    deactivate(*form);
    EXPECT_EQ(form->StatusText(), QStringLiteral("Copied to Clipboard..."));
    activate(*form);
    EXPECT_EQ(form->StatusText(), QStringLiteral("Ready"));
}

TEST_F(ReportFormTest, EmailOpensComposeWindowWithTitleAndReportText) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty())
        GTEST_SKIP() << "xdg-email is not installed (Debian package xdg-utils)";
    const QString record = home.filePath(QStringLiteral("mailto.txt"));
    const QString mailer = test::WriteScript(home, QStringLiteral("mailer.sh"),
                                             "printf '%s\\n' \"$@\" > '" + record.toUtf8() + "'\n");
    ScopedEnv mailerEnv("MAILER", mailer.toUtf8());
    MapiSendMailResolver resolver([] { return true; }, MapiGetProcAddress);

    auto form = makeForm();
    form->MapiControl1->setResolver(&resolver);
    form->MapiControl1->setRecipients({QStringLiteral("left@over.org")});
    form->MapiControl1->setAttachedFiles({QStringLiteral("/no/such/file")});
    int outcomes = 0;
    form->MapiControl1->OnSuccess = [&outcomes](QObject*) { ++outcomes; };
    activate(*form);
    writeLines(*form, {QStringLiteral("Corvel Report"), QStringLiteral("Re\t229239\t–")});
    QTest::mouseClick(form->ButtonEMail, Qt::LeftButton);

    // The mail program runs beside the window: the outcome follows once it has ended.
    EXPECT_TRUE(QTest::qWaitFor([&] { return outcomes == 1; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->ButtonEMail->isEnabled(); }, 1000));
    const QUrl url(QString::fromUtf8(ReadAll(record).trimmed()), QUrl::StrictMode);
    EXPECT_EQ(url.path(), QString()) << "no addressee";
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
              QStringLiteral("Corvel"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
              QStringLiteral("Corvel Report\r\nRe\t229239\t–\r\n"));
    EXPECT_FALSE(query.hasQueryItem(QStringLiteral("attach")));
    EXPECT_EQ(form->StatusText(), QStringLiteral("Ready"));
}

/// Installs `script` as the mail program xdg-email hands the message to, and points the form
/// at the real mail library.
class ReportMailTest : public ReportFormTest {
protected:
    void SetUp() override {
        ReportFormTest::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty())
            GTEST_SKIP() << "xdg-email is not installed (Debian package xdg-utils)";
    }

    void useMailer(const QByteArray& script) {
        mailer.emplace("MAILER", test::WriteScript(home, QStringLiteral("mailer.sh"),
                                                   "echo run >> '" + runs.toUtf8() + "'\n" + script)
                                     .toUtf8());
    }

    int mailerRuns() const { return int(ReadAll(runs).count('\n')); }

    /// Clicks Email and waits until the hand-off has ended; returns the status text then.
    QString emailAndWait(TReportForm& form) {
        QTest::mouseClick(form.ButtonEMail, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !form.MapiControl1->Sending(); }, 10000));
        return form.StatusText();
    }

    QString runs = home.filePath(QStringLiteral("runs.txt"));
    std::optional<ScopedEnv> mailer;
    MapiSendMailResolver resolver{[] { return true; }, MapiGetProcAddress};
};

TEST_F(ReportMailTest, AHungMailProgramLeavesTheWindowUsableAndASecondEmailIsRefused) {
    useMailer("exec >/dev/null 2>&1\nsleep 3\n");
    const int previous = SetMapiToolTimeout(1500);
    auto form = makeForm();
    form->MapiControl1->setResolver(&resolver);
    std::vector<int> errorCodes;
    form->MapiControl1->OnMapiError = [&](QObject*, int code) { errorCodes.push_back(code); };
    activate(*form);
    writeLines(*form, {QStringLiteral("Corvel Report")});

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(form->ButtonEMail, Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 1000) << "the click returns while the mail program runs";
    EXPECT_EQ(form->StatusText(), QStringLiteral("Sending mail..."));
    EXPECT_TRUE(form->MapiControl1->Sending());

    // The window keeps working meanwhile, and a second Email starts nothing.
    QTest::mouseClick(form->ButtonCopy, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Corvel Report\r\n"));
    form->ButtonEMailClick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return mailerRuns() >= 1; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->MapiControl1->Sending(); }, 10000));
    EXPECT_EQ(mailerRuns(), 1) << "one hand-off, not two";
    EXPECT_EQ(errorCodes, std::vector<int>{int(MAPI_E_FAILURE)});
    EXPECT_EQ(form->StatusText(), QStringLiteral("The mail program did not finish within 1.5 s."));
    EXPECT_TRUE(form->ButtonEMail->isEnabled());
    SetMapiToolTimeout(previous);
}

TEST_F(ReportMailTest, ClosingTheProgramDuringAHandOffStopsTheMailProgram) {
    useMailer("exec >/dev/null 2>&1\nsleep 30\n");
    auto form = makeForm();
    form->MapiControl1->setResolver(&resolver);
    activate(*form);
    QTest::mouseClick(form->ButtonEMail, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mailerRuns() >= 1; }, 5000));
    QElapsedTimer clock;
    clock.start();
    form.reset();
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(ReportMailTest, MailFailuresAreToldInTheStatusBar) {
    auto form = makeForm();
    form->MapiControl1->setResolver(&resolver);
    activate(*form);
    writeLines(*form, {QStringLiteral("Corvel Report")});

    useMailer("exit 0\n");
    EXPECT_EQ(emailAndWait(*form), QStringLiteral("Ready"));

    // xdg-email reports a mail client that fails with its own exit status 4.
    useMailer("exit 3\n");
    EXPECT_EQ(emailAndWait(*form), QStringLiteral("The mail program failed (exit 4)"));

    useMailer("exit 0\n");
    // 2,000 short lines whose letters take six characters each in a mailto address: over the
    // limit, yet quick to lay out.
    writeLines(*form, QStringList(2000, QString(15, QChar(0xE9))));
    EXPECT_EQ(emailAndWait(*form),
              QStringLiteral("The report is too long to mail; copy it instead"));
    EXPECT_EQ(mailerRuns(), 2) << "an oversized report never reaches the mail program";
}

TEST_F(ReportMailTest, NoMailProgramSaysWhatToInstall) {
    MapiSendMailResolver noMail([] { return false; }, MapiGetProcAddress);
    auto form = makeForm();
    form->MapiControl1->setResolver(&noMail);
    int aborts = 0;
    form->MapiControl1->OnUserAbort = [&aborts](QObject*) { ++aborts; };
    activate(*form);
    EXPECT_EQ(emailAndWait(*form), QStringLiteral("No mail program found: install xdg-utils"));
    EXPECT_EQ(aborts, 1) << "reported as a user abort, as the mail library does";
}

TEST(MailOutcomeTextTest, EveryResultHasWords) {
    EXPECT_EQ(MailOutcomeText(0, QString()), QStringLiteral("Ready"));
    EXPECT_EQ(MailOutcomeText(1, QString()), QStringLiteral("Mail not sent"));
    EXPECT_EQ(MailOutcomeText(18, QStringLiteral("The message is too long to mail.")),
              QStringLiteral("The report is too long to mail; copy it instead"));
    EXPECT_EQ(MailOutcomeText(14, QString()), QStringLiteral("The mail program failed (error 14)"));
    EXPECT_EQ(MailOutcomeText(2, QStringLiteral("The mail program failed (exit 4)")),
              QStringLiteral("The mail program failed (exit 4)"));
}

TEST_F(ReportFormTest, FontDialogOkRebuildsTheReportAndCancelChangesNothing) {
    auto form = makeForm();
    activate(*form);
    QTest::qWait(20);
    int refreshes = 0;
    form->OnReportRefresh = [&refreshes] { ++refreshes; };
    const QFont before = form->RichEdit1->font();

    QString statusDuringDialog;
    dialogs.expect([&](QDialog& dialog) {
        statusDuringDialog = form->StatusText();
        auto& fontDialog = dynamic_cast<QFontDialog&>(dialog);
        QFont font = fontDialog.currentFont();
        font.setPointSize(10);
        font.setBold(true);
        fontDialog.setCurrentFont(font);
        dialog.reject();
    });
    QTest::mouseClick(form->ButtonFont, Qt::LeftButton);
    EXPECT_EQ(statusDuringDialog, QStringLiteral("Select suitable font for report"));
    EXPECT_EQ(form->RichEdit1->font(), before);
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(form->StatusText(), QStringLiteral("Ready"));

    dialogs.expect([](QDialog& dialog) {
        auto& fontDialog = dynamic_cast<QFontDialog&>(dialog);
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPointSize(11);
        fontDialog.setCurrentFont(font);
        dialog.accept();
    });
    QTest::mouseClick(form->ButtonFont, Qt::LeftButton);
    EXPECT_EQ(form->RichEdit1->font().pointSize(), 11);
    EXPECT_EQ(form->RichEdit1->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(form->StatusText(), QStringLiteral("Ready"));
}

/// The report of the default case as the main window hands it over.
std::vector<ReportParagraph> defaultCaseReport() {
    ReportContent content;
    content.inputs = {{"Water Flowrate", "24.000", "l/s"},
                      {"Water Velocity", "3.06", "m/s"},
                      {"Inside Diameter", "100.0", "mm"},
                      {"Mean Temperature", "9.0", "°C"},
                      {"Surface Roughness", "0.03000", "mm"}};
    content.results = {{"Velocity", "3.06", "m/s"},
                       {"Density", "999.8", "kg/m³"},
                       {"Heat Capacity", "4.196", "kJ/kg·K"},
                       {"Dynamic Viscosity", "1333", "mg/m-s"},
                       {"Conductivity", "580", "mW/m-K"},
                       {"Prandtl Number", "9.63", " -"},
                       {"Enthalpy", "37.75", "kJ/kg"},
                       {"Saturation Pressure", "1.147", "kPa"},
                       {"Diffusion Coefficient", "0.235", "cm²/s"},
                       {"Reynolds Number", "229239", "-"},
                       {"Friction Factor", "0.01744", "D'arcy"},
                       {"Moody Diagram", "Transition", "Zone"},
                       {"Pressure Drop Rate", "0.8141", "kPa/m"}};
    content.closingLine = "Calculated with Corvel 1.0.0, water flowing full in a round pipe.";
    return ComposeReportParagraphs(content);
}

/// The font the report's paragraph `number` is set in, as the font system resolves it.
QFontInfo blockFontInfo(const QTextDocument& document, int number) {
    return QFontInfo(document.findBlockByNumber(number).begin().fragment().charFormat().font());
}

TEST_F(ReportFormTest, AFontWithAStyleNameKeepsTheBoldTitleAndHeadingsAndItalicClosing) {
    auto form = makeForm();
    activate(*form);
    QFont book(QStringLiteral("DejaVu Sans"));
    book.setStyleName(QStringLiteral("Book")); // what the font dialog returns for DejaVu Sans
    book.setPointSize(8);
    if (QFontInfo(book).family() != QStringLiteral("DejaVu Sans"))
        GTEST_SKIP() << "DejaVu Sans is not installed (Debian package fonts-dejavu-core)";
    dialogs.expect([&book](QDialog& dialog) {
        dynamic_cast<QFontDialog&>(dialog).setCurrentFont(book);
        dialog.accept();
    });
    QTest::mouseClick(form->ButtonFont, Qt::LeftButton);
    EXPECT_EQ(form->RichEdit1->font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(form->RichEdit1->font().pointSize(), 8);

    // Set directly too: a font given to the window by other means is treated alike.
    for (bool throughDialog : {true, false}) {
        SCOPED_TRACE(throughDialog ? "chosen in the dialog" : "set on the control");
        if (!throughDialog)
            form->RichEdit1->setFont(book);
        form->ShowReport(defaultCaseReport());
        const QTextDocument& document = *form->RichEdit1->document();
        EXPECT_TRUE(blockFontInfo(document, 1).bold()) << "title";
        EXPECT_TRUE(blockFontInfo(document, 1).underline()) << "title";
        EXPECT_TRUE(blockFontInfo(document, 3).bold()) << "Input";
        EXPECT_TRUE(blockFontInfo(document, 10).bold()) << "Results";
        EXPECT_FALSE(blockFontInfo(document, 4).bold()) << "a table line";
        EXPECT_TRUE(blockFontInfo(document, 25).italic()) << "closing line";
        EXPECT_EQ(blockFontInfo(document, 4).family(), QStringLiteral("DejaVu Sans"));
    }
}

TEST_F(ReportFormTest, PrintedReportInAStyleNamedFontHasItsBoldAndItalicFaces) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty())
        GTEST_SKIP() << "pdffonts is not installed (Debian package poppler-utils)";
    auto form = makeForm();
    QFont book(QStringLiteral("DejaVu Sans"));
    book.setStyleName(QStringLiteral("Book"));
    book.setPointSize(8);
    form->RichEdit1->setFont(book);
    form->ShowReport(defaultCaseReport());
    const QString pdf = home.filePath(QStringLiteral("styled.pdf"));
    form->Printer().setOutputFormat(QPrinter::PdfFormat);
    form->Printer().setOutputFileName(pdf);
    activate(*form);
    QTest::mouseClick(form->ButtonPrint, Qt::LeftButton);
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();

    QProcess fonts;
    fonts.start(QStringLiteral("pdffonts"), {pdf});
    fonts.waitForFinished(30000);
    const QString list = QString::fromUtf8(fonts.readAllStandardOutput());
    EXPECT_TRUE(list.contains(QStringLiteral("Bold"))) << list.toStdString();
    EXPECT_TRUE(list.contains(QStringLiteral("Oblique")) || list.contains(QStringLiteral("Italic")))
        << list.toStdString();
}

/// The text `pdftotext` reads from `pdf`.
QString pdfText(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(ReportFormTest, PrintedWordsAreFoundAsTheyAreSpelledAndCopiesArePrinted) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed (Debian package poppler-utils)";
    auto form = makeForm();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    form->RichEdit1->setFont(font);
    form->ShowReport(defaultCaseReport());
    const QString pdf = home.filePath(QStringLiteral("copies.pdf"));
    form->Printer().setOutputFormat(QPrinter::PdfFormat);
    form->Printer().setOutputFileName(pdf);
    form->Printer().setCopyCount(3);
    activate(*form);
    QTest::mouseClick(form->ButtonPrint, Qt::LeftButton);
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();

    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Diffusion Coefficient"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("water flowing full"))) << text.toStdString();
    static const QRegularExpression ligatures(QStringLiteral("[\\x{FB00}-\\x{FB06}]"));
    EXPECT_FALSE(text.contains(ligatures)) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("Corvel Report")), 3) << "three copies";
    EXPECT_EQ(text.count(QLatin1Char('\f')), 3) << "of one page each";
}

TEST_F(ReportFormTest, PrintDiagramChoiceIsKeptAndAddsAPageThePainterFills) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed (Debian package poppler-utils)";
    auto form = makeForm();
    EXPECT_FALSE(form->CheckPrintDiagram->isChecked());
    form->ShowReport(defaultCaseReport());
    QRectF painted;
    form->DiagramPainter = [&painted](QPainter& painter, const QRectF& bounds) {
        painted = bounds;
        painter.drawText(bounds, QStringLiteral("Diagram page"));
    };
    const QString without = home.filePath(QStringLiteral("without.pdf"));
    form->ExportPdf(without);
    EXPECT_TRUE(painted.isNull()) << "no diagram page unless chosen";
    EXPECT_EQ(pdfText(without).count(QLatin1Char('\f')), 1);

    activate(*form);
    form->CheckPrintDiagram->setChecked(true);
    deactivate(*form);
    EXPECT_EQ(settings->value(QStringLiteral("PrintDiagram")).toInt(), 1);
    const QString with = home.filePath(QStringLiteral("with.pdf"));
    form->ExportPdf(with);
    ASSERT_FALSE(painted.isNull());
    EXPECT_GT(painted.width(), painted.height()) << "a landscape-shaped diagram on the page";
    const QString text = pdfText(with);
    EXPECT_EQ(text.count(QLatin1Char('\f')), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("Diagram page")));

    auto reopened = makeForm();
    EXPECT_TRUE(reopened->CheckPrintDiagram->isChecked());
}

TEST_F(ReportFormTest, ExportPdfProposesTheCaseNameAndWritesWithoutThePrintDialog) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed (Debian package poppler-utils)";
    auto form = makeForm();
    form->ShowReport(defaultCaseReport());
    form->PdfFileName = QStringLiteral("Pump line.pdf");
    const QString target = home.filePath(QStringLiteral("exported.pdf"));
    dialogs.expect([&target](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->objectName(), "ExportPdfDialog");
        ASSERT_FALSE(files->selectedFiles().isEmpty());
        EXPECT_TRUE(files->selectedFiles().first().endsWith(QStringLiteral("/Pump line.pdf")));
        // Typed as a user would: a full path in the name field is taken as it is.
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(target);
        dialog.accept(); // QFileDialog::accept, which checks the name as the OK button does
    });
    activate(*form);
    QTest::mouseClick(form->ButtonExportPdf, Qt::LeftButton);
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    EXPECT_TRUE(pdfText(target).contains(QStringLiteral("Corvel Report")));
    EXPECT_EQ(form->StatusText(), "Report exported to " + target);
}

TEST_F(ReportFormTest, ExportPdfThatCannotBeWrittenSaysSo) {
    auto form = makeForm();
    form->ShowReport(defaultCaseReport());
    const QString target = home.filePath(QStringLiteral("no-such-folder/report.pdf"));
    dialogs.expect([&target](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        ASSERT_NE(files, nullptr);
        // Typed as a user would: a full path in the name field is taken as it is.
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(target);
        dialog.accept(); // QFileDialog::accept, which checks the name as the OK button does
    });
    activate(*form);
    QTest::mouseClick(form->ButtonExportPdf, Qt::LeftButton);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.first(), "The report could not be exported: " + target +
                                  " could not be written. Choose a folder you may write to.");
    EXPECT_EQ(form->StatusText(), "Ready");
}

/// Where the second and third cells of each table line of `document` start [px], laid out
/// without wrapping.
std::vector<std::pair<double, double>> columnStarts(const QTextDocument& shown) {
    std::unique_ptr<QTextDocument> document(shown.clone());
    document->setTextWidth(1e6);
    document->documentLayout()->documentSize(); // lays the document out
    std::vector<std::pair<double, double>> starts;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        const qsizetype firstTab = text.indexOf(QLatin1Char('\t'));
        if (firstTab < 0)
            continue;
        const qsizetype secondTab = text.indexOf(QLatin1Char('\t'), firstTab + 1);
        const QTextLine line = block.layout()->lineAt(0);
        starts.emplace_back(line.cursorToX(int(firstTab + 1)), line.cursorToX(int(secondTab + 1)));
    }
    return starts;
}

TEST_F(ReportFormTest, TableColumnsStayAlignedInEveryFontSize) {
    auto form = makeForm();
    for (const char* family : {"DejaVu Sans", "DejaVu Serif"}) {
        for (int size : {6, 8, 10, 12, 14, 18, 24, 36, 48, 72}) {
            SCOPED_TRACE(std::string(family) + " " + std::to_string(size) + " pt");
            QFont font{QString::fromLatin1(family)};
            font.setPointSize(size);
            form->RichEdit1->setFont(font);
            form->ShowReport(defaultCaseReport());
            const auto starts = columnStarts(*form->RichEdit1->document());
            ASSERT_EQ(starts.size(), 18u);
            for (const auto& [value, units] : starts) {
                EXPECT_NEAR(value, starts.front().first, 0.5);
                EXPECT_NEAR(units, starts.front().second, 0.5);
            }
            // The designed stops stay the least: 100 and 160 points.
            EXPECT_GE(starts.front().first, 100 * 96.0 / 72 - 0.5);
            EXPECT_GE(starts.front().second, 160 * 96.0 / 72 - 0.5);
        }
    }
}

TEST_F(ReportFormTest, SmallFontsKeepTheDesignedTabStops) {
    auto form = makeForm();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(6);
    form->RichEdit1->setFont(font);
    form->ShowReport(defaultCaseReport());
    const std::vector<double> stops = form->TabStops();
    ASSERT_EQ(stops.size(), 3u);
    EXPECT_NEAR(stops[0], 100, 1e-9);
    EXPECT_NEAR(stops[1], 160, 1e-9);
    EXPECT_NEAR(stops[2], 200, 1e-9);
}

/// Handles the font dialog: chooses `color` through its "Colour..." button, then confirms the
/// font dialog or cancels it.
void chooseColourInFontDialog(ModalDialogWatchdog& dialogs, const QColor& color, bool confirm) {
    dialogs.expect([&dialogs, color, confirm](QDialog& fontDialog) {
        auto* button = fontDialog.findChild<QPushButton*>(QStringLiteral("ButtonFontColor"));
        if (!button) {
            ADD_FAILURE() << "the font dialog has no colour button";
            fontDialog.reject();
            return;
        }
        EXPECT_EQ(button->text(), QStringLiteral("&Colour..."));
        dialogs.expect([color](QDialog& colorDialog) {
            auto* colors = qobject_cast<QColorDialog*>(&colorDialog);
            ASSERT_NE(colors, nullptr);
            colors->setCurrentColor(color);
            colorDialog.accept();
        });
        // Clicked from the font dialog's own event loop: the watchdog's timer does not fire
        // again while this handler runs, so it could not answer the colour dialog from here.
        QTimer::singleShot(0, button, [button, &fontDialog, confirm] {
            button->click(); // runs the colour dialog, answered by the handler above
            if (confirm)
                fontDialog.accept();
            else
                fontDialog.reject();
        });
    });
}

TEST_F(ReportFormTest, FontDialogChoosesTheReportColourThatIsStoredAsFontColor) {
    auto form = makeForm();
    activate(*form);
    int refreshes = 0;
    form->OnReportRefresh = [&refreshes] { ++refreshes; };
    const std::int32_t before = form->FontColor();

    chooseColourInFontDialog(dialogs, QColor(0, 0, 160), false);
    QTest::mouseClick(form->ButtonFont, Qt::LeftButton);
    EXPECT_EQ(form->FontColor(), before) << "a cancelled font dialog keeps the colour";
    EXPECT_EQ(refreshes, 0);

    chooseColourInFontDialog(dialogs, QColor(0x12, 0x34, 0xA0), true);
    QTest::mouseClick(form->ButtonFont, Qt::LeftButton);
    EXPECT_EQ(form->FontColor(), 0x00A03412); // 0x00BBGGRR
    EXPECT_EQ(form->TextColor(), QColor(0x12, 0x34, 0xA0));
    EXPECT_EQ(refreshes, 1);

    activate(*form);
    deactivate(*form);
    EXPECT_EQ(settings->value(QStringLiteral("FontColor")).toInt(), 0x00A03412);
    TReportForm reopened(settings);
    EXPECT_EQ(reopened.FontColor(), 0x00A03412);
}

TEST_F(ReportFormTest, ResizingRebuildsTheReportOnceAHookIsSet) {
    auto form = makeForm();
    activate(*form);
    form->resize(form->width() + 1, form->height()); // no hook yet: nothing happens
    QTest::qWait(10);

    int refreshes = 0;
    form->OnReportRefresh = [&refreshes] { ++refreshes; };
    form->resize(form->width() + 1, form->height());
    QTest::qWait(10);
    EXPECT_GE(refreshes, 1);
}

TEST_F(ReportFormTest, PrintingWithoutAPrinterSaysSoInsteadOfFailing) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer";
    auto form = makeForm();
    activate(*form);
    form->Printer().setOutputFormat(QPrinter::NativeFormat);
    QTest::mouseClick(form->ButtonPrint, Qt::LeftButton);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("No printer is installed.")))
        << errors[0].toStdString();
    EXPECT_EQ(form->StatusText(), QStringLiteral("Ready"));
}

TEST_F(ReportFormTest, PrinterSetupCanChooseAPdfFileThatPrintThenWrites) {
    auto form = makeForm();
    activate(*form);
    writeLines(*form, {QStringLiteral("Corvel Report")});
    const QString pdf = home.filePath(QStringLiteral("chosen.pdf"));

    QString statusDuringDialog;
    dialogs.expect([&](QDialog& dialog) {
        statusDuringDialog = form->StatusText();
        dialog.reject();
    });
    QTest::mouseClick(form->ButtonSetup, Qt::LeftButton);
    EXPECT_EQ(statusDuringDialog, QStringLiteral("Set up printer"));
    EXPECT_EQ(form->StatusText(), QStringLiteral("Ready"));

    dialogs.expect([&](QDialog& dialog) {
        ASSERT_NE(qobject_cast<QPrintDialog*>(&dialog), nullptr);
        auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
        auto* fileName = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
        if (!printers || !fileName) {
            ADD_FAILURE() << "the printer setup dialog has no printer list or file name";
            dialog.reject();
            return;
        }
        const int pdfEntry = printers->findText(QStringLiteral("PDF"), Qt::MatchContains);
        ASSERT_GE(pdfEntry, 0) << "printing to a PDF file is offered";
        printers->setCurrentIndex(pdfEntry);
        fileName->setText(pdf);
        dialog.accept();
    });
    QTest::mouseClick(form->ButtonSetup, Qt::LeftButton);
    QTest::mouseClick(form->ButtonPrint, Qt::LeftButton);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF-"));
}

/// One word of `pdftotext -bbox` output, in points from the page's top left corner.
struct PdfWord {
    int page;
    double xMin, yMin, xMax, yMax;
    QString text;
};

std::vector<PdfWord> pdfWords(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    process.waitForFinished(30000);
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression pattern(
        QStringLiteral(R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" )re"
                       R"re(yMax="([\d.]+)">([^<]*)</word>)re"));
    std::vector<PdfWord> words;
    int page = -1;
    for (const QRegularExpressionMatch& m : pattern.globalMatch(html)) {
        if (m.captured(0) == QLatin1String("<page ")) {
            ++page;
            continue;
        }
        words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble(), m.captured(5)});
    }
    return words;
}

TEST_F(ReportFormTest, LongReportPrintsToPdfOnSeveralPagesWithTheSameMargins) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        GTEST_SKIP() << "pdftotext and pdfinfo are not installed (Debian package poppler-utils)";
    auto form = makeForm();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    form->RichEdit1->setFont(font);
    QStringList lines{QStringLiteral("XXXXXXXXXX")};
    for (int i = 1; i <= 150; ++i)
        lines << QStringLiteral("Line%1\tvalue%1\tunit%1").arg(i);
    writeLines(*form, lines);

    const QString pdf = home.filePath(QStringLiteral("report.pdf"));
    form->Printer().setOutputFormat(QPrinter::PdfFormat);
    form->Printer().setOutputFileName(pdf);
    activate(*form);
    QTest::mouseClick(form->ButtonPrint, Qt::LeftButton);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    EXPECT_EQ(form->StatusText(), QStringLiteral("Ready"));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(30000);
    const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(infoText.contains(QRegularExpression(QStringLiteral("Title:\\s+Corvel\n"))))
        << infoText.toStdString();

    const std::vector<PdfWord> words = pdfWords(pdf);
    ASSERT_FALSE(words.empty());
    const int pages = words.back().page + 1;
    EXPECT_GE(pages, 3) << "151 lines of 10 pt need more than two pages";

    // The printable area starts at the printer's own margins.
    const QRectF printable = form->Printer().pageLayout().paintRectPoints();
    // The first word is ten X's: the left margin is exactly its width.
    const PdfWord& xs = words.front();
    ASSERT_EQ(xs.text, QStringLiteral("XXXXXXXXXX"));
    const double margin = xs.xMax - xs.xMin;
    EXPECT_NEAR(xs.xMin - printable.left(), margin, 1.0);
    const double lineHeight = xs.yMax - xs.yMin;

    int seen = 0;
    for (int page = 0; page < pages; ++page) {
        SCOPED_TRACE(page);
        const PdfWord* first = nullptr;
        for (const PdfWord& w : words)
            if (w.page == page) {
                first = &w;
                break;
            }
        ASSERT_NE(first, nullptr);
        EXPECT_NEAR(first->xMin - printable.left(), margin, 1.0);
        // Six lines of top margin: the first line starts about six line heights down.
        const double top = first->yMin - printable.top();
        EXPECT_GT(top, 5.5 * lineHeight);
        EXPECT_LT(top, 7.0 * lineHeight);
        for (const PdfWord& w : words) {
            if (w.page != page || !w.text.startsWith(QStringLiteral("value")))
                continue;
            ++seen;
            // The second column sits on the tab stop at 90 points.
            EXPECT_NEAR(w.xMin - printable.left(), margin + 90, 1.0) << w.text.toStdString();
            EXPECT_LE(w.yMax, printable.bottom() + 0.5);
        }
    }
    EXPECT_EQ(seen, 150) << "every line printed once";
}

} // namespace
} // namespace corvel
