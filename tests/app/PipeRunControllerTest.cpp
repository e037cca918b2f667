#include "app/PipeRunController.h"

#include "MainWindowFixture.h"
#include "app/Main.h"
#include "dialogs/FittingsDialog.h"
#include "grid/QxEntryGrid.h"
#include "platform/Errors.h"
#include "report/QxReporter.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>

namespace corvel {
namespace {

/// A main window with its settings and case file in a folder of the test's own; a modal dialog
/// that no step expects is closed and reported instead of hanging the run.
class PipeRunControllerTest : public test::MainWindowFixture {
protected:
    PipeRunControllerTest() : MainWindowFixture("corvel-pipe-run-test", {.errorsFail = true}) {}

    QAction& pipeRun() { return *form_->Runs->action(); }
    QString copied() {
        form_->Copy1->trigger();
        return QApplication::clipboard()->text();
    }
};

TEST_F(PipeRunControllerTest, OffByDefaultAndTogglingBackLeavesTheWindowAsItWas) {
    EXPECT_FALSE(pipeRun().isChecked());
    const QString before = copied();
    const int gridHeight = grid().height();
    const QStringList lines = grid().Lines();
    ASSERT_EQ(grid().RowCount(), 6);
    ASSERT_EQ(form_->ListView1->rowCount(), 13);

    pipeRun().trigger();
    EXPECT_TRUE(pipeRun().isChecked());
    ASSERT_EQ(grid().RowCount(), 11);
    EXPECT_EQ(grid().Cells(0, kPipeLengthRow), "Pipe Length");
    EXPECT_EQ(grid().Cells(0, kFittingsRow), "Fittings");
    EXPECT_EQ(grid().Cells(1, kFittingsRow), "ΣK 0.00");
    EXPECT_EQ(grid().Cells(2, kFittingsRow), "no fittings");
    EXPECT_EQ(grid().Cells(1, kPumpEfficiencyRow), "70.0");
    EXPECT_EQ(grid().Cells(1, kLinePressureRow), "101.325");
    ASSERT_EQ(form_->ListView1->rowCount(), 20);
    EXPECT_EQ(form_->ListView1->item(13, 0)->text(), "Friction Loss");
    EXPECT_EQ(form_->ListView1->item(19, 0)->text(), "Shaft Power");
    EXPECT_GT(grid().height(), gridHeight);
    EXPECT_TRUE(copied().startsWith(before)) << "the run's lines follow today's";
    EXPECT_EQ(copied().count(QStringLiteral("\r\n")), 20);
    EXPECT_NE(grid().Field(kDiameterRow)->OnPropEdit, nullptr) << "the diameter keeps its button";

    pipeRun().trigger();
    EXPECT_EQ(grid().Lines(), lines);
    EXPECT_EQ(grid().height(), gridHeight);
    EXPECT_EQ(copied(), before);
    EXPECT_NE(grid().Field(kRoughnessRow)->OnPropEdit, nullptr);
}

TEST_F(PipeRunControllerTest, ColumnsWidenForTheRunsLongestTextsAndNarrowAgainWithoutIt) {
    constexpr int kValueColumn = 1;
    constexpr int kUnitColumn = 2;
    const QFontMetrics metrics(grid().font());
    const int value = grid().ColWidths(kValueColumn);
    const int unit = grid().ColWidths(kUnitColumn);
    ASSERT_LT(value, metrics.horizontalAdvance(QStringLiteral("no pump needed")));

    pipeRun().trigger();
    form_->FitListColumns();
    EXPECT_GT(form_->ListView1->columnWidth(kValueColumn),
              metrics.horizontalAdvance(QStringLiteral("no pump needed")));
    EXPECT_GT(grid().ColWidths(kUnitColumn),
              metrics.horizontalAdvance(QStringLiteral("12 fittings + K")));
    pipeRun().trigger();
    EXPECT_EQ(grid().ColWidths(kValueColumn), value);
    EXPECT_EQ(grid().ColWidths(kUnitColumn), unit);

    // The widths kept over a restart are the user's: the run widens them again, and without it
    // the columns are as designed.
    pipeRun().trigger();
    reopen();
    ASSERT_TRUE(pipeRun().isChecked());
    EXPECT_GT(grid().ColWidths(kValueColumn), value);
    pipeRun().trigger();
    EXPECT_EQ(grid().ColWidths(kValueColumn), value);
    EXPECT_EQ(grid().ColWidths(kUnitColumn), unit);

    // A width the user chose while the run was shown is theirs to keep.
    pipeRun().trigger();
    grid().SetColWidths(kValueColumn, 150);
    pipeRun().trigger();
    EXPECT_EQ(grid().ColWidths(kValueColumn), 150);
    EXPECT_EQ(grid().ColWidths(kUnitColumn), unit);
}

TEST_F(PipeRunControllerTest, TypedRunSolvesToTheCoresTotalsAndAFallingRunNeedsNoPump) {
    pipeRun().trigger();
    form_->Runs->run().Inputs.fittings.setCount(FindFitting("Elbow 90 deg threaded standard r/D=1"),
                                                4);
    form_->ShowInputs();
    typeValue(kPipeLengthRow, QStringLiteral("100"));
    typeValue(kElevationRiseRow, QStringLiteral("10"));
    form_->SolveAction->trigger();
    EXPECT_EQ(form_->StatusText(0), "Solved...");
    EXPECT_EQ(form_->Runs->run().Inputs.length, 100);
    EXPECT_EQ(result(13), "81.412");
    EXPECT_EQ(result(16), "189.053");
    EXPECT_EQ(result(18), "4.537");
    EXPECT_EQ(grid().Cells(2, kFittingsRow), "4 fittings");
    EXPECT_EQ(grid().Cells(1, kFittingsRow), "ΣK 2.06");

    typeValue(kElevationRiseRow, QStringLiteral("-100"));
    form_->SolveAction->trigger();
    EXPECT_EQ(result(18), "no pump needed");
    EXPECT_EQ(result(19), "no pump needed");
}

TEST_F(PipeRunControllerTest, TheReportListsTheRunsRowsAndResultsAfterTodaysLines) {
    pipeRun().trigger();
    typeValue(kPipeLengthRow, QStringLiteral("100"));
    form_->ReportPreview1->trigger();
    report_->hide();
    QTextDocument* document = report_->RichEdit1->document();
    // 26 lines and the run's five inputs and seven results.
    ASSERT_EQ(document->blockCount(), 38);
    EXPECT_EQ(document->findBlockByNumber(8).text(), "Surface Roughness\t0.03000\tmm");
    EXPECT_EQ(document->findBlockByNumber(9).text(), "Pipe Length\t100.00\tm");
    EXPECT_EQ(document->findBlockByNumber(10).text(), "Fittings\tΣK 0.00\tno fittings");
    EXPECT_EQ(document->findBlockByNumber(13).text(), "Line Pressure\t101.325\tkPa");
    EXPECT_EQ(document->findBlockByNumber(28).text(), "Pressure Drop Rate\t0.8141\tkPa/m");
    EXPECT_EQ(document->findBlockByNumber(29).text(), "Friction Loss\t81.412\tkPa");
    EXPECT_EQ(document->findBlockByNumber(35).text(), "Shaft Power\t2.791\tkW");
}

TEST_F(PipeRunControllerTest, ACheckValveTheFlowDoesNotOpenMarksTheFittingsLoss) {
    pipeRun().trigger();
    form_->Runs->run().Inputs.fittings.setCount(FindFitting("Valve check swing"), 1);
    form_->ShowInputs();
    typeValue(kFlowRateRow, QStringLiteral("1"));
    form_->SolveAction->trigger();
    EXPECT_TRUE(form_->ListView1->item(14, 1)->toolTip().contains("not fully open"));
    EXPECT_TRUE(form_->ListView1->item(13, 1)->toolTip().isEmpty()) << "friction is not marked";
    typeValue(kFlowRateRow, QStringLiteral("24"));
    form_->SolveAction->trigger();
    EXPECT_TRUE(form_->ListView1->item(14, 1)->toolTip().isEmpty());
}

TEST_F(PipeRunControllerTest, SwitchedFromTheMenuWhileEditingTheKeyboardStaysInTheGrid) {
    selectValueCell(kTemperatureRow);
    QTest::keyClicks(&grid(), QStringLiteral("2"));
    QWidget* editor = grid().InplaceEditor();
    ASSERT_TRUE(editor != nullptr && editor->isVisible());
    QTest::keyClicks(editor, QStringLiteral("0"));

    // Alt+V lends the keyboard to the menu bar, and P in the View menu rebuilds the grid, which
    // closes the editor the menu bar would have given the keyboard back to.
    QTest::keyClick(editor, Qt::Key_V, Qt::AltModifier);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_P);
    QApplication::processEvents();
    EXPECT_TRUE(pipeRun().isChecked());
    EXPECT_EQ(value(kTemperatureRow), "20.0") << "the edit was kept";
    EXPECT_EQ(form_->focusWidget(), &grid());
}

TEST_F(PipeRunControllerTest, DownOntoTheFittingsRowCommitsTheLengthBeingTyped) {
    pipeRun().trigger();
    selectValueCell(kPipeLengthRow);
    QTest::keyClicks(&grid(), QStringLiteral("3"));
    QWidget* editor = grid().InplaceEditor();
    ASSERT_TRUE(editor != nullptr && editor->isVisible());
    QTest::keyClicks(editor, QStringLiteral("00"));
    QTest::keyClick(editor, Qt::Key_Down);
    EXPECT_EQ(grid().Row(), kFittingsRow);
    EXPECT_FALSE(editor->isVisible()) << "the Fittings row takes no typed value";
    EXPECT_EQ(value(kPipeLengthRow), "300.00");
    // Keys typed on the Fittings row no longer reach the length.
    QTest::keyClicks(QApplication::focusWidget() ? QApplication::focusWidget() : &grid(),
                     QStringLiteral("20"));
    form_->SolveAction->trigger();
    EXPECT_EQ(form_->Runs->run().Inputs.length, 300);
}

TEST_F(PipeRunControllerTest, TheViewAndTheRunComeBackAfterARestart) {
    pipeRun().trigger();
    typeValue(kPipeLengthRow, QStringLiteral("42.5"));
    typeValue(kPumpEfficiencyRow, QStringLiteral("55"));
    reopen();
    EXPECT_TRUE(pipeRun().isChecked());
    EXPECT_EQ(grid().Cells(1, kPipeLengthRow), "42.50");
    EXPECT_EQ(grid().Cells(1, kPumpEfficiencyRow), "55.0");
    pipeRun().trigger();
    reopen();
    EXPECT_FALSE(pipeRun().isChecked());
    EXPECT_EQ(grid().RowCount(), 6);
}

TEST_F(PipeRunControllerTest, TheLinePressureRowIsTheSolveMenusLinePressure) {
    pipeRun().trigger();
    typeValue(kLinePressureRow, QStringLiteral("250"));
    EXPECT_EQ(form_->Flow.LinePressure, 250);
    // Set elsewhere (the Line Pressure dialog), the row follows and a solve keeps it.
    form_->Flow.LinePressure = 300;
    form_->Runs->showInputs();
    form_->SolveAction->trigger();
    EXPECT_EQ(form_->Flow.LinePressure, 300);
    EXPECT_EQ(grid().Cells(1, kLinePressureRow), "300.000");
}

TEST_F(PipeRunControllerTest, TheFittingsButtonOpensTheEditorAndItsAnswerSolves) {
    pipeRun().trigger();
    expectingModal_ = true;
    QTimer::singleShot(100, [] {
        auto* dialog = qobject_cast<FittingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* otherK = dialog->findChild<QLineEdit*>(QStringLiteral("OtherKEdit"));
        ASSERT_NE(otherK, nullptr);
        otherK->setText(QStringLiteral("2.5"));
        dialog->accept();
    });
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {},
                      grid().CellRect(1, kFittingsRow).center());
    ASSERT_NE(grid().PropEdButton(), nullptr);
    ASSERT_TRUE(grid().PropEdButton()->isVisible());
    grid().PropEdButton()->click();
    expectingModal_ = false;
    EXPECT_EQ(form_->Runs->run().Inputs.fittings.otherK, 2.5);
    EXPECT_EQ(grid().Cells(1, kFittingsRow), "ΣK 2.50");
    EXPECT_EQ(grid().Cells(2, kFittingsRow), "other K");
    EXPECT_EQ(form_->StatusText(0), "Solved...");

