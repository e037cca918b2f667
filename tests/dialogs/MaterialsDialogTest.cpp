#include "dialogs/MaterialsDialog.h"

#include "pipes/DataTables.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

namespace corvel {
namespace {

TEST(MaterialsDialog, ListsEveryMaterialWithTypicalValueAndRange) {
    MaterialsDialog dialog;
    ASSERT_EQ(dialog.MaterialList->rowCount(), static_cast<int>(RoughnessRows().size()));
    // Rows as roughness.csv has them.
    const auto find = [&](const char* material) {
        const auto items =
            dialog.MaterialList->findItems(QString::fromUtf8(material), Qt::MatchExactly);
        return items.isEmpty() ? -1 : items.first()->row();
    };
    const int steel = find("Commercial steel (new)");
    ASSERT_GE(steel, 0);
    EXPECT_EQ(dialog.MaterialList->item(steel, 1)->text(), "0.045");
    EXPECT_EQ(dialog.MaterialList->item(steel, 2)->text(), "0.02 – 0.1");
    const int riveted = find("Riveted steel");
    ASSERT_GE(riveted, 0);
    EXPECT_EQ(dialog.MaterialList->item(riveted, 1)->text(), "0.9");
    EXPECT_EQ(dialog.MaterialList->item(riveted, 2)->text(), "0.9 – 9");
    EXPECT_TRUE(dialog.MaterialList->item(riveted, 0)->toolTip().contains("Moody"));
}

TEST(MaterialsDialog, TheSelectedRowGivesItsTypicalRoughness) {
    MaterialsDialog dialog;
    const auto rows = RoughnessRows();
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        dialog.MaterialList->setCurrentCell(row, 1);
        EXPECT_EQ(dialog.SelectedRoughness(), rows[static_cast<std::size_t>(row)].typicalMm);
        EXPECT_EQ(dialog.SelectedMaterial().toStdString(),
                  rows[static_cast<std::size_t>(row)].material);
    }
}

TEST(MaterialsDialog, OkAcceptsAndCancelRejects) {
    MaterialsDialog dialog;
    dialog.show();
    QSignalSpy finished(&dialog, &QDialog::finished);
    QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    dialog.show();
    QTest::mouseClick(dialog.CancelButton, Qt::LeftButton);
    ASSERT_EQ(finished.count(), 2);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
    EXPECT_EQ(finished.at(1).at(0).toInt(), QDialog::Rejected);
}

} // namespace
} // namespace corvel
