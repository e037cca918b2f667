#include "app/Main.h"

#include "MainWindowFixture.h"
#include "app/PipeRunController.h"
#include "app/RoughForm.h"
#include "grid/QxEntryGrid.h"
#include "platform/Beep.h"
#include "platform/RegIniFile.h"
#include "report/QxReporter.h"
#include "shell/Folders.h"
#include "shell/Startup.h"
#include "units/NumberText.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace corvel {
namespace {

/// A main window with its two companions, settings and case file in a folder of the test's
/// own; errors that reach the general error report are recorded, and a modal dialog that no
/// test step expects is closed and reported instead of hanging the run.
class MainFormTest : public test::MainWindowFixture {
protected:
    MainFormTest() : MainWindowFixture("corvel-main-test") {}
};

TEST_F(MainFormTest, StartsWithTheDefaultCaseSolved) {
    EXPECT_EQ(value(1), "24.000");
    EXPECT_EQ(value(2), "3.06");
    EXPECT_EQ(value(3), "100.0");
    EXPECT_EQ(value(4), "9.0");
    EXPECT_EQ(value(5), "0.03000");
    EXPECT_EQ(form_->StatusText(0), "Solved...");
    EXPECT_EQ(form_->StatusText(1), "Flowrate, Diameter");
    EXPECT_EQ(result(0), "3.06");
    EXPECT_EQ(result(9), "229239");
    EXPECT_EQ(result(10), "0.01744");
    EXPECT_EQ(result(11), "Transition");
    EXPECT_EQ(result(12), "0.8141");
    EXPECT_EQ(grid().Cells(0, 0), "Property");
    EXPECT_EQ(grid().Cells(2, 4), "°C");
}

/// A second main window, shown but never activated: what its first paint shows.
struct ShownWindow {
    explicit ShownWindow(const std::function<void(TMainForm&)>& beforeShowing = {}) {
        report = new TReportForm(nullptr, &form);
        form.SetCompanions(new TRoughnessForm(&form), report);
        if (beforeShowing)
            beforeShowing(form);
        form.show();
    }
    void activate() {
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&form, &activate);
    }
    QString result(int item) const { return form.ListView1->item(item, 1)->text(); }

    TMainForm form;
    TReportForm* report = nullptr;
};

TEST_F(MainFormTest, ShowingSolvesSoTheFirstPaintHasTheResults) {
    ShownWindow shown;
    EXPECT_EQ(shown.form.StatusText(0), "Solved...");
    EXPECT_EQ(shown.result(0), "3.06");
    EXPECT_EQ(shown.result(12), "0.8141");
    EXPECT_FALSE(shown.report->ReportPlainText().isEmpty());
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, ShowingLeavesAnUnreadableCaseToTheActivationToReport) {
    ShownWindow shown([](TMainForm& form) { form.IOGrid1->SetCells(1, 1, QStringLiteral("abc")); });
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(shown.form.StatusText(0), "Modified...");
    shown.activate();
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "'abc' is not a valid floating point value");
}

TEST_F(MainFormTest, ShowingLeavesAFailingCaseUntouchedForTheActivation) {
    ShownWindow shown(
        [](TMainForm& form) { form.IOGrid1->SetCells(1, 4, QStringLiteral("-237.3")); });
    EXPECT_EQ(shown.form.StatusText(0), "Modified...");
    EXPECT_EQ(shown.form.Flow.Temperature, -237.3)
        << "no recovery values before the user sees the case";
    shown.activate();
    EXPECT_EQ(shown.form.StatusText(0), "Error...");
    EXPECT_EQ(shown.form.Flow.Temperature, kDefaultTemperature);
}

TEST_F(MainFormTest, CaptionCarriesProductNameAndFileVersion) {
    EXPECT_EQ(form_->windowTitle().toStdString(), "Corvel " CORVEL_TEST_VERSION);
}

