#include "dialogs/FittingsDialog.h"

#include "units/NumberText.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace corvel {
namespace {

const Fitting& fitting(const char* name) {
    return FindFitting(name);
}

/// 4 standard threaded elbows, 2 gate valves, a sharp entrance and an exit, other K 0.1 + 0.2
/// (a K whose shortest text has 17 digits).
FittingSet sampleSet() {
    FittingSet set;
    set.setCount(fitting("Elbow 90 deg threaded standard r/D=1"), 4);
    set.setCount(fitting("Valve gate standard beta=1"), 2);
    set.setCount(fitting("Entrance flush sharp-edged"), 1);
    set.setCount(fitting("Exit (projecting sharp-edged or rounded)"), 1);
    set.otherK = 0.1 + 0.2;
    return set;
}

int rowOf(const Fitting& f) {
    return static_cast<int>(&f - Fittings().data());
}

/// A dialog shown and exposed, with its widgets found by object name.
class Shown {
public:
    Shown(const FittingSet& set, double reynolds, double diameter)
        : dialog(set, reynolds, diameter) {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        list = dialog.findChild<QTableWidget*>("FittingList");
        filter = dialog.findChild<QLineEdit*>("FilterEdit");
        otherK = dialog.findChild<QLineEdit*>("OtherKEdit");
        total = dialog.findChild<QLabel*>("TotalLabel");
        ok = dialog.findChild<QPushButton*>("OkButton");
        cancel = dialog.findChild<QPushButton*>("CancelButton");
        clear = dialog.findChild<QPushButton*>("ClearButton");
        EXPECT_TRUE(list && filter && otherK && total && ok && cancel && clear);
    }

    QSpinBox* countBox(const Fitting& f) const {
        return qobject_cast<QSpinBox*>(list->cellWidget(rowOf(f), 1));
    }

    void typeOtherK(const QString& text) const {
        otherK->setFocus();
        otherK->selectAll();
        QTest::keyClicks(otherK, text);
    }

    FittingsDialog dialog;
    QTableWidget* list = nullptr;
    QLineEdit* filter = nullptr;
    QLineEdit* otherK = nullptr;
    QLabel* total = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* clear = nullptr;
};

TEST(FittingsDialog, ListsEveryFittingWithItsCountAndItsKAtTheFlow) {
    const double reynolds = 1.5e5;
    const double diameter = 0.0525;
    Shown shown(sampleSet(), reynolds, diameter);
    ASSERT_EQ(shown.list->rowCount(), 42);
    for (int row = 0; row < shown.list->rowCount(); ++row) {
        const Fitting& f = Fittings()[static_cast<std::size_t>(row)];
        EXPECT_EQ(shown.list->item(row, 0)->text().toStdString(), f.name);
        auto* box = shown.countBox(f);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->minimum(), 0);
        EXPECT_EQ(box->maximum(), FittingSet::kMaxCount);
        EXPECT_EQ(box->value(), sampleSet().count(f)) << f.name;
        EXPECT_EQ(shown.list->item(row, 2)->text().toStdString(),
                  formatText("%0.4g", {f.kFactor(reynolds, diameter)}))
            << f.name;
    }
    // A few rows read by hand: the 3-K constants 800/0.14/4.0 of a threaded elbow give
    // K = 800/1.5e5 + 0.14·(1 + 4/(2.0669 in)^0.3) = 0.59573 in a 52.5 mm pipe, and the
    // entrance keeps its published K.
    EXPECT_EQ(shown.list->item(0, 2)->text(), "0.5957");
    EXPECT_EQ(shown.list->item(rowOf(fitting("Entrance flush")), 2)->text(), "0.5");
    EXPECT_EQ(shown.otherK->text(), QString::fromStdString(shortestRealText(0.1 + 0.2)));
}

