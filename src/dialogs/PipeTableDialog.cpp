#include "dialogs/PipeTableDialog.h"

#include "pipes/PipeTables.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace corvel {

namespace {

enum Column { kNominalColumn, kOutsideColumn, kWallColumn, kInsideColumn, kColumnCount };

/// A length [m] in millimetres as the published table writes it (28.575, 114.3, 90): the
/// scaling's last-bit noise rounded off at 0.0001 mm.
QString millimetres(double metres) {
    return QString::number(std::round(metres * 1e7) / 1e4, 'g', 10);
}

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

} // namespace

PipeTableDialog::PipeTableDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PipeTableDialog"));
    setWindowTitle(QStringLiteral("Choose Pipe Size"));

    TableBox = new QComboBox(this);
    TableBox->setObjectName(QStringLiteral("TableBox"));
    for (const PipeTable& table : PipeTables())
        TableBox->addItem(QString::fromStdString(table.name()));

    SizeList = new QTableWidget(0, kColumnCount, this);
    SizeList->setObjectName(QStringLiteral("SizeList"));
    SizeList->setHorizontalHeaderLabels({QStringLiteral("Nominal"), QStringLiteral("Outside (mm)"),
                                         QStringLiteral("Wall (mm)"),
                                         QStringLiteral("Inside (mm)")});
    SizeList->verticalHeader()->hide();
    // Rows one line of text high, as in the fittings editor, and no empty strip at the right.
    SizeList->verticalHeader()->setDefaultSectionSize(SizeList->fontMetrics().height() + 6);
    SizeList->horizontalHeader()->setStretchLastSection(true);
    SizeList->setSelectionBehavior(QAbstractItemView::SelectRows);
    SizeList->setSelectionMode(QAbstractItemView::SingleSelection);
    SizeList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SizeList->setTabKeyNavigation(false);

    auto* tableLabel = new QLabel(QStringLiteral("&Standard and series:"), this);
    tableLabel->setBuddy(TableBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Size())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(SizeList, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
    connect(TableBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        showTable(index);
        SizeList->setCurrentCell(0, kNominalColumn);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tableLabel);
    layout->addWidget(TableBox);
    layout->addWidget(SizeList, 1);
    layout->addWidget(buttons);
    showTable(0);
    SizeList->setCurrentCell(0, kNominalColumn);
    resize(400, 420);
}

void PipeTableDialog::showTable(int index) {
    const auto& tables = PipeTables();
    if (index < 0 || index >= static_cast<int>(tables.size()))
        return;
    const auto& sizes = tables[static_cast<std::size_t>(index)].sizes();
    SizeList->setRowCount(static_cast<int>(sizes.size()));
    for (int row = 0; row < static_cast<int>(sizes.size()); ++row) {
        const PipeSize& size = sizes[static_cast<std::size_t>(row)];
        const QString cells[kColumnCount] = {text(size.nominal), millimetres(size.outsideDiameter),
                                             millimetres(size.wall),
                                             millimetres(size.insideDiameter)};
        for (int col = 0; col < kColumnCount; ++col) {
            auto* cell = new QTableWidgetItem(cells[col]);
            if (col != kNominalColumn)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            SizeList->setItem(row, col, cell);
        }
    }
    SizeList->resizeColumnsToContents();
}

void PipeTableDialog::SetChoice(const std::string& tableName, double insideDiameter) {
    const int index = std::max(0, TableBox->findText(QString::fromStdString(tableName)));
    {
        const QSignalBlocker blocker(TableBox);
        TableBox->setCurrentIndex(index);
    }
    showTable(index);
    const auto& sizes = Table().sizes();
    int nearest = 0;
    for (int row = 1; row < static_cast<int>(sizes.size()); ++row)
        if (std::fabs(sizes[static_cast<std::size_t>(row)].insideDiameter - insideDiameter) <
            std::fabs(sizes[static_cast<std::size_t>(nearest)].insideDiameter - insideDiameter))
            nearest = row;
    SizeList->setCurrentCell(nearest, kNominalColumn);
    SizeList->scrollToItem(SizeList->item(nearest, kNominalColumn),
                           QAbstractItemView::PositionAtCenter);
}

const PipeTable& PipeTableDialog::Table() const {
    const auto& tables = PipeTables();
    const int index = std::clamp(TableBox->currentIndex(), 0, static_cast<int>(tables.size()) - 1);
    return tables[static_cast<std::size_t>(index)];
}

const PipeSize* PipeTableDialog::Size() const {
    const int row = SizeList->currentRow();
    const auto& sizes = Table().sizes();
    if (row < 0 || row >= static_cast<int>(sizes.size()))
        return nullptr;
    return &sizes[static_cast<std::size_t>(row)];
}

} // namespace corvel