TEST_F(MainFormTest, TypingAFlowrateDerivesTheVelocityThenF9Solves) {
    typeValue(1, QStringLiteral("30"));
    EXPECT_EQ(value(1), "30.000");
    EXPECT_EQ(value(2), "3.82");
    EXPECT_EQ(form_->StatusText(0), "Modified...");
    EXPECT_EQ(result(0), "3.06") << "an edit does not solve";

    QTest::keyClick(form_.get(), Qt::Key_F9);
    EXPECT_EQ(form_->StatusText(0), "Solved...");
    EXPECT_EQ(result(0), "3.82");
    EXPECT_EQ(result(12), "1.243");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, EditingVelocityMakesTheDiameterFollow) {
    typeValue(2, QStringLiteral("2"));
    EXPECT_EQ(value(3), "123.6");
    EXPECT_EQ(form_->StatusText(1), "Velocity, Flowrate");
}

TEST_F(MainFormTest, CopyPutsTheThirteenResultLinesOnTheClipboard) {
    form_->Copy1->trigger();
    const QString text = QApplication::clipboard()->text();
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 13);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Velocity,3.06,m/s\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Pressure Drop Rate,0.8141,kPa/m\r\n")));
}

TEST_F(MainFormTest, ReportHasTwentySixLinesWithItsStyles) {
    QTextDocument* document = report_->RichEdit1->document();
    ASSERT_EQ(document->blockCount(), 26);
    const QTextBlock title = document->findBlockByNumber(1);
    EXPECT_EQ(title.text(), "Corvel Report");
    const QTextCharFormat titleFormat = title.begin().fragment().charFormat();
    EXPECT_EQ(titleFormat.fontWeight(), QFont::Bold);
    EXPECT_TRUE(titleFormat.fontUnderline());
    EXPECT_EQ(document->findBlockByNumber(3).text(), "Input");
    EXPECT_EQ(document->findBlockByNumber(4).text(), "Water Flowrate\t24.000\tl/s");
    EXPECT_EQ(document->findBlockByNumber(11).text(), "Velocity\t3.06\tm/s");
    EXPECT_EQ(document->findBlockByNumber(23).text(), "Pressure Drop Rate\t0.8141\tkPa/m");
    const QTextBlock closing = document->findBlockByNumber(25);
    EXPECT_TRUE(closing.begin().fragment().charFormat().fontItalic());
    EXPECT_FALSE(closing.text().isEmpty());
    const auto tabs = document->findBlockByNumber(4).blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 3);
}

TEST_F(MainFormTest, ClosingKeepsTheInputsForTheNextStart) {
    typeValue(2, QStringLiteral("2"));
    typeValue(4, QStringLiteral("60"));
    reopen();
    EXPECT_EQ(value(1), "24.000");
    EXPECT_EQ(value(2), "2.00");
    EXPECT_EQ(value(3), "123.6");
    EXPECT_EQ(value(4), "60.0");
}

TEST_F(MainFormTest, AfterAFailedSolveTheNextStartShowsTheRecoveryCase) {
    typeValue(1, QStringLiteral("50"));
    grid().SetCells(1, 4, QStringLiteral("-237.3")); // beyond what the editor admits
    form_->SolveActionExecute();
    EXPECT_EQ(form_->StatusText(0), "Error...");
    EXPECT_EQ(result(0), "3.06") << "the list keeps the last successful solve";
    reopen();
    EXPECT_EQ(value(1), "24.000");
    EXPECT_EQ(value(3), "100.0");
    EXPECT_EQ(value(4), "9.0");
    EXPECT_EQ(value(5), "0.03000");
}

TEST_F(MainFormTest, UnreadableGridTextIsReportedAndKeepsTheResults) {
    grid().SetCells(1, 1, QStringLiteral("abc"));
    form_->SolveAction->trigger();
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "'abc' is not a valid floating point value");
    EXPECT_EQ(result(0), "3.06");
}