    // Counted fittings join the other K; the row's sum is the set's own at the solved flow.
    QTimer::singleShot(100, [] {
        auto* dialog = qobject_cast<FittingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* elbows = dialog->findChild<QSpinBox*>(QStringLiteral("CountBox0"));
        ASSERT_NE(elbows, nullptr);
        elbows->setValue(4);
        dialog->accept();
    });
    expectingModal_ = true;
    grid().PropEdButton()->click();
    expectingModal_ = false;
    const FittingSet& set = form_->Runs->run().Inputs.fittings;
    EXPECT_EQ(set.count(Fittings()[0]), 4);
    EXPECT_EQ(grid().Cells(2, kFittingsRow), "4 fittings + K");
    char expected[32];
    std::snprintf(expected, sizeof expected, "ΣK %.2f",
                  set.sumK(form_->Flow.Reynolds, form_->Flow.Diameter));
    EXPECT_EQ(grid().Cells(1, kFittingsRow).toStdString(), expected);
}

TEST_F(PipeRunControllerTest, SpaceOnTheFittingsRowOpensTheEditorAndCancelChangesNothing) {
    pipeRun().trigger();
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {},
                      grid().CellRect(1, kFittingsRow).center());
    expectingModal_ = true;
    bool opened = false;
    QTimer::singleShot(100, [&opened] {
        auto* dialog = qobject_cast<FittingsDialog*>(QApplication::activeModalWidget());
        opened = dialog != nullptr;
        if (dialog)
            dialog->reject();
    });
    QTest::keyClick(&grid(), Qt::Key_Space);
    expectingModal_ = false;
    EXPECT_TRUE(opened);
    EXPECT_EQ(grid().Cells(1, kFittingsRow), "ΣK 0.00");
    EXPECT_EQ(grid().InplaceEditor() && grid().InplaceEditor()->isVisible(), false)
        << "the fittings row is not typed into";
}

