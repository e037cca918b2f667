// The Units dialog: one list per quantity of its category's units, showing and giving choices.
#include "dialogs/UnitsDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>

namespace corvel {
namespace {

TEST(UnitsDialog, ListsEveryUnitOfEachQuantitysCategoryUnderItsShownLabel) {
    UnitsDialog dialog;
    for (int i = 0; i < kQuantityCount; ++i) {
        const auto quantity = static_cast<Quantity>(i);
        const QuantityInfo& info = QuantityOf(quantity);
        QComboBox* combo = dialog.findChild<QComboBox*>(QString::fromUtf8(info.key.data()));
        ASSERT_EQ(combo, dialog.comboBox(quantity));
        ASSERT_EQ(combo->count(), UnitCount(info.category));
        EXPECT_EQ(combo->itemText(info.designedUnit).toStdString(), info.designedLabel);
        EXPECT_EQ(combo->currentIndex(), info.designedUnit);
    }
    EXPECT_EQ(dialog.comboBox(Quantity::PressureDropRate)
                  ->itemText(UnitChoices::UsCustomary().unit(Quantity::PressureDropRate)),
              "psi/100 ft");
}

TEST(UnitsDialog, GivesBackTheChoicesItWasGivenAndTheOnesSelected) {
    UnitsDialog dialog;
    dialog.setChoices(UnitChoices::UsCustomary());
    EXPECT_EQ(dialog.choices(), UnitChoices::UsCustomary());
    dialog.comboBox(Quantity::Temperature)->setCurrentIndex(0);
    UnitChoices expected = UnitChoices::UsCustomary();
    expected.setUnit(Quantity::Temperature, 0);
    EXPECT_EQ(dialog.choices(), expected);
    EXPECT_FALSE(dialog.choices().isDesigned(Quantity::Flow));
}

} // namespace
} // namespace corvel