TEST_F(MainFormTest, SaveAndOpenTheCaseFile) {
    form_->Save1->trigger();
    QFile file(QString::fromStdString(form_->CaseFileName()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    EXPECT_TRUE(text.contains(QStringLiteral("[Store]")));
    EXPECT_TRUE(text.contains(QStringLiteral("Q=0.024000")));
    EXPECT_TRUE(text.contains(QStringLiteral("k=0.000030")));

    typeValue(1, QStringLiteral("30"));
    form_->Open1->trigger();
    EXPECT_EQ(value(1), "24.000");
    EXPECT_EQ(form_->StatusText(0), "Solved...");
}

TEST_F(MainFormTest, SmallInputsSurviveSaveAndOpen) {
    typeValue(5, QStringLiteral("0.0003"));
    typeValue(1, QStringLiteral("0.0123"));
    form_->Save1->trigger();
    QFile file(QString::fromStdString(form_->CaseFileName()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("k=0.0000003\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Q=0.0000123\n"))) << text.toStdString();
    typeValue(5, QStringLiteral("0.1"));
    form_->Open1->trigger();
    EXPECT_EQ(value(5), "0.00030");
    EXPECT_EQ(value(1), "0.012");
    EXPECT_NE(result(11), "Smooth");
}

TEST_F(MainFormTest, CaseFileGoesToTheUserDataFolderWhenTheProgramFolderIsReadOnly) {
    QTemporaryDir userData;
    Shell().ProgramFolder = "/nonexistent/corvel/";
    Shell().UserDataFolder = userData.path().toStdString() + "/";
    form_.reset();
    open();
    EXPECT_EQ(form_->CaseFileName(), Shell().UserDataFolder + "Corvel.ini");
    form_->Save1->trigger();
    EXPECT_TRUE(QFile::exists(userData.filePath(QStringLiteral("Corvel.ini"))));
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, GarbageInTheCaseFileGivesDefaultsForThoseKeysOnly) {
    QFile file(QString::fromStdString(form_->CaseFileName()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Store]\nQ=nan\nd=-0.2\nt=1E999\nk=0.000100\n");
    file.close();
    form_->Open1->trigger();
    EXPECT_EQ(value(1), "24.000");
    EXPECT_EQ(value(3), "100.0");
    EXPECT_EQ(value(4), "9.0");
    EXPECT_EQ(value(5), "0.10000");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, ZeroFlowrateAndZeroDiameterSolveToBadData) {
    for (const char* store : {"[Store]\nQ=0.000000\n", "[Store]\nd=0.000000\n"}) {
        QFile file(QString::fromStdString(form_->CaseFileName()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(store);
        file.close();
        form_->Open1->trigger();
        EXPECT_EQ(form_->StatusText(0), "Solved...") << store;
        EXPECT_EQ(result(11), "Bad Data") << store;
        EXPECT_EQ(result(10), "0") << store;
        EXPECT_EQ(result(12), "0") << store;
    }
}

TEST_F(MainFormTest, AnUnreadableTextIsReportedOncePerUserAction) {
    grid().SetCells(1, 2, QStringLiteral("."));
    form_->SolveAction->trigger();
    ASSERT_EQ(errors_.size(), 1u);
    // Closing the error box activates the window again, and activation solves.
    for (int i = 0; i < 3; ++i) {
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(form_.get(), &activate);
    }
    EXPECT_EQ(errors_.size(), 1u);
    form_->SolveAction->trigger(); // the user asks again: the error shows again
    EXPECT_EQ(errors_.size(), 2u);
    grid().SetCells(1, 2, QStringLiteral("3.06"));
    form_->SolveAction->trigger();
    EXPECT_EQ(form_->StatusText(0), "Solved...");
}

TEST_F(MainFormTest, OpenWithNoSavedCaseKeepsTheInputsAndSaysSo) {
    Shell().UserDataFolder = folder_.path().toStdString() + "/";
    typeValue(1, QStringLiteral("30"));
    form_->Open1->trigger();
    EXPECT_EQ(value(1), "30.000");
    EXPECT_EQ(form_->StatusText(0), "Modified...") << "nothing was opened, nothing solved";
    EXPECT_EQ(form_->StatusBar1->currentMessage(),
              QStringLiteral("No saved case (%1/Corvel.ini does not exist)").arg(folder_.path()));
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, DiameterButtonPicksTheStandardPipe) {
    const std::pair<const char*, const char*> cases[] = {
        {"24", "100.0"}, {"0.2", "15.0"}, {"2000", "750.0"}, {"50", "150.0"}};
    for (const auto& [flow, diameter] : cases) {
        typeValue(1, QString::fromLatin1(flow));
        selectValueCell(3);
        ASSERT_TRUE(grid().PropEdButton()->isVisible());
        QTest::mouseClick(grid().PropEdButton(), Qt::LeftButton);
        EXPECT_EQ(value(3), diameter) << flow << " l/s";
        EXPECT_EQ(form_->StatusText(1), "Diameter, Flowrate");
    }
}

TEST_F(MainFormTest, RoughnessGuideOkWithoutAChangeGivesDrawnTube) {
    selectValueCell(5);
    expectingModal_ = true;
    QTimer::singleShot(0, [this] { QTest::mouseClick(roughness_->BitBtn1, Qt::LeftButton); });
    QTest::mouseClick(grid().PropEdButton(), Qt::LeftButton);
    expectingModal_ = false;
    EXPECT_EQ(value(5), "0.00150");
}

TEST_F(MainFormTest, RoughnessButtonTakesTheGuidesChoice) {
    selectValueCell(5);
    ASSERT_TRUE(grid().PropEdButton()->isVisible());
    expectingModal_ = true;
    QTimer::singleShot(0, [this] {
        roughness_->ComboBox1->setCurrentIndex(3);
        roughness_->accept();
    });
    QTest::mouseClick(grid().PropEdButton(), Qt::LeftButton);
    expectingModal_ = false;
    EXPECT_EQ(value(5), "0.50000");
    EXPECT_EQ(form_->StatusText(0), "Modified...");
}

TEST_F(MainFormTest, ColumnWidthsAndPlacementComeBackAfterARestart) {
    grid().SetColWidths(0, 170);
    grid().SetColWidths(2, 77);
    form_->move(40, 50);
    form_->resize(450, 420);
    const QRect before = form_->geometry();
    reopen();
    EXPECT_EQ(grid().ColWidths(0), 170);
    EXPECT_EQ(grid().ColWidths(2), 77);
    EXPECT_EQ(form_->size(), before.size());
}

TEST_F(MainFormTest, AFontChangeRebuildsTheReportWithoutASolve) {
    typeValue(1, QStringLiteral("30")); // edited, not solved
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(14);
    report_->RichEdit1->setFont(font);
    ASSERT_TRUE(report_->OnReportRefresh);
    report_->OnReportRefresh();
    QTextDocument* document = report_->RichEdit1->document();
    EXPECT_EQ(document->findBlockByNumber(4).text(), "Water Flowrate\t30.000\tl/s");
    EXPECT_EQ(document->findBlockByNumber(11).text(), "Velocity\t3.06\tm/s") << "no new solve";
    EXPECT_EQ(document->findBlockByNumber(4).begin().fragment().charFormat().font().pointSize(),
              14);
    EXPECT_EQ(form_->StatusText(0), "Modified...");
}

TEST_F(MainFormTest, AutoSizeKeepsTheColumnMinimums) {
    form_->AutoSize1->trigger();
    EXPECT_GE(grid().ColWidths(0), 90);
    EXPECT_GE(grid().ColWidths(1), 60);
    EXPECT_GE(form_->width(), 230);
    EXPECT_GE(form_->height(), 330);
}

TEST_F(MainFormTest, AutoSizeFitsTheResultsAndTheMenuBarToo) {
    for (const bool run : {false, true}) {
        if (run)
            form_->Runs->setOn(true);
        form_->AutoSize1->trigger();
        const QFontMetrics metrics(form_->ListView1->font());
        for (int row = 0; row < form_->ListView1->rowCount(); ++row)
            for (int col = 0; col < 3; ++col) {
                const QString text = form_->ListView1->item(row, col)->text();
                EXPECT_LT(metrics.horizontalAdvance(text) + 8, grid().ColWidths(col))
                    << text.toStdString() << (run ? " with the pipe run" : "");
            }
        EXPECT_GE(form_->width(), form_->menuBar()->sizeHint().width());
    }
}

TEST_F(MainFormTest, ResultsListFollowsTheGridColumns) {
    grid().SetColWidths(0, 150);
    grid().repaint();
    QApplication::processEvents();
    EXPECT_EQ(form_->ListView1->columnWidth(0), 150);
}

TEST_F(MainFormTest, StartsInTheFlowrateValueSoTypingAtOnceEditsIt) {
    EXPECT_EQ(QPoint(grid().Col(), grid().Row()), QPoint(1, 1));
    QTest::keyClicks(&grid(), QStringLiteral("3"));
    QWidget* editor = grid().InplaceEditor();
    ASSERT_TRUE(editor != nullptr && editor->isVisible());
    QTest::keyClicks(editor, QStringLiteral("0"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClick(form_.get(), Qt::Key_F9);
    EXPECT_EQ(value(1), "30.000");
    EXPECT_EQ(result(0), "3.82");
    EXPECT_EQ(form_->StatusText(0), "Solved...");
}

TEST_F(MainFormTest, AMenuOpenedFromTheKeyboardWhileEditingLeavesTheEntryAsTyped) {
    selectValueCell(kTemperatureRow);
    QTest::keyClicks(&grid(), QStringLiteral("2"));
    QWidget* editor = grid().InplaceEditor();
    ASSERT_TRUE(editor != nullptr && editor->isVisible());

    // Alt+V lends the keyboard to the menu bar; Esc closes the menu and Esc again leaves the
    // menu bar, which gives the keyboard back to the editor with "2" as it was typed.
    QTest::keyClick(editor, Qt::Key_V, Qt::AltModifier);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_Escape);
    QTest::keyClick(form_->menuBar(), Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(form_->focusWidget(), editor);
    EXPECT_EQ(static_cast<QLineEdit*>(editor)->text(), "2") << "not reformatted on the way";
    QTest::keyClicks(editor, QStringLiteral("5"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(value(kTemperatureRow), "25.0");
}

TEST_F(MainFormTest, TabOutOfTheEditorCommitsAsEnterDoes) {
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Tab, Qt::KeyboardModifiers{}},
          std::pair{Qt::Key_Backtab, Qt::KeyboardModifiers{Qt::ShiftModifier}}}) {
        selectValueCell(1);
        selectValueCell(1);
        QWidget* editor = grid().InplaceEditor();
        ASSERT_TRUE(editor != nullptr && editor->isVisible());
        QTest::keyClicks(editor, QStringLiteral("40"));
        QTest::keyClick(editor, key, modifiers);
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(value(1), "40.000");
        EXPECT_EQ(value(2), "5.09") << "the commit derives the velocity";
        EXPECT_EQ(form_->StatusText(0), "Modified...");
        QTest::keyClick(form_.get(), Qt::Key_F9);
        EXPECT_EQ(result(0), "5.09");
        typeValue(1, QStringLiteral("24")); // back to the start for the next key
    }
    EXPECT_TRUE(errors_.empty());
}

struct GridReader {
    const char* what;
    std::function<void(TMainForm&)> act;
    bool solves;
};

TEST_F(MainFormTest, EveryCommandThatReadsTheGridFirstCommitsTheOpenEditor) {
    const GridReader readers[] = {
        {"F9", [](TMainForm& f) { QTest::keyClick(&f, Qt::Key_F9); }, true},
        {"Solve menu", [](TMainForm& f) { f.SolveAction->trigger(); }, true},
        {"Report", [](TMainForm& f) { f.ReportPreview1->trigger(); }, true},
        {"Copy", [](TMainForm& f) { f.Copy1->trigger(); }, false},
        {"Save", [](TMainForm& f) { f.Save1->trigger(); }, false},
        {"click in the results list",
         [](TMainForm& f) {
             QTest::mouseClick(f.ListView1->viewport(), Qt::LeftButton, {},
                               f.ListView1->visualItemRect(f.ListView1->item(3, 1)).center());
         },
         false},
    };
    for (const GridReader& reader : readers) {
        typeValue(2, QStringLiteral("3.06")); // a fresh, solved start for each reader
        QTest::keyClick(form_.get(), Qt::Key_F9);
        selectValueCell(2);
        selectValueCell(2);
        QWidget* editor = grid().InplaceEditor();
        ASSERT_TRUE(editor != nullptr && editor->isVisible()) << reader.what;
        QTest::keyClicks(editor, QStringLiteral("5"));
        reader.act(*form_);
        EXPECT_FALSE(editor->isVisible()) << reader.what;
        EXPECT_EQ(value(2), "5.00") << reader.what;
        EXPECT_EQ(form_->Flow.Velocity, 5) << reader.what;
        if (reader.solves) {
            EXPECT_EQ(result(0), "5.00") << reader.what;
            EXPECT_EQ(form_->StatusText(0), "Solved...") << reader.what;
        }
    }
    report_->hide();
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, ClosingCommitsTheOpenEditorSoTheNextStartHasItsValue) {
    selectValueCell(4);
    selectValueCell(4);
    QTest::keyClicks(grid().InplaceEditor(), QStringLiteral("60"));
    reopen();
    EXPECT_EQ(value(4), "60.0");
}

TEST_F(MainFormTest, SolvingWithAValueBeyondTheRangeSolvesTheLimitWithABeep) {
    int beeps = 0;
    const BeepHook previous = SetBeepHook([&] { ++beeps; });
    selectValueCell(2);
    selectValueCell(2);
    QTest::keyClicks(grid().InplaceEditor(), QStringLiteral("60"));
    QTest::keyClick(form_.get(), Qt::Key_F9);
    SetBeepHook(previous);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(value(2), "50.00");
    EXPECT_EQ(result(0), "50.00");
}

TEST_F(MainFormTest, ACommitThatCannotBeReadEndsTheSolveWithOneErrorReport) {
    selectValueCell(2);
    selectValueCell(2);
    QTest::keyClicks(grid().InplaceEditor(), QStringLiteral("."));
    QTest::keyClick(form_.get(), Qt::Key_F9);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "'.' is not a valid floating point value");
    EXPECT_EQ(form_->StatusText(0), "Solved...") << "the solve did not run";
    // Closing the error box activates the window, which solves: the same error stays unshown.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form_.get(), &activate);
    EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(MainFormTest, EnterOnAnUnchangedVelocityKeepsTheOtherValues) {
    selectValueCell(2);
    selectValueCell(2);
    QTest::keyClick(grid().InplaceEditor(), Qt::Key_Return);
    EXPECT_EQ(value(3), "100.0");
    EXPECT_EQ(value(1), "24.000");
    EXPECT_EQ(form_->StatusText(1), "Velocity, Flowrate");
}

TEST_F(MainFormTest, ADerivedFlowrateShownAsZeroSolvesWithItsExactValue) {
    typeValue(2, QStringLiteral("0.5"));
    typeValue(3, QStringLiteral("0.13"));
    EXPECT_EQ(value(1), "0.000");
    QTest::keyClick(form_.get(), Qt::Key_F9);
    EXPECT_EQ(form_->StatusText(0), "Solved...");
    EXPECT_EQ(result(0), "0.50");
    EXPECT_NE(result(11), "Bad Data");
}

TEST_F(MainFormTest, MenusCarryTheirCaptionsAndShortcuts) {
    EXPECT_EQ(form_->SolveAction->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(form_->SolveAction->text(), "Solve");
    EXPECT_EQ(form_->ReportPreview1->text(), "&Report Results");
    EXPECT_FALSE(form_->ListView1->focusPolicy() & Qt::TabFocus);
}

} // namespace
} // namespace corvel

#include "app/ReportSettings.h"

namespace corvel {
namespace {

TEST_F(MainFormTest, ReportWindowKeepsItsFontAndSizeInTheUserSettings) {
    RegistryReportSettings settings;
    settings.writeString(QStringLiteral("ReportForm"), QStringLiteral("FontName"),
                         QStringLiteral("DejaVu Serif"));
    settings.writeInteger(QStringLiteral("ReportForm"), QStringLiteral("FontSize"), 13);
    // Value names are matched regardless of case, as the report window reads them.
    EXPECT_EQ(
        settings.readString(QStringLiteral("ReportForm"), QStringLiteral("fontname"), QString()),
        "DejaVu Serif");
    EXPECT_EQ(settings.readInteger(QStringLiteral("ReportForm"), QStringLiteral("FontSize"), 0),
              13);

    QWidget window;
    window.setObjectName(QStringLiteral("ReportForm"));
    window.resize(300, 420);
    settings.savePlacement(window);
    QWidget restored;
    restored.setObjectName(QStringLiteral("ReportForm"));
    restored.resize(100, 100);
    settings.restorePlacement(restored);
    EXPECT_EQ(restored.size(), QSize(300, 420));

    TReportForm report(std::make_shared<RegistryReportSettings>());
    EXPECT_EQ(report.RichEdit1->font().family(), "DejaVu Serif");
    EXPECT_EQ(report.RichEdit1->font().pointSize(), 13);
}

} // namespace
} // namespace corvel

#include "FileReplacements.h"
#include "shell/Placement.h"

#include <sys/stat.h>

namespace corvel {
namespace {

/// The case file of the File menu with a user's data folder of the test's own.
class CaseFileMenuTest : public MainFormTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(userFolder_.isValid());
        userDataFolder_ = userFolder_.path().toStdString() + "/";
        Shell().ProgramInstalled = false;
        MainFormTest::SetUp();
    }
    void TearDown() override {
        Shell().ProgramInstalled = false;
        MainFormTest::TearDown();
    }
    QString programFile() const { return folder_.filePath(QStringLiteral("Corvel.ini")); }
    QString userFile() const { return userFolder_.filePath(QStringLiteral("Corvel.ini")); }
    static void write(const QString& path, const char* text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir userFolder_;
};

TEST_F(CaseFileMenuTest, OpenReadsTheUsersCopyWhenTheProgramFolderHasNoneAndSaysWhich) {
    write(userFile(), "[Store]\nQ=0.030000\n");
    form_->Open1->trigger();
    EXPECT_EQ(value(1), "30.000");
    EXPECT_EQ(form_->StatusText(0), "Solved...");
    EXPECT_EQ(form_->StatusBar1->currentMessage(), "Case opened from " + userFile());
}

TEST_F(CaseFileMenuTest, SaveReplacesTheCaseFileOnceWithAllFourKeys) {
    write(programFile(), "[Store]\nQ=0.030000\n");
    test::FileReplacements replacements(folder_.path().toStdString(), "Corvel.ini");
    ASSERT_TRUE(replacements.watching());
    form_->Save1->trigger();
    EXPECT_EQ(replacements.count(), 1);
    EXPECT_EQ(form_->StatusBar1->currentMessage(), "Case saved in " + programFile());
    QFile file(programFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[Store]\nQ=0.024000\nd=0.100000\nt=9.000000\nk=0.000030\n");
}

TEST_F(CaseFileMenuTest, AnInstalledCopyKeepsItsCaseInTheUsersFolderOnly) {
    Shell().ProgramInstalled = true;
    write(programFile(), "[Store]\nQ=0.030000\n"); // left beside the program by an old version
    form_->Open1->trigger();
    EXPECT_EQ(value(1), "24.000") << "the copy beside the program is not read";
    EXPECT_EQ(form_->StatusBar1->currentMessage(),
              "No saved case (" + userFile() + " does not exist)");
    typeValue(1, QStringLiteral("40"));
    form_->Save1->trigger();
    EXPECT_EQ(form_->StatusBar1->currentMessage(), "Case saved in " + userFile());
    QFile beside(programFile());
    ASSERT_TRUE(beside.open(QIODevice::ReadOnly));
    EXPECT_EQ(beside.readAll(), "[Store]\nQ=0.030000\n") << "nothing is written beside it";
    typeValue(1, QStringLiteral("50"));
    form_->Open1->trigger();
    EXPECT_EQ(value(1), "40.000");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(CaseFileMenuTest, AFifoInPlaceOfTheCaseFileIsRefusedWithoutHanging) {
    ASSERT_EQ(::mkfifo(programFile().toLocal8Bit().constData(), 0644), 0);
    form_->Open1->trigger();
    form_->Save1->trigger();
    EXPECT_EQ(errors_,
              (std::vector<std::string>{"Unable to read " + programFile().toStdString(),
                                        "Unable to write to " + programFile().toStdString()}));
    EXPECT_EQ(value(1), "24.000");
}

TEST_F(CaseFileMenuTest, ClosingWritesTheWindowsSettingsInOneReplacement) {
    const QString settingsFile = settings().fileName();
    const QFileInfo settings(settingsFile);
    ASSERT_TRUE(QDir().mkpath(settings.absolutePath()));
    test::FileReplacements replacements(settings.absolutePath().toStdString(),
                                        settings.fileName().toStdString());
    ASSERT_TRUE(replacements.watching());
    typeValue(4, QStringLiteral("60"));
    form_->close();
    EXPECT_EQ(replacements.count(), 1);
    const TRegIniFile store(settingsKey());
    EXPECT_EQ(store.ReadFloat("Settings", "t", 0), 60);
    EXPECT_EQ(store.ReadInteger("MainForm", "Width", 0), form_->width());
    EXPECT_EQ(store.ReadInteger("Settings", "Col0", 0), grid().ColWidths(0));
}

} // namespace
} // namespace corvel
