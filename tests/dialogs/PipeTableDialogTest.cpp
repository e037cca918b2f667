#include "dialogs/PipeTableDialog.h"

#include "pipes/PipeTables.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

namespace corvel {
namespace {

QString cell(const PipeTableDialog& dialog, int row, int col) {
    return dialog.SizeList->item(row, col)->text();
}

TEST(PipeTableDialog, ListsEveryTableWithItsSizes) {
    PipeTableDialog dialog;
    ASSERT_EQ(dialog.TableBox->count(), static_cast<int>(PipeTables().size()));
    for (int i = 0; i < dialog.TableBox->count(); ++i) {
        dialog.TableBox->setCurrentIndex(i);
        const PipeTable& table = PipeTables()[static_cast<std::size_t>(i)];
        EXPECT_EQ(dialog.TableBox->currentText().toStdString(), table.name());
        EXPECT_EQ(&dialog.Table(), &table);
        EXPECT_EQ(dialog.SizeList->rowCount(), static_cast<int>(table.sizes().size()));
        EXPECT_EQ(dialog.SizeList->currentRow(), 0) << table.name();
    }
}

TEST(PipeTableDialog, ShowsNominalOutsideWallAndInsideInMillimetres) {
    // The rows as pipe_sizes.csv has them.
    struct Row {
        const char* table;
        const char* nominal;
        const char* outside;
        const char* wall;
        const char* inside;
    };
    const Row rows[] = {
        {"ASME B36.10M 40", "4", "114.3", "6.02", "102.26"},
        {"ASTM B88 L", "1", "28.575", "1.27", "26.04"},
        {"ISO 4427-2 PE100 SDR11", "110", "110", "10", "90"},
    };
    PipeTableDialog dialog;
    for (const Row& row : rows) {
        dialog.SetChoice(row.table, 0);
        const auto found =
            dialog.SizeList->findItems(QString::fromLatin1(row.nominal), Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << row.table << " " << row.nominal;
        const int r = found.first()->row();
        EXPECT_EQ(cell(dialog, r, 1), row.outside) << row.table;
        EXPECT_EQ(cell(dialog, r, 2), row.wall) << row.table;
        EXPECT_EQ(cell(dialog, r, 3), row.inside) << row.table;
    }
}

TEST(PipeTableDialog, OpensAtTheSizeNearestTheCurrentDiameter) {
    PipeTableDialog dialog;
    dialog.SetChoice("ASME B36.10M 40", 0.1);
    EXPECT_EQ(dialog.TableBox->currentText(), "ASME B36.10M 40");
    ASSERT_NE(dialog.Size(), nullptr);
    EXPECT_EQ(dialog.Size()->nominal, "4");
    dialog.SetChoice("no such table", 0.1);
    EXPECT_EQ(dialog.TableBox->currentIndex(), 0);
}

TEST(PipeTableDialog, OkAcceptsTheSelectedSizeAndADoubleClickDoesToo) {
    PipeTableDialog dialog;
    dialog.SetChoice("ASTM B88 L", 0.05);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.SizeList->setCurrentCell(2, 0);
    QSignalSpy finished(&dialog, &QDialog::finished);
    QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Size(), &FindPipeTable("ASTM B88 L")->sizes()[2]);

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QRect rect = dialog.SizeList->visualItemRect(dialog.SizeList->item(3, 0));
    // The view takes a double click on the item its press selected, as a real one comes.
    QTest::mouseClick(dialog.SizeList->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(dialog.SizeList->viewport(), Qt::LeftButton, {}, rect.center());
    ASSERT_EQ(finished.count(), 2);
    EXPECT_EQ(dialog.Size(), &FindPipeTable("ASTM B88 L")->sizes()[3]);
}

} // namespace
} // namespace corvel
