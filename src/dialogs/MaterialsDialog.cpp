#include "dialogs/MaterialsDialog.h"

#include "pipes/DataTables.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace corvel {

namespace {

enum Column { kMaterialColumn, kTypicalColumn, kRangeColumn, kColumnCount };

/// A roughness [mm] as the table shows it: the published figure, no trailing zeros.
QString millimetres(double value) {
    return QString::number(value, 'g', 6);
}

QTableWidgetItem* item(const QString& text, const QString& tip) {
    auto* cell = new QTableWidgetItem(text);
    cell->setToolTip(tip);
    return cell;
}

} // namespace

MaterialsDialog::MaterialsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MaterialsDialog"));
    setWindowTitle(QStringLiteral("Roughness of Materials"));

    const auto rows = RoughnessRows();
    MaterialList = new QTableWidget(static_cast<int>(rows.size()), kColumnCount, this);
    MaterialList->setObjectName(QStringLiteral("MaterialList"));
    MaterialList->setHorizontalHeaderLabels(
        {QStringLiteral("Material"), QStringLiteral("Typical (mm)"), QStringLiteral("Range (mm)")});
    MaterialList->verticalHeader()->hide();
    MaterialList->setSelectionBehavior(QAbstractItemView::SelectRows);
    MaterialList->setSelectionMode(QAbstractItemView::SingleSelection);
    MaterialList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MaterialList->setTabKeyNavigation(false);
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const RoughnessRow& row = rows[static_cast<std::size_t>(i)];
        const QString source = QString::fromUtf8(row.source.data(), row.source.size());
        MaterialList->setItem(
            i, kMaterialColumn,
            item(QString::fromUtf8(row.material.data(), row.material.size()), source));
        MaterialList->setItem(i, kTypicalColumn, item(millimetres(row.typicalMm), source));
        MaterialList->setItem(
            i, kRangeColumn,
            item(millimetres(row.lowMm) + QStringLiteral(" – ") + millimetres(row.highMm), source));
    }
    MaterialList->resizeColumnsToContents();
    MaterialList->horizontalHeader()->setStretchLastSection(true);
    MaterialList->setCurrentCell(0, kMaterialColumn);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (MaterialList->currentRow() >= 0)
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(MaterialList, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MaterialList);
    layout->addWidget(buttons);
    const int width = MaterialList->horizontalHeader()->length() + 40;
    resize(std::max(width, 420), 360);
}

double MaterialsDialog::SelectedRoughness() const {
    const int row = MaterialList->currentRow();
    const auto rows = RoughnessRows();
    if (row < 0 || row >= static_cast<int>(rows.size()))
        return 0;
    return rows[static_cast<std::size_t>(row)].typicalMm;
}

QString MaterialsDialog::SelectedMaterial() const {
    const int row = MaterialList->currentRow();
    return row < 0 ? QString() : MaterialList->item(row, kMaterialColumn)->text();
}

} // namespace corvel
