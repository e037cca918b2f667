#include "dialogs/FittingsDialog.h"

#include "app/SolvePipeRun.h"
#include "platform/Errors.h"
#include "units/NumberText.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace corvel {

namespace {

enum Column { kNameColumn, kCountColumn, kKColumn, kColumnCount };

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QString name(const Fitting& fitting) {
    return QString::fromUtf8(fitting.name.data(), static_cast<qsizetype>(fitting.name.size()));
}

/// A resistance coefficient as the dialog shows it: four significant digits.
QString kText(double k) {
    return text(formatText("%0.4g", {k}));
}

/// What the name's tooltip says of where a fitting's K comes from.
QString source(const Fitting& fitting) {
    if (fitting.sizeIndependent)
        return QStringLiteral("K = %1 whatever the size and the flow (Crane TP 410).")
            .arg(kText(fitting.kInf));
    QString tip = QStringLiteral("3-K method (Darby): K = K1/Re + K∞·(1 + Kd/Dn^0.3) with "
                                 "K1 = %1, K∞ = %2, Kd = %3 (Dn in inches).")
                      .arg(kText(fitting.k1), kText(fitting.kInf), kText(fitting.kd));
    if (fitting.fullOpeningCoefficient != 0)
        tip += QStringLiteral(" The valve opens fully only above a minimum velocity; below it "
                              "K is higher than shown.");
    return tip;
}

QString fittingCount(int count) {
    if (count == 0)
        return QStringLiteral("no fittings");
    return count == 1 ? QStringLiteral("1 fitting") : QStringLiteral("%1 fittings").arg(count);
}

} // namespace