TEST(FittingsDialog, OkGivesBackTheSetItOpenedWithExactly) {
    Shown shown(sampleSet(), 1e5, 0.1);
    QSignalSpy finished(&shown.dialog, &QDialog::finished);
    QTest::mouseClick(shown.ok, Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
    EXPECT_EQ(shown.dialog.fittings(), sampleSet());
    EXPECT_EQ(shown.dialog.fittings().otherK, 0.1 + 0.2);
}

TEST(FittingsDialog, EditedCountsAndOtherKAreTheSetAfterOk) {
    Shown shown(sampleSet(), 1e5, 0.1);
    shown.countBox(fitting("Elbow 90 deg threaded standard"))->setValue(0);
    shown.countBox(fitting("Valve check swing"))->setValue(FittingSet::kMaxCount);
    shown.typeOtherK("1.25e1");
    QTest::mouseClick(shown.ok, Qt::LeftButton);
    ASSERT_EQ(shown.dialog.result(), QDialog::Accepted);

    FittingSet expected = sampleSet();
    expected.setCount(fitting("Elbow 90 deg threaded standard"), 0);
    expected.setCount(fitting("Valve check swing"), FittingSet::kMaxCount);
    expected.otherK = 12.5;
    EXPECT_EQ(shown.dialog.fittings(), expected);
}

TEST(FittingsDialog, CancelAndEscLeaveTheSetUnchanged) {
    for (const bool escape : {false, true}) {
        Shown shown(sampleSet(), 1e5, 0.1);
        shown.countBox(fitting("Valve gate"))->setValue(7);
        QTest::mouseClick(shown.clear, Qt::LeftButton);
        shown.typeOtherK("3");
        QSignalSpy finished(&shown.dialog, &QDialog::finished);
        if (escape)
            QTest::keyClick(shown.otherK, Qt::Key_Escape);
        else
            QTest::mouseClick(shown.cancel, Qt::LeftButton);
        ASSERT_EQ(finished.count(), 1) << escape;
        EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Rejected);
        EXPECT_EQ(shown.dialog.fittings(), sampleSet()) << escape;
        EXPECT_EQ(shown.dialog.fittings().otherK, 0.1 + 0.2);
    }
}

TEST(FittingsDialog, ClearEmptiesTheSet) {
    Shown shown(sampleSet(), 1e5, 0.1);
    QTest::mouseClick(shown.clear, Qt::LeftButton);
    EXPECT_TRUE(shown.dialog.isVisible()); // Clear is no default button: the dialog stays
    EXPECT_EQ(shown.total->text(), "Total: ΣK = 0 for no fittings.");
    QTest::mouseClick(shown.ok, Qt::LeftButton);
    EXPECT_TRUE(shown.dialog.fittings().empty());
}

TEST(FittingsDialog, TheTotalIsTheSetsOwnSumAtEachFlow) {
    struct Row {
        double reynolds;
        double diameter;
    };
    // Laminar and turbulent flow in a small and a large pipe: K1/Re and the size term each
    // weigh most at one end.
    const Row rows[] = {{800, 0.015}, {2e3, 0.3}, {4e4, 0.0525}, {5e6, 1.2}};
    for (const Row& row : rows) {
        Shown shown(FittingSet(), row.reynolds, row.diameter);
        shown.countBox(fitting("Valve globe"))->setValue(3);
        shown.countBox(fitting("Bend 180 deg flanged"))->setValue(2);
        shown.countBox(fitting("Entrance rounded r/d=0.04"))->setValue(1);
        shown.typeOtherK("0.75");
        const FittingSet set = shown.dialog.fittings();
        EXPECT_EQ(set.totalCount(), 6);
        EXPECT_EQ(shown.total->text().toStdString(),
                  formatText("Total: ΣK = %0.4g for 6 fittings and the other K.",
                             {set.sumK(row.reynolds, row.diameter)}))
            << row.reynolds << " " << row.diameter;
        // The shown K of each fitting adds up to the total within their rounding.
        double shownSum = 0.75;
        for (const auto& [name, count] : {std::pair{"Valve globe", 3},
                                          {"Bend 180 deg flanged", 2},
                                          {"Entrance rounded r/d=0.04", 1}})
            shownSum +=
                count * readReal(shown.list->item(rowOf(fitting(name)), 2)->text().toStdString());
        EXPECT_NEAR(shownSum, set.sumK(row.reynolds, row.diameter),
                    1e-3 * set.sumK(row.reynolds, row.diameter));
    }
}

TEST(FittingsDialog, WithoutFlowKIsADashAndSoIsASumThatDependsOnIt) {
    FittingSet entrances;
    entrances.setCount(fitting("Entrance flush"), 2);
    entrances.otherK = 1;
    Shown shown(entrances, 0, 0.1);
    for (int row = 0; row < shown.list->rowCount(); ++row)
        EXPECT_EQ(shown.list->item(row, 2)->text(), "—");
    // Entrances and the other K do not depend on the flow: their sum is known.
    EXPECT_EQ(shown.total->text(), "Total: ΣK = 2 for 2 fittings and the other K.");
    shown.countBox(fitting("Valve gate"))->setValue(1);
    EXPECT_EQ(shown.total->text(),
              "Total: ΣK = — (known once the case is solved) for 3 fittings and the other K.");
}

TEST(FittingsDialog, OtherKOutsideItsRangeIsRefused) {
    Shown shown(FittingSet(), 1e5, 0.1);
    shown.typeOtherK("-1"); // the minus sign cannot be typed at the start
    EXPECT_EQ(shown.otherK->text(), "1");
    for (const char* text : {"2e6", ".", "1e"}) {
        shown.typeOtherK(text);
        EXPECT_FALSE(shown.ok->isEnabled()) << text;
        EXPECT_EQ(shown.total->text(), "Other K must be a number from 0 to 1E6.") << text;
        QTest::keyClick(shown.otherK, Qt::Key_Return);
        EXPECT_TRUE(shown.dialog.isVisible()) << text;
    }
    shown.typeOtherK("1e6");
    EXPECT_TRUE(shown.ok->isEnabled());
    shown.otherK->clear(); // an empty field is no other K
    EXPECT_TRUE(shown.ok->isEnabled());
    EXPECT_EQ(shown.dialog.fittings().otherK, 0);
}

