// The window's unit choices: the unit menus on the grid and the results list, the presets, the
// Units dialog, the choices kept across a restart, and that no switch ever changes the case.
#include "app/Main.h"

#include "dialogs/UnitsDialog.h"
#include "grid/QxEntryGrid.h"
#include "platform/Beep.h"
#include "platform/Errors.h"
#include "report/QxReporter.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <random>

namespace corvel {
namespace {

using test::NearRel;

/// The label a unit of `quantity` is listed under, by its catalogue key.
QString unitLabel(Quantity quantity, const char* key) {
    const int unit = FindUnitByKey(QuantityOf(quantity).category, key);
    EXPECT_GE(unit, 0) << key;
    return QString::fromStdString(UnitChoiceLabel(quantity, unit));
}

class UnitsControllerTest : public test::MainWindowFixture {
protected:
    UnitsControllerTest() : MainWindowFixture("corvel-units-test", {.errorsFail = true}) {}

    QString units(int row) { return grid().Cells(2, row); }
    QString resultUnits(int line) { return form_->ListView1->item(line, 2)->text(); }
    QAction* action(const char* name) {
        return form_->findChild<QAction*>(QString::fromLatin1(name));
    }

    /// Right-clicks `pos` of `target` and returns the menu that pops up, if any.
    static QMenu* contextMenu(QWidget* target, const QPoint& pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, target->mapToGlobal(pos));
        QApplication::sendEvent(target, &event);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }

    /// Clicks the entry `label` of `menu`; false when it has none.
    static bool click(QMenu* menu, const QString& label) {
        for (QAction* entry : menu->actions())
            if (entry->text() == label) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
                return true;
            }
        menu->close();
        return false;
    }

    /// Chooses `label` from the unit menu of the Units cell of input row `row`.
    void chooseRowUnit(int row, const QString& label) {
        QMenu* menu = contextMenu(grid().viewport(), grid().CellRect(2, row).center());
        ASSERT_NE(menu, nullptr) << "no unit menu on row " << row;
        ASSERT_TRUE(click(menu, label)) << label.toStdString();
    }

    /// Chooses `label` from the unit menu of result line `line`.
    void chooseResultUnit(int line, const QString& label) {
        QTableWidget* list = form_->ListView1;
        QMenu* menu =
            contextMenu(list->viewport(), list->visualItemRect(list->item(line, 2)).center());
        ASSERT_NE(menu, nullptr) << "no unit menu on line " << line;
        ASSERT_TRUE(click(menu, label)) << label.toStdString();
    }

    QByteArray savedCase() {
        form_->Save1->trigger();
        QFile file(QString::fromStdString(form_->CaseFileName()));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
};

TEST_F(UnitsControllerTest, TheUnitsCellsMenuConvertsTheValueAndTheRangeCheck) {
    chooseRowUnit(kTemperatureRow, QStringLiteral("°F"));
    EXPECT_EQ(value(kTemperatureRow), "48.2"); // 9 °C
    EXPECT_EQ(units(kTemperatureRow), "°F");
    EXPECT_EQ(form_->Flow.Temperature, kDefaultTemperature);
    EXPECT_DOUBLE_EQ(grid().RangeHi(kTemperatureRow), 392); // 200 °C

    // 300 °F is inside the converted range: taken without a beep.
    int beeps = 0;
    const BeepHook previous = SetBeepHook([&] { ++beeps; });
    typeValue(kTemperatureRow, QStringLiteral("300"));
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(value(kTemperatureRow), "300.0");
    EXPECT_TRUE(NearRel(form_->Flow.Temperature, (300 - 32) / 1.8, 1e-12));
    // 400 °F lies beyond it: the limit, 392 °F, with a beep.
    typeValue(kTemperatureRow, QStringLiteral("400"));
    SetBeepHook(previous);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(value(kTemperatureRow), "392.0");
    EXPECT_TRUE(NearRel(form_->Flow.Temperature, 200, 1e-12));
}

TEST_F(UnitsControllerTest, OnlyTheUnitsCellOfAnInputRowOffersUnits) {
    EXPECT_EQ(contextMenu(grid().viewport(), grid().CellRect(1, 1).center()), nullptr);
    EXPECT_EQ(contextMenu(grid().viewport(), grid().CellRect(2, 0).center()), nullptr);
    QTableWidget* list = form_->ListView1;
    EXPECT_EQ(contextMenu(list->viewport(), list->visualItemRect(list->item(9, 1)).center()),
              nullptr)
        << "the Reynolds number keeps its own";
}

TEST_F(UnitsControllerTest, TheMenuKeyOffersTheUnitsOfTheSelectedRow) {
    QTest::keyClick(&grid(), Qt::Key_Down); // from the flowrate to the velocity
    ASSERT_EQ(grid().Row(), kVelocityRow);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                            grid().mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&grid(), &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(click(menu, QStringLiteral("ft/s")));
    EXPECT_EQ(units(kVelocityRow), "ft/s");
    // From the case's 3.0558 m/s, not from the 3.06 shown: 10.03, not 10.04.
    EXPECT_EQ(value(kVelocityRow), "10.03");
}

TEST_F(UnitsControllerTest, TheRoughnessRowKeepsItsGuideButtonInAnotherUnit) {
    chooseRowUnit(kRoughnessRow, unitLabel(Quantity::Roughness, "Thousandths"));
    ASSERT_NE(grid().Field(kRoughnessRow), nullptr);
    EXPECT_EQ(grid().Field(kRoughnessRow)->Kind, kFieldKindPropEditor);
    EXPECT_EQ(value(kRoughnessRow), "1.181"); // 0.03 mm
}

TEST_F(UnitsControllerTest, ChoosingAUnitFirstCommitsTheOpenEditor) {
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {},
                      grid().CellRect(1, kFlowRateRow).center());
    QTest::keyClicks(&grid(), QStringLiteral("3"));
    QTest::keyClicks(grid().InplaceEditor(), QStringLiteral("0"));
    chooseRowUnit(kFlowRateRow, QStringLiteral("usgpm"));
    EXPECT_TRUE(NearRel(form_->Flow.FlowRate, 0.030, 1e-15));
    EXPECT_EQ(value(kFlowRateRow), "475.5");
    EXPECT_EQ(units(kFlowRateRow), "usgpm");
}