FittingsDialog::FittingsDialog(const FittingSet& set, double reynolds, double diameter,
                               QWidget* parent)
    : QDialog(parent), original_(set), reynolds_(reynolds), diameter_(diameter) {
    setObjectName(QStringLiteral("FittingsDialog"));
    setWindowTitle(QStringLiteral("Fittings"));

    const bool flowing = reynolds_ > 0;
    auto* flowLabel = new QLabel(this);
    flowLabel->setObjectName(QStringLiteral("FlowLabel"));
    flowLabel->setWordWrap(true);
    flowLabel->setText(
        flowing ? text(formatText("K at Reynolds number %0.0f and inside diameter %0.6g mm.",
                                  {reynolds_, diameter_ * 1000}))
                : QStringLiteral("K of the fittings depends on the flow; it shows once the case "
                                 "is solved."));

    filterEdit_ = new QLineEdit(this);
    filterEdit_->setObjectName(QStringLiteral("FilterEdit"));
    filterEdit_->setPlaceholderText(QStringLiteral("Words of a fitting's name"));
    filterEdit_->setClearButtonEnabled(true);
    filterEdit_->installEventFilter(this);
    auto* filterLabel = new QLabel(QStringLiteral("&Find:"), this);
    filterLabel->setBuddy(filterEdit_);
    connect(filterEdit_, &QLineEdit::textChanged, this, &FittingsDialog::applyFilter);
    noMatchLabel_ = new QLabel(this);
    noMatchLabel_->setObjectName(QStringLiteral("NoMatchLabel"));
    noMatchLabel_->hide();

    const std::vector<Fitting>& catalogue = Fittings();
    const int rows = static_cast<int>(catalogue.size());
    list_ = new QTableWidget(rows, kColumnCount, this);
    list_->setObjectName(QStringLiteral("FittingList"));
    list_->setHorizontalHeaderLabels(
        {QStringLiteral("Fitting"), QStringLiteral("Count"), QStringLiteral("K each")});
    list_->verticalHeader()->hide();
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setTabKeyNavigation(false);
    list_->setWordWrap(false);
    list_->installEventFilter(this);
    countBoxes_.reserve(catalogue.size());
    for (int row = 0; row < rows; ++row) {
        const Fitting& fitting = catalogue[static_cast<std::size_t>(row)];
        auto* nameItem = new QTableWidgetItem(name(fitting));
        nameItem->setToolTip(source(fitting));
        list_->setItem(row, kNameColumn, nameItem);
        auto* kItem = new QTableWidgetItem(flowing ? kText(fitting.kFactor(reynolds_, diameter_))
                                                   : QStringLiteral("—"));
        kItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list_->setItem(row, kKColumn, kItem);

        auto* box = new QSpinBox;
        box->setObjectName(QStringLiteral("CountBox%1").arg(row));
        box->setRange(0, FittingSet::kMaxCount);
        box->setAccessibleName(QStringLiteral("Count of %1").arg(name(fitting)));
        // Tab walks from the list to the next field instead of through every count; a count is
        // reached by typing its digits on the fitting's row or by clicking it.
        box->setFocusPolicy(Qt::ClickFocus);
        box->setFrame(false);
        box->installEventFilter(this);
        list_->setCellWidget(row, kCountColumn, box);
        countBoxes_.push_back(box);
        connect(box, &QSpinBox::valueChanged, this, &FittingsDialog::updateTotal);
    }
    list_->verticalHeader()->setDefaultSectionSize(
        std::max(list_->fontMetrics().height() + 6, countBoxes_.front()->sizeHint().height()));
    list_->resizeColumnsToContents();
    list_->setColumnWidth(kCountColumn, std::max(list_->columnWidth(kCountColumn),
                                                 countBoxes_.front()->sizeHint().width() + 8));
    list_->setColumnWidth(kKColumn,
                          std::max(list_->columnWidth(kKColumn),
                                   list_->fontMetrics().horizontalAdvance("0.0000") + 16));
    list_->horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
    list_->setCurrentCell(0, kNameColumn);

    otherKEdit_ = new QLineEdit(this);
    otherKEdit_->setObjectName(QStringLiteral("OtherKEdit"));
    // Digits with one "." and an exponent: a number no less than 0; readReal reads it.
    otherKEdit_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"(\s*[0-9]*\.?[0-9]*([eE][+-]?[0-9]*)?\s*)")),
        otherKEdit_));
    otherKEdit_->setToolTip(QStringLiteral(
        "A further fixed K for anything the list lacks, added to the sum as it is."));
    auto* otherKLabel = new QLabel(QStringLiteral("&Other K:"), this);
    otherKLabel->setBuddy(otherKEdit_);
    connect(otherKEdit_, &QLineEdit::textChanged, this, &FittingsDialog::updateTotal);

    totalLabel_ = new QLabel(this);
    totalLabel_->setObjectName(QStringLiteral("TotalLabel"));
    totalLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton_ = buttons->button(QDialogButtonBox::Ok);
    okButton_->setObjectName(QStringLiteral("OkButton"));
    okButton_->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    clearButton_ = buttons->addButton(QStringLiteral("C&lear"), QDialogButtonBox::ResetRole);
    clearButton_->setObjectName(QStringLiteral("ClearButton"));
    clearButton_->setAutoDefault(false);
    clearButton_->setToolTip(QStringLiteral("Sets every count and the other K to 0."));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FittingsDialog::reject);
    connect(clearButton_, &QPushButton::clicked, this, [this] { load(FittingSet()); });

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filterEdit_);
    auto* otherKRow = new QHBoxLayout;
    otherKRow->addWidget(otherKLabel);
    otherKRow->addWidget(otherKEdit_);
    otherKRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(flowLabel);
    layout->addLayout(filterRow);
    layout->addWidget(noMatchLabel_);
    layout->addWidget(list_);
    layout->addLayout(otherKRow);
    layout->addWidget(totalLabel_);
    layout->addWidget(buttons);

    setTabOrder(filterEdit_, list_);
    setTabOrder(list_, otherKEdit_);
    setTabOrder(otherKEdit_, buttons);

    load(original_);
    filterEdit_->setFocus();
    const int width = list_->horizontalHeader()->length() +
                      list_->verticalScrollBar()->sizeHint().width() + 2 * list_->frameWidth() +
                      layout->contentsMargins().left() + layout->contentsMargins().right();
    resize(std::max(width, 520), 560);
}

FittingSet FittingsDialog::fittings() const {
    FittingSet set;
    const std::vector<Fitting>& catalogue = Fittings();
    for (std::size_t i = 0; i < countBoxes_.size(); ++i)
        if (const int count = countBoxes_[i]->value(); count > 0)
            set.setCount(catalogue[i], count);
    if (!readOtherK(set.otherK))
        set.otherK = original_.otherK;
    return set;
}

void FittingsDialog::reject() {
    load(original_);
    QDialog::reject();
}

void FittingsDialog::load(const FittingSet& set) {
    const std::vector<Fitting>& catalogue = Fittings();
    for (std::size_t i = 0; i < countBoxes_.size(); ++i) {
        const QSignalBlocker blocker(countBoxes_[i]);
        countBoxes_[i]->setValue(set.count(catalogue[i]));
    }
    {
        const QSignalBlocker blocker(otherKEdit_);
        // The shortest text that reads back as the same K, so that OK keeps it exactly.
        otherKEdit_->setText(text(shortestRealText(set.otherK)));
    }
    updateTotal();
}