TEST(FittingsDialog, TheFilterShowsTheFittingsHoldingEveryWord) {
    Shown shown(FittingSet(), 1e5, 0.1);
    QTest::keyClicks(shown.filter, "ROUNDED entrance 0.1");
    QStringList visible;
    for (int row = 0; row < shown.list->rowCount(); ++row)
        if (!shown.list->isRowHidden(row))
            visible << shown.list->item(row, 0)->text();
    EXPECT_EQ(visible, (QStringList{"Entrance rounded r/d=0.10",
                                    "Entrance rounded r/d>=0.15 (well rounded)"}));
    // The current row moves onto a shown fitting, so that a typed count reaches one.
    EXPECT_EQ(shown.list->currentRow(), rowOf(fitting("Entrance rounded r/d=0.10")));
    shown.filter->clear();
    for (int row = 0; row < shown.list->rowCount(); ++row)
        EXPECT_FALSE(shown.list->isRowHidden(row));

    // Words no fitting holds leave the list empty, and a line says why.
    auto* noMatch = shown.dialog.findChild<QLabel*>("NoMatchLabel");
    ASSERT_NE(noMatch, nullptr);
    EXPECT_TRUE(noMatch->isHidden());
    QTest::keyClicks(shown.filter, "elbow zzz");
    EXPECT_FALSE(noMatch->isHidden());
    EXPECT_EQ(noMatch->text(), "No fitting's name holds every word of \u201celbow zzz\u201d.");
    shown.filter->clear();
    EXPECT_TRUE(noMatch->isHidden());
}

TEST(FittingsDialog, KeyboardAloneFindsAFittingSetsItsCountAndAccepts) {
    Shown shown(FittingSet(), 1e5, 0.1);
    QApplication::setActiveWindow(&shown.dialog);
    ASSERT_EQ(QApplication::focusWidget(), shown.filter);
    QTest::keyClicks(shown.filter, "gate");
    QTest::keyClick(shown.filter, Qt::Key_Down);
    ASSERT_EQ(QApplication::focusWidget(), shown.list);
    QTest::keyClick(shown.list, '1'); // a digit on the row starts typing its count
    QSpinBox* gate = shown.countBox(fitting("Valve gate"));
    ASSERT_EQ(QApplication::focusWidget(), gate);
    QTest::keyClick(gate, '2');
    QTest::keyClick(gate, Qt::Key_Tab); // Tab leaves the list rather than walking its counts
    ASSERT_EQ(QApplication::focusWidget(), shown.otherK);
    EXPECT_TRUE(shown.otherK->hasSelectedText()); // typing replaces the other K
    QTest::keyClick(shown.otherK, Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), shown.list);
    QTest::keyClick(shown.list, Qt::Key_Plus); // + and − step the current row's count
    QTest::keyClick(shown.list, Qt::Key_Plus);
    QTest::keyClick(shown.list, Qt::Key_Minus);
    EXPECT_TRUE(shown.total->text().endsWith("for 13 fittings."))
        << shown.total->text().toStdString();
    QSignalSpy finished(&shown.dialog, &QDialog::finished);
    QTest::keyClick(shown.list, Qt::Key_Return);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
    FittingSet expected;
    expected.setCount(fitting("Valve gate"), 13);
    EXPECT_EQ(shown.dialog.fittings(), expected);
}

TEST(FittingsDialog, EnterInACountOrInOtherKAccepts) {
    for (const bool inCount : {true, false}) {
        Shown shown(FittingSet(), 1e5, 0.1);
        QApplication::setActiveWindow(&shown.dialog);
        QWidget* field =
            inCount ? static_cast<QWidget*>(shown.countBox(fitting("Valve ball"))) : shown.otherK;
        if (inCount) {
            field->setFocus();
            shown.countBox(fitting("Valve ball"))->selectAll();
            QTest::keyClicks(field, "5");
        } else {
            shown.typeOtherK("2.5");
        }
        QTest::keyClick(field, Qt::Key_Enter);
        EXPECT_EQ(shown.dialog.result(), QDialog::Accepted) << inCount;
        EXPECT_EQ(shown.dialog.fittings().totalCount(), inCount ? 5 : 0);
        EXPECT_EQ(shown.dialog.fittings().otherK, inCount ? 0 : 2.5);
    }
}

} // namespace
} // namespace corvel