TEST_F(PipeRunControllerTest, TheRunsRowsAndResultsFollowTheUnitsPresets) {
    pipeRun().trigger();
    typeValue(kPipeLengthRow, QStringLiteral("100"));
    form_->SolveAction->trigger();
    form_->findChild<QAction*>(QStringLiteral("UnitsUsAction"))->trigger();
    EXPECT_EQ(grid().Cells(2, kPipeLengthRow), "ft");
    EXPECT_EQ(grid().Cells(1, kPipeLengthRow), "328.084");
    EXPECT_EQ(grid().Cells(2, kLinePressureRow), "Psi");
    EXPECT_EQ(form_->ListView1->item(13, 2)->text(), "Psi");
    EXPECT_EQ(form_->ListView1->item(18, 2)->text(), "HP");
    form_->findChild<QAction*>(QStringLiteral("UnitsSiAction"))->trigger();
    EXPECT_EQ(grid().Cells(1, kPipeLengthRow), "100.00");
    EXPECT_EQ(result(13), "81.412");
}

TEST_F(PipeRunControllerTest, SavingWithTheRunOffWritesTodaysFileAndWithItOnTheRun) {
    const QString file = folder_.filePath(QStringLiteral("Corvel.ini"));
    form_->Save1->trigger();
    QFile off(file);
    ASSERT_TRUE(off.open(QIODevice::ReadOnly));
    EXPECT_EQ(off.readAll(), "[Store]\nQ=0.024000\nd=0.100000\nt=9.000000\nk=0.000030\n");
    off.close();
    pipeRun().trigger();
    typeValue(kPipeLengthRow, QStringLiteral("12"));
    form_->Save1->trigger();
    pipeRun().trigger();
    typeValue(kFlowRateRow, QStringLiteral("30"));
    form_->Open1->trigger();
    EXPECT_TRUE(pipeRun().isChecked()) << "a case with a run shows it";
    EXPECT_EQ(grid().Cells(1, kPipeLengthRow), "12.00");
    EXPECT_EQ(grid().Cells(1, kFlowRateRow), "24.000");
}

} // namespace
} // namespace corvel
