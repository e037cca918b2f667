#include "app/PipeRunController.h"

#include "dialogs/FittingsDialog.h"

#include "app/LinePressureDialog.h"
#include "app/Main.h"
#include "grid/QxEntryGrid.h"
#include "platform/RegIniFile.h"

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace corvel {

namespace {

const char* const kSettingsSection = "Settings";
const char* const kViewKey = "PipeRun";
const char* const kRunSection = "PipeRun";
constexpr int kValueColumn = 1;
constexpr int kUnitColumn = 2;

// The line pressure row admits what the Line Pressure dialog admits.
static_assert(kRunInputRows[kLinePressureRow - kPipeLengthRow].min == kMinLinePressure);
static_assert(kRunInputRows[kLinePressureRow - kPipeLengthRow].max == kMaxLinePressure);
static_assert(kRunInputRows[kPipeLengthRow - kPipeLengthRow].max == kPipeLengthRange.max);
static_assert(kRunInputRows[kElevationRiseRow - kPipeLengthRow].min == kElevationRiseRange.min);

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// `value` when it is finite and inside `range`, else `fallback`.
double validated(double value, InputRange range, double fallback) {
    return std::isfinite(value) && range.contains(value) ? value : fallback;
}

} // namespace

bool EditFittings(FittingSet& set, double reynolds, double diameter, QWidget* parent) {
    FittingsDialog dialog(set, reynolds, diameter, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    set = dialog.fittings();
    return true;
}

PipeRunController::PipeRunController(
    TMainForm& form, std::function<bool(const std::function<void()>&)> runReadingGrid)
    : QObject(&form), form_(form), runReadingGrid_(std::move(runReadingGrid)) {
    setObjectName(QStringLiteral("PipeRunController"));
    action_ = new QAction(QStringLiteral("&Pipe Run"), &form);
    action_->setObjectName(QStringLiteral("PipeRunAction"));
    action_->setCheckable(true);
    action_->setStatusTip(
        QStringLiteral("Show the pipe run: length, fittings, rise, pump and line pressure"));
    connect(action_, &QAction::triggered, this, &PipeRunController::toggled);
}

bool PipeRunController::eventFilter(QObject* watched, QEvent* event) {
    // The grid also sees events while the window is being destroyed, when the window's own
    // members are gone: only a key press, which cannot come then, looks at them.
    if (event->type() == QEvent::KeyPress && on_ && watched == form_.IOGrid1 &&
        form_.IOGrid1->Row() == kFittingsRow && form_.IOGrid1->Col() == kValueColumn) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool opens = (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) ||
                           (key->key() == Qt::Key_F4 && key->modifiers() == Qt::NoModifier) ||
                           (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier);
        if (opens) {
            editFittings();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void PipeRunController::toggled(bool on) {
    const bool ran = runReadingGrid_([this, on] {
        form_.ReadInputs(); // a text that is not a number stops the switch with its error
        setOn(on);
    });
    if (!ran)
        action_->setChecked(on_);
}

void PipeRunController::setOn(bool on, bool resizeWindow) {
    action_->setChecked(on);
    if (on == on_)
        return;
    const int gridHeight = form_.IOGrid1->height();
    on_ = on;
    rebuildGrid();
    resizeList();
    fitColumns();
    // The same case shown again in the rebuilt grid; the status keeps saying whether it solved.
    const InputTexts texts = form_.Flow.ShowInputs();
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
        form_.IOGrid1->SetCells(kValueColumn, row, qs(texts[static_cast<std::size_t>(row - 1)]));
    showInputs();
    form_.ShowResults();
    if (resizeWindow && !form_.isMaximized()) {
        const int lines = static_cast<int>(kRunResultCount) *
                          form_.ListView1->verticalHeader()->defaultSectionSize();
        const int grown = form_.IOGrid1->height() - gridHeight + (on ? lines : -lines);
        form_.resize(form_.width(), std::max(form_.minimumHeight(), form_.height() + grown));
    }
}

void PipeRunController::rebuildGrid() {
    TEntryGrid* grid = form_.IOGrid1;
    // Rebuilding the rows drops their property editors: those of the case's own rows come back.
    std::vector<std::pair<int, TPropEditEvent>> editors;
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
        if (const TField* field = grid->Field(row);
            field && field->Kind == kFieldKindPropEditor && field->OnPropEdit)
            editors.emplace_back(row, field->OnPropEdit);
    const int selected = grid->Row();
    QStringList lines;
    for (const std::string& line : InputGridLines(form_.Flow.Units, on_))
        lines << qs(line);
    grid->SetLines(lines);
    for (auto& [row, editor] : editors)
        grid->SetPropEditor(row, std::move(editor));
    grid->removeEventFilter(this);
    if (on_) {
        grid->installEventFilter(this);
        grid->SetPropEditor(kFittingsRow, [this](Variant&) {
            editFittings();
            return 0;
        });
        grid->Field(kFittingsRow)->Editable = false; // shown by the program, set by its editor
    }
    if (selected >= grid->RowCount())
        grid->SetRow(kRoughnessRow);
    grid->setFixedHeight(
        std::max(108, (grid->DefaultRowHeight() + grid->GridLineWidth()) * grid->RowCount()));
}

void PipeRunController::resizeList() {
    QTableWidget* list = form_.ListView1;
    const int before = list->rowCount();
    const int rows = static_cast<int>(kResultCount + (on_ ? kRunResultCount : 0));
    list->setRowCount(rows);
    const RunResultRows initial = PipeRunCase().ResultRows(form_.Flow.Units);
    for (int i = before; i < rows; ++i) {
        const ResultRow& row = initial[static_cast<std::size_t>(i) - kResultCount];
        list->setItem(i, 0, new QTableWidgetItem(qs(row.caption)));
        list->setItem(i, 1, new QTableWidgetItem(qs(row.value)));
        list->setItem(i, 2, new QTableWidgetItem(qs(row.units)));
    }
}

void PipeRunController::fitColumns() {
    TEntryGrid* grid = form_.IOGrid1;
    const QFontMetrics metrics(grid->font());
    // The same margin as the designed widths leave beside their longest texts.
    const int needed[3] = {0, metrics.horizontalAdvance(QStringLiteral("no pump needed")) + 12,
                           metrics.horizontalAdvance(QStringLiteral("12 fittings + K")) + 12};
    for (const int col : {kValueColumn, kUnitColumn}) {
        Widened& widened = widened_[col];
        if (on_) {
            const int width = grid->ColWidths(col);
            widened = width < needed[col] ? Widened{width, needed[col]} : Widened{};
            if (widened.given != 0)
                grid->SetColWidths(col, widened.given);
        } else {
            if (widened.given != 0 && grid->ColWidths(col) == widened.given)
                grid->SetColWidths(col, widened.before);
            widened = {};
        }
    }
    form_.FitListColumns();
}

int PipeRunController::ownColumnWidth(int col) const {
    const int width = form_.IOGrid1->ColWidths(col);
    const Widened& widened = widened_[col];
    return widened.given != 0 && width == widened.given ? widened.before : width;
}

void PipeRunController::readInputs() {
    if (!on_)
        return;
    RunTexts texts;
    for (int row = kPipeLengthRow; row <= kLastRunRow; ++row)
        texts[static_cast<std::size_t>(row - kPipeLengthRow)] =
            form_.IOGrid1->Cells(kValueColumn, row).toStdString();
    run_.ReadInputs(texts, form_.Flow);
}

void PipeRunController::showInputs() {
    if (!on_)
        return;
    const RunTexts texts = run_.ShowInputs(form_.Flow);
    for (int row = kPipeLengthRow; row <= kLastRunRow; ++row)
        form_.IOGrid1->SetCells(kValueColumn, row,
                                qs(texts[static_cast<std::size_t>(row - kPipeLengthRow)]));
    form_.IOGrid1->SetCells(kUnitColumn, kFittingsRow, qs(FittingsCountText(run_.Inputs.fittings)));
}

void PipeRunController::showResults() {
    if (!on_)
        return;
    const FlowCase& flow = form_.Flow;
    // A case never solved has no density yet: its run keeps the zeros it started with.
    if (flow.Density > 0)
        run_.Solve(flow);
    else
        run_.Clear();
    const RunResultRows rows = run_.ResultRows(flow.Units);
    QTableWidget* list = form_.ListView1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int line = static_cast<int>(kResultCount + i);
        list->item(line, 1)->setText(qs(rows[i].value));
        list->item(line, 2)->setText(qs(rows[i].units));
    }
    const double sumK = run_.Solved() ? run_.Result().sumK
                                      : run_.Inputs.fittings.sumK(flow.Reynolds, flow.Diameter);
    form_.IOGrid1->SetCells(kValueColumn, kFittingsRow, qs(FittingsSumText(sumK)));
}

std::vector<ValidityNote> PipeRunController::notes() const {
    if (!on_)
        return {};
    return run_.Notes(form_.Flow);
}

std::optional<StoredRun> PipeRunController::storedRun() const {
    if (!on_)
        return std::nullopt;
    return StoredRun{run_.Inputs.length, run_.Inputs.elevationRise, run_.Inputs.pumpEfficiency,
                     run_.Inputs.fittings, form_.Flow.LinePressure};
}

void PipeRunController::applyRun(const std::optional<StoredRun>& stored) {
    if (!stored) {
        run_.Inputs = PipeRunInputs{};
        showInputs();
        return;
    }
    const StoredRun& r = *stored;
    run_.Inputs.length = r.length;
    run_.Inputs.elevationRise = r.elevationRise;
    run_.Inputs.pumpEfficiency = r.pumpEfficiency;
    run_.Inputs.fittings = r.fittings;
    form_.Flow.LinePressure = r.linePressure;
    setOn(true);
    showInputs();
}

void PipeRunController::readSettings(const TRegIniFile& settings) {
    PipeRunInputs inputs;
    inputs.length = validated(settings.ReadFloat(kRunSection, "Length", 0), kPipeLengthRange, 0);
    inputs.elevationRise =
        validated(settings.ReadFloat(kRunSection, "Rise", 0), kElevationRiseRange, 0);
    inputs.pumpEfficiency =
        validated(settings.ReadFloat(kRunSection, "PumpEfficiency", kDefaultPumpEfficiency),
                  kPumpEfficiencyRange, kDefaultPumpEfficiency);
    try {
        inputs.fittings = FittingSet::parse(settings.ReadString(kRunSection, "Fittings", ""));
    } catch (const Exception&) {
        // fittings that cannot be read count as none
    }
    inputs.fittings.otherK =
        validated(settings.ReadFloat(kRunSection, "OtherK", 0), {0, kMaxFittingsK}, 0);
    run_.Inputs = inputs;
    setOn(settings.ReadBool(kSettingsSection, kViewKey, false), false);
}

void PipeRunController::writeSettings(TRegIniFile& settings) const {
    settings.WriteBool(kSettingsSection, kViewKey, on_);
    settings.WriteFloat(kRunSection, "Length", run_.Inputs.length);
    settings.WriteFloat(kRunSection, "Rise", run_.Inputs.elevationRise);
    settings.WriteFloat(kRunSection, "PumpEfficiency", run_.Inputs.pumpEfficiency);
    settings.WriteString(kRunSection, "Fittings", run_.Inputs.fittings.text());
    settings.WriteFloat(kRunSection, "OtherK", run_.Inputs.fittings.otherK);
}

void PipeRunController::editFittings() {
    FittingSet fittings = run_.Inputs.fittings;
    const FlowCase& flow = form_.Flow;
    if (!EditFittings(fittings, flow.Reynolds, flow.Diameter, &form_))
        return;
    run_.Inputs.fittings = fittings;
    showInputs();
    form_.SolveAction->trigger();
}

} // namespace corvel
