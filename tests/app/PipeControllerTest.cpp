#include "app/PipeController.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "app/Main.h"
#include "app/RoughForm.h"
#include "dialogs/MaterialsDialog.h"
#include "dialogs/PipeTableDialog.h"
#include "dialogs/SizingDialog.h"
#include "grid/QxEntryGrid.h"
#include "pipes/DataTables.h"
#include "pipes/PipeTables.h"
#include "platform/Errors.h"
#include "platform/RegIniFile.h"
#include "units/QxFmtEdit.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

namespace corvel {
namespace {

using test::NearRel;

/// A main window with its roughness guide, settings and case file in a folder of the test's
/// own. A dialog step runs while the dialog is modal; errors that reach the general error
/// report are recorded.
class PipeControllerTest : public test::MainWindowFixture {
protected:
    PipeControllerTest() : MainWindowFixture("corvel-pipe-test", {.withReport = false}) {}

    /// Triggers `action` with `step` run on the modal dialog it opens; fails when none opens.
    template <typename Dialog>
    void withDialog(QAction* action, const std::function<void(Dialog&)>& step) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "no dialog opened";
            ran = true;
            step(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        expectingModal_ = true;
        action->trigger();
        expectingModal_ = false;
        EXPECT_TRUE(ran);
    }
};

TEST_F(PipeControllerTest, TheSolveMenuAndThePipeMenuAfterItHoldTheTwoCommands) {
    const QList<QAction*> bar = form_->menuBar()->actions();
    qsizetype solve = -1;
    for (qsizetype i = 0; i < bar.size(); ++i)
        if (bar[i]->menu() && bar[i]->menu()->actions().contains(form_->SolveAction))
            solve = i;
    ASSERT_GE(solve, 0);
    const QList<QAction*> solveItems = bar[solve]->menu()->actions();
    EXPECT_TRUE(solveItems.contains(form_->Pipes->SizeForPressureDrop1));
    EXPECT_TRUE(solveItems.contains(form_->Pipes->ChoosePipeSize1));
    ASSERT_LT(solve + 1, bar.size());
    EXPECT_EQ(bar[solve + 1]->text(), "&Pipe");
    QMenu* menu = bar[solve + 1]->menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), "&Size For Pressure Drop...");
    EXPECT_EQ(menu->actions()[1]->text(), "&Choose Pipe Size...");
}