TEST_F(UnitsControllerTest, TheResultsMenuShowsALineInAnotherUnitInListAndReport) {
    chooseResultUnit(12, QStringLiteral("psi/100 ft"));
    EXPECT_EQ(resultUnits(12), "psi/100 ft");
    // 0.8141 kPa/m is 3.599 psi per 100 ft.
    EXPECT_TRUE(NearRel(result(12).toDouble(),
                        form_->Flow.PressureDrop * 1000 * 30.48 / 6894.757293168361, 1e-4));
    EXPECT_TRUE(report_->ReportPlainText().contains(QStringLiteral("psi/100 ft")));
    EXPECT_EQ(resultUnits(0), "m/s") << "the other lines keep theirs";
}

TEST_F(UnitsControllerTest, PresetsSwitchEverythingAndCheckOnlyAnExactPreset) {
    QAction* si = action("UnitsSiAction");
    QAction* us = action("UnitsUsAction");
    ASSERT_TRUE(si && us);
    EXPECT_TRUE(si->isChecked());
    us->trigger();
    EXPECT_TRUE(us->isChecked());
    EXPECT_FALSE(si->isChecked());
    EXPECT_EQ(units(kFlowRateRow), "usgpm");
    EXPECT_EQ(units(kVelocityRow), "ft/s");
    EXPECT_EQ(units(kDiameterRow), "inch");
    EXPECT_EQ(units(kTemperatureRow), "°F");
    EXPECT_EQ(resultUnits(12), "psi/100 ft");
    EXPECT_EQ(value(kDiameterRow), "3.94"); // 100 mm

    chooseRowUnit(kTemperatureRow, QStringLiteral("°C"));
    EXPECT_FALSE(us->isChecked()) << "a mix of units is no preset";
    EXPECT_FALSE(si->isChecked());

    si->trigger();
    EXPECT_TRUE(si->isChecked());
    EXPECT_EQ(form_->Flow.Units, UnitChoices::Designed());
    const char* designed[] = {"24.000", "3.06", "100.0", "9.0", "0.03000"};
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
        EXPECT_EQ(value(row), designed[row - 1]);
    EXPECT_EQ(grid().Lines(), kInputGridLines) << "the designed rows, range and format";
    EXPECT_EQ(result(12), "0.8141");
    EXPECT_EQ(resultUnits(12), "kPa/m");
}

