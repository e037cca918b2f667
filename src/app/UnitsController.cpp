#include "app/UnitsController.h"

#include "app/InputRows.h"
#include "app/Main.h"
#include "app/PipeRunController.h"
#include "dialogs/UnitsDialog.h"
#include "grid/QxEntryGrid.h"
#include "platform/RegIniFile.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>

#include <utility>

namespace corvel {

namespace {

const char* const kUnitsSection = "Units";
constexpr int kValueColumn = 1;
constexpr int kUnitColumn = 2;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

std::string keyOf(Quantity quantity) {
    return std::string(QuantityOf(quantity).key);
}

} // namespace

UnitsController::UnitsController(TMainForm& form,
                                 std::function<bool(const std::function<void()>&)> runReadingGrid)
    : QObject(&form), form_(form), runReadingGrid_(std::move(runReadingGrid)) {}

void UnitsController::createMenu(QMenuBar* menuBar) {
    QMenu* menu = menuBar->addMenu(QStringLiteral("&Units"));
    menu->setObjectName(QStringLiteral("UnitsMenu"));
    // Optional exclusion: a mix of units the user chose checks neither preset.
    auto* presets = new QActionGroup(this);
    presets->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    si_ = new QAction(QStringLiteral("&SI (as designed)"), presets);
    si_->setObjectName(QStringLiteral("UnitsSiAction"));
    us_ = new QAction(QStringLiteral("&US customary"), presets);
    us_->setObjectName(QStringLiteral("UnitsUsAction"));
    for (QAction* preset : {si_, us_}) {
        preset->setCheckable(true);
        menu->addAction(preset);
    }
    connect(si_, &QAction::triggered, this, [this] { choose(UnitChoices::Designed()); });
    connect(us_, &QAction::triggered, this, [this] { choose(UnitChoices::UsCustomary()); });
    menu->addSeparator();
    dialog_ = menu->addAction(QStringLiteral("U&nits..."));
    dialog_->setObjectName(QStringLiteral("UnitsDialogAction"));
    connect(dialog_, &QAction::triggered, this, [this] { openDialog(); });
    updatePresetChecks();
}

void UnitsController::attachViews() {
    form_.IOGrid1->installEventFilter(this);
    form_.IOGrid1->viewport()->installEventFilter(this);
    form_.ListView1->viewport()->installEventFilter(this);
}

void UnitsController::readSettings(const TRegIniFile& settings) {
    UnitChoices units;
    for (int i = 0; i < kQuantityCount; ++i) {
        const auto quantity = static_cast<Quantity>(i);
        units.setUnit(quantity, settings.ReadInteger(kUnitsSection, keyOf(quantity),
                                                     QuantityOf(quantity).designedUnit));
    }
    form_.Flow.Units = units;
    updateGridLines();
    form_.ShowResults();
    updatePresetChecks();
}

void UnitsController::writeSettings(TRegIniFile& settings) const {
    for (const auto& [key, unit] : form_.Flow.Units.entries())
        settings.WriteInteger(kUnitsSection, key, unit);
}

bool UnitsController::choose(const UnitChoices& units) {
    const bool ran = runReadingGrid_([this, units] {
        form_.ReadInputs(); // a text that is not a number stops the switch with its error
        form_.Flow.Units = units;
        updateGridLines();
        // The same case shown again; the status keeps saying whether it was solved.
        const InputTexts texts = form_.Flow.ShowInputs();
        for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
            form_.IOGrid1->SetCells(kValueColumn, row,
                                    qs(texts[static_cast<std::size_t>(row - 1)]));
        form_.Runs->showInputs();
        form_.ShowResults();
        form_.ComposeReport();
    });
    updatePresetChecks();
    return ran;
}

bool UnitsController::chooseUnit(Quantity quantity, int unit) {
    UnitChoices units = form_.Flow.Units;
    units.setUnit(quantity, unit);
    return choose(units);
}

QMenu* UnitsController::unitMenu(Quantity quantity, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("UnitMenu_") + qs(keyOf(quantity)));
    const int count = UnitCount(QuantityOf(quantity).category);
    for (int unit = 0; unit < count; ++unit) {
        QAction* action = menu->addAction(qs(UnitChoiceLabel(quantity, unit)));
        action->setData(unit);
        action->setCheckable(true);
        action->setChecked(form_.Flow.Units.unit(quantity) == unit);
        connect(action, &QAction::triggered, this,
                [this, quantity, unit] { chooseUnit(quantity, unit); });
    }
    return menu;
}

void UnitsController::openDialog() {
    UnitsDialog dialog(&form_);
    dialog.setChoices(form_.Flow.Units);
    if (dialog.exec() == QDialog::Accepted)
        choose(dialog.choices());
}

bool UnitsController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ContextMenu)
        return QObject::eventFilter(watched, event);
    auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    TEntryGrid* grid = form_.IOGrid1;
    if (watched == grid->viewport() && menuEvent->reason() == QContextMenuEvent::Mouse) {
        const QPoint cell = grid->MouseCoord(menuEvent->pos().x(), menuEvent->pos().y());
        if (const std::optional<Quantity> quantity = rowQuantity(cell.y());
            cell.x() == kUnitColumn && quantity) {
            popUp(*quantity, menuEvent->globalPos());
            return true;
        }
    } else if (watched == grid && menuEvent->reason() != QContextMenuEvent::Mouse) {
        // From the keyboard: the units of the selected row, below its Units cell.
        const int row = grid->Row();
        if (const std::optional<Quantity> quantity = rowQuantity(row)) {
            const QRect rect = grid->CellRect(kUnitColumn, row);
            popUp(*quantity, grid->viewport()->mapToGlobal(rect.bottomLeft()));
            return true;
        }
    } else if (watched == form_.ListView1->viewport()) {
        const int line = form_.ListView1->rowAt(menuEvent->pos().y());
        std::optional<Quantity> quantity;
        if (line >= static_cast<int>(kResultCount))
            quantity = PipeRunCase::ResultQuantity(static_cast<std::size_t>(line) - kResultCount);
        else if (line >= 0)
            quantity = ResultQuantity(static_cast<std::size_t>(line));
        if (quantity) {
            popUp(*quantity, menuEvent->globalPos());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

std::optional<Quantity> UnitsController::rowQuantity(int row) const {
    if (row < kFlowRateRow || row >= form_.IOGrid1->Lines().size())
        return std::nullopt;
    return RowQuantity(row);
}

void UnitsController::popUp(Quantity quantity, const QPoint& globalPos) {
    QMenu* menu = unitMenu(quantity, &form_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void UnitsController::updateGridLines() {
    TEntryGrid* grid = form_.IOGrid1;
    for (int row = kFlowRateRow; row < grid->Lines().size(); ++row) {
        const QString line = qs(InputGridLine(row, form_.Flow.Units));
        if (row < grid->Lines().size() && grid->Lines().at(row) != line)
            grid->SetLine(row, line);
    }
}

void UnitsController::updatePresetChecks() {
    if (!si_)
        return;
    si_->setChecked(form_.Flow.Units == UnitChoices::Designed());
    us_->setChecked(form_.Flow.Units == UnitChoices::UsCustomary());
}

} // namespace corvel