TEST_F(PipeControllerTest, SizingTheDiameterForTheCasesGradientKeepsTheCase) {
    withDialog<SizingDialog>(form_->Pipes->SizeForPressureDrop1, [](SizingDialog& dialog) {
        EXPECT_EQ(dialog.GradientEdit->text(), "0.8141");
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    });
    EXPECT_TRUE(NearRel(form_->Flow.Diameter, 0.1, 1e-8));
    EXPECT_EQ(value(3), "100.0");
    EXPECT_EQ(form_->StatusText(0), "Solved...");
    EXPECT_EQ(form_->StatusText(1), "Diameter, Flowrate");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(PipeControllerTest, SizingForAHalfGradientWidensThePipeAndSolves) {
    withDialog<SizingDialog>(form_->Pipes->SizeForPressureDrop1, [](SizingDialog& dialog) {
        dialog.GradientEdit->setText(QStringLiteral("0.4"));
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    });
    EXPECT_EQ(value(1), "24.000");
    EXPECT_NE(value(3), "100.0");
    EXPECT_GT(form_->Flow.Diameter, 0.1);
    EXPECT_EQ(result(12), "0.4");
    EXPECT_EQ(form_->StatusText(0), "Solved...");
}

TEST_F(PipeControllerTest, SizingTheFlowrateHoldsTheDiameter) {
    withDialog<SizingDialog>(form_->Pipes->SizeForPressureDrop1, [](SizingDialog& dialog) {
        dialog.FlowRateButton->setChecked(true);
        dialog.GradientEdit->setText(QStringLiteral("0.2"));
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    });
    EXPECT_EQ(value(3), "100.0");
    EXPECT_LT(form_->Flow.FlowRate, 0.024);
    EXPECT_EQ(result(12), "0.2");
    EXPECT_EQ(form_->StatusText(1), "Flowrate, Diameter");
}

TEST_F(PipeControllerTest, SizingOffersTheGradientOfTheGridAsTyped) {
    form_->IOGrid1->SetCells(1, 3, QStringLiteral("150")); // typed, not yet solved
    withDialog<SizingDialog>(form_->Pipes->SizeForPressureDrop1, [](SizingDialog& dialog) {
        EXPECT_EQ(dialog.GradientEdit->text(), "0.1092");
    });
}

TEST_F(PipeControllerTest, CancellingTheSizingChangesNothing) {
    withDialog<SizingDialog>(form_->Pipes->SizeForPressureDrop1,
                             [](SizingDialog& dialog) { dialog.GradientEdit->setText("0.1"); });
    EXPECT_EQ(form_->Flow.Diameter, 0.1);
    EXPECT_EQ(value(3), "100.0");
}

TEST_F(PipeControllerTest, ATableSizingTakesTheSizeAndKeepsTheTable) {
    withDialog<SizingDialog>(form_->Pipes->SizeForPressureDrop1, [](SizingDialog& dialog) {
        dialog.TableSizeButton->setChecked(true);
        dialog.TableBox->setCurrentText(QStringLiteral("ISO 4427-2 PE100 SDR11"));
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    });
    // PE100 SDR11 sizes: 110 mm has 90 mm inside (too small for 0.8141 kPa/m), 125 has 102.2.
    EXPECT_EQ(form_->Flow.Diameter,
              FindPipeTable("ISO 4427-2 PE100 SDR11")->sizes()[9].insideDiameter);
    EXPECT_EQ(value(3), "102.2");
    EXPECT_EQ(ReadPipeTableSetting(settingsKey()), "ISO 4427-2 PE100 SDR11");
}

TEST_F(PipeControllerTest, ChoosingASizeSetsTheInsideDiameterAsTheUsersEdit) {
    form_->Flow.NoteEdited('V'); // flowrate and velocity given before the choice
    withDialog<PipeTableDialog>(form_->Pipes->ChoosePipeSize1, [](PipeTableDialog& dialog) {
        EXPECT_EQ(dialog.TableBox->currentText(), "ASME B36.10M 40");
        EXPECT_EQ(dialog.Size()->nominal, "4"); // nearest the 100 mm of the case
        dialog.TableBox->setCurrentText(QStringLiteral("ASTM B88 L"));
        const auto items = dialog.SizeList->findItems(QStringLiteral("4"), Qt::MatchExactly);
        ASSERT_FALSE(items.isEmpty());
        dialog.SizeList->setCurrentCell(items.first()->row(), 0);
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    });
    EXPECT_EQ(value(3), "99.2"); // ASTM B88 type L 4: 104.775 mm outside, 2.794 mm wall
    EXPECT_EQ(value(1), "24.000");
    EXPECT_EQ(form_->StatusText(1), "Diameter, Flowrate");
    EXPECT_EQ(form_->StatusText(0), "Solved...");
    EXPECT_EQ(ReadPipeTableSetting(settingsKey()), "ASTM B88 L");
}

TEST_F(PipeControllerTest, TheChosenTableComesBackAfterARestartAndSizingPicksFromIt) {
    withDialog<PipeTableDialog>(form_->Pipes->ChoosePipeSize1, [](PipeTableDialog& dialog) {
        dialog.TableBox->setCurrentText(QStringLiteral("ASTM B88 L"));
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    });
    form_->close(); // writes the window's own settings in one replacement
    form_.reset();
    open();
    withDialog<PipeTableDialog>(form_->Pipes->ChoosePipeSize1, [](PipeTableDialog& dialog) {
        EXPECT_EQ(dialog.TableBox->currentText(), "ASTM B88 L");
    });
    withDialog<SizingDialog>(form_->Pipes->SizeForPressureDrop1, [](SizingDialog& dialog) {
        EXPECT_EQ(dialog.TableBox->currentText(), "ASTM B88 L");
    });
}

TEST_F(PipeControllerTest, AStoredTableThatDoesNotExistCountsAsNone) {
    for (const char* stored : {"", "ASME B36.10M", "ASTM B88 L ", "Nonsense"}) {
        TRegIniFile(settingsKey()).WriteString("Settings", "PipeTable", stored);
        EXPECT_EQ(ReadPipeTableSetting(settingsKey()), PipeTables().front().name()) << stored;
    }
    TRegIniFile(settingsKey()).WriteString("Settings", "PipeTable", "ASTM B88 L");
    EXPECT_EQ(ReadPipeTableSetting(settingsKey()), "ASTM B88 L");
}

TEST_F(PipeControllerTest, AnUnreadableGridTextIsReportedAndNoDialogOpens) {
    form_->IOGrid1->SetCells(1, 3, QStringLiteral("abc"));
    QTimer::singleShot(200, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a dialog opened";
            modal->close();
        }
    });
    form_->Pipes->SizeForPressureDrop1->trigger();
    EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(PipeControllerTest, AMaterialFromTheLongerListSetsTheRoughness) {
    const auto rows = RoughnessRows();
    int riveted = -1;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        if (rows[static_cast<std::size_t>(i)].material == "Riveted steel")
            riveted = i;
    ASSERT_GE(riveted, 0);
    QTimer::singleShot(0, [&] {
        auto* guide = qobject_cast<TRoughnessForm*>(QApplication::activeModalWidget());
        ASSERT_NE(guide, nullptr);
        QTimer::singleShot(0, [&] {
            auto* materials = qobject_cast<MaterialsDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(materials, nullptr);
            materials->MaterialList->setCurrentCell(riveted, 0);
            QTest::mouseClick(materials->OkButton, Qt::LeftButton);
        });
        QTest::mouseClick(guide->MoreButton, Qt::LeftButton);
    });
    Variant unused;
    expectingModal_ = true;
    form_->OpenRoughnessGuide(unused);
    EXPECT_TRUE(NearRel(form_->Flow.Roughness, 0.0009, 1e-15));
    EXPECT_EQ(value(5), "0.90000");
    // The guide's next showing starts again with its own list's material.
    QTimer::singleShot(0, [&] { roughness_->accept(); });
    form_->OpenRoughnessGuide(unused);
    expectingModal_ = false;
    EXPECT_EQ(value(5), "0.00150");
}

} // namespace
} // namespace corvel