TEST_F(UnitsControllerTest, TheChoicesComeBackAfterARestart) {
    action("UnitsUsAction")->trigger();
    chooseResultUnit(2, QStringLiteral("kJ/kg·K")); // heat capacity back in SI
    const UnitChoices chosen = form_->Flow.Units;
    reopen();
    EXPECT_EQ(form_->Flow.Units, chosen);
    EXPECT_EQ(units(kFlowRateRow), "usgpm");
    EXPECT_EQ(value(kFlowRateRow), "380.4"); // 24 l/s
    EXPECT_EQ(resultUnits(2), "kJ/kg·K");
    EXPECT_EQ(resultUnits(1), "lb/ft³");
    EXPECT_FALSE(action("UnitsUsAction")->isChecked());
    EXPECT_EQ(settings().value(QStringLiteral("Units/flow")).toInt(),
              UnitChoices::UsCustomary().unit(Quantity::Flow));
}

TEST_F(UnitsControllerTest, AStoredUnitOutsideItsCategoryCountsAsDesigned) {
    form_->close();
    form_.reset();
    {
        QSettings stored = settings();
        stored.setValue(QStringLiteral("Units/temperature"), 1);
        stored.setValue(QStringLiteral("Units/flow"), 999);
        stored.setValue(QStringLiteral("Units/diameter"), -3);
        stored.setValue(QStringLiteral("Units/density"), QStringLiteral("kg"));
    }
    open();
    EXPECT_EQ(units(kTemperatureRow), "°F");
    EXPECT_EQ(units(kFlowRateRow), "l/s");
    EXPECT_EQ(units(kDiameterRow), "mm");
    EXPECT_EQ(resultUnits(1), "kg/m³");
}

TEST_F(UnitsControllerTest, TheClipboardCarriesTheShownUsUnits) {
    action("UnitsUsAction")->trigger();
    form_->Copy1->trigger();
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 13);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Velocity,"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(",ft/s")));
    EXPECT_TRUE(lines[12].startsWith(QStringLiteral("Pressure Drop Rate,")));
    EXPECT_TRUE(lines[12].endsWith(QStringLiteral(",psi/100 ft")));
    const double psiPer100ft = lines[12].section(',', 1, 1).toDouble();
    EXPECT_TRUE(
        NearRel(psiPer100ft * 6894.757293168361 / 30.48 / 1000, form_->Flow.PressureDrop, 1e-4));
}

TEST_F(UnitsControllerTest, TheDialogAppliesOnOkAndNotOnCancel) {
    expectingModal_ = true;
    auto answer = [](int temperatureUnit, bool ok) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<UnitsDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->comboBox(Quantity::Temperature)->setCurrentIndex(temperatureUnit);
            ok ? dialog->accept() : dialog->reject();
        });
    };
    answer(1, false);
    action("UnitsDialogAction")->trigger();
    EXPECT_EQ(units(kTemperatureRow), "°C");
    answer(1, true);
    action("UnitsDialogAction")->trigger();
    EXPECT_EQ(units(kTemperatureRow), "°F");
    EXPECT_EQ(value(kTemperatureRow), "48.2");
}

// Each sequence mixes presets, row menus and result menus; the case saved afterwards is the
// one saved before any switching, byte for byte.
TEST_F(UnitsControllerTest, SwitchingUnitsNeverChangesTheCase) {
    form_->Flow.SetInputs(0.0123456789, 0.0987654321, 12.3456789, 0.0000123456789);
    form_->ShowInputs();
    form_->SolveAction->trigger();
    const QByteArray before = savedCase();
    std::mt19937 random(13);
    for (int sequence = 0; sequence < 100; ++sequence) {
        for (int step = 0; step < 4; ++step) {
            const auto quantity = static_cast<Quantity>(random() % kQuantityCount);
            const int unit = static_cast<int>(random() % UnitCount(QuantityOf(quantity).category));
            switch (random() % 4) {
            case 0:
                action(random() % 2 ? "UnitsSiAction" : "UnitsUsAction")->trigger();
                break;
            case 1:
                if (static_cast<int>(quantity) < 5) {
                    chooseRowUnit(static_cast<int>(quantity) + 1,
                                  QString::fromStdString(UnitChoiceLabel(quantity, unit)));
                    break;
                }
                [[fallthrough]];
            default:
                for (int line = 0; line < static_cast<int>(kResultCount); ++line)
                    if (ResultQuantity(static_cast<std::size_t>(line)) == quantity) {
                        chooseResultUnit(line,
                                         QString::fromStdString(UnitChoiceLabel(quantity, unit)));
                        break;
                    }
                break;
            }
        }
        ASSERT_EQ(savedCase(), before) << "after sequence " << sequence;
    }
}

} // namespace
} // namespace corvel