void FittingsDialog::applyFilter(const QString& filter) {
    const QStringList words = filter.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int row = 0; row < list_->rowCount(); ++row) {
        const QString fitting = list_->item(row, kNameColumn)->text();
        const bool shown = std::all_of(words.begin(), words.end(), [&](const QString& word) {
            return fitting.contains(word, Qt::CaseInsensitive);
        });
        list_->setRowHidden(row, !shown);
    }
    bool anyShown = false;
    for (int row = 0; row < list_->rowCount() && !anyShown; ++row)
        anyShown = !list_->isRowHidden(row);
    noMatchLabel_->setText(QStringLiteral("No fitting's name holds every word of \u201c%1\u201d.")
                               .arg(filter.simplified()));
    noMatchLabel_->setVisible(!anyShown);
    // Keep the current row among the shown ones, so that typing a count reaches a shown fitting.
    const int current = list_->currentRow();
    if (current < 0 || list_->isRowHidden(current)) {
        for (int row = 0; row < list_->rowCount(); ++row)
            if (!list_->isRowHidden(row)) {
                list_->setCurrentCell(row, kNameColumn);
                break;
            }
    }
}

bool FittingsDialog::readOtherK(double& otherK) const {
    const std::string entry = otherKEdit_->text().trimmed().toStdString();
    if (entry.empty()) {
        otherK = 0;
        return true;
    }
    try {
        const double k = readReal(entry);
        if (!(k >= 0 && k <= kMaxFittingsK))
            return false;
        otherK = k;
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

void FittingsDialog::updateTotal() {
    int count = 0;
    bool sizeOrFlowDependent = false;
    const std::vector<Fitting>& catalogue = Fittings();
    for (std::size_t i = 0; i < countBoxes_.size(); ++i) {
        const int n = countBoxes_[i]->value();
        count += n;
        sizeOrFlowDependent = sizeOrFlowDependent || (n > 0 && !catalogue[i].sizeIndependent);
        // Fittings in use stand out in a long list.
        QTableWidgetItem* item = list_->item(static_cast<int>(i), kNameColumn);
        if (item->font().bold() != (n > 0)) {
            QFont font = item->font();
            font.setBold(n > 0);
            item->setFont(font);
        }
    }

    double otherK = 0;
    if (!readOtherK(otherK)) {
        totalLabel_->setText(
            text(formatText("Other K must be a number from 0 to %0.6g.", {kMaxFittingsK})));
        okButton_->setEnabled(false);
        return;
    }
    okButton_->setEnabled(true);
    QString total;
    if (reynolds_ > 0 || !sizeOrFlowDependent) {
        FittingSet set = fittings();
        set.otherK = otherK;
        total = kText(set.sumK(reynolds_, diameter_));
    } else {
        total = QStringLiteral("— (known once the case is solved)");
    }
    QString words = QStringLiteral("Total: ΣK = %1 for %2").arg(total, fittingCount(count));
    if (otherK != 0)
        words += QStringLiteral(" and the other K");
    totalLabel_->setText(words + QLatin1Char('.'));
}

int FittingsDialog::countRow(const QObject* object) const {
    const auto it = std::find(countBoxes_.begin(), countBoxes_.end(), object);
    return it == countBoxes_.end() ? -1 : static_cast<int>(it - countBoxes_.begin());
}

bool FittingsDialog::eventFilter(QObject* watched, QEvent* event) {
    const auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    if (watched == filterEdit_ && key && key->key() == Qt::Key_Down) {
        // Down from the filter goes to the fittings it found.
        list_->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (watched == list_ && key && list_->currentRow() >= 0) {
        QSpinBox* box = countBoxes_[static_cast<std::size_t>(list_->currentRow())];
        const QString typed = key->text();
        if (typed == QLatin1String("+") || typed == QLatin1String("-")) {
            box->stepBy(typed == QLatin1String("+") ? 1 : -1);
            return true;
        }
        if (typed.size() == 1 && typed.front().isDigit()) {
            // A digit on a fitting's row starts typing its count.
            box->setFocus(Qt::OtherFocusReason);
            box->selectAll();
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(box, &copy);
            return true;
        }
        return false;
    }
    const int row = countRow(watched);
    if (row < 0)
        return QDialog::eventFilter(watched, event);
    auto* box = countBoxes_[static_cast<std::size_t>(row)];
    switch (event->type()) {
    case QEvent::FocusIn:
        list_->setCurrentCell(row, kNameColumn);
        break;
    case QEvent::Wheel:
        // The wheel scrolls the list unless a count has been clicked into.
        if (!box->hasFocus()) {
            QCoreApplication::sendEvent(list_->viewport(), event);
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (key->key() == Qt::Key_Tab) {
            otherKEdit_->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (key->key() == Qt::Key_Backtab) {
            list_->setFocus(Qt::BacktabFocusReason);
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvel
