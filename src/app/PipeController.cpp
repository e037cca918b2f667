#include "app/PipeController.h"

#include "app/CaseSizing.h"
#include "app/Main.h"
#include "app/PipeRunController.h"
#include "dialogs/PipeTableDialog.h"
#include "dialogs/SizingDialog.h"
#include "pipes/PipeTables.h"
#include "platform/RegIniFile.h"
#include "shell/Folders.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>

namespace corvel {

namespace {

const char* const kSettingsSection = "Settings";
const char* const kPipeTableKey = "PipeTable";
constexpr int kMessageTimeout = 5000; // ms

QString millimetres(double metres) {
    return QString::number(metres * 1000, 'f', 2) + QStringLiteral(" mm");
}

} // namespace

std::string ReadPipeTableSetting(const std::string& keyName) {
    const std::string fallback = PipeTables().front().name();
    try {
        const std::string name =
            TRegIniFile(keyName).ReadString(kSettingsSection, kPipeTableKey, fallback);
        return FindPipeTable(name) ? name : fallback;
    } catch (const std::exception&) {
        return fallback; // an unreadable store keeps no choice
    }
}

void WritePipeTableSetting(const std::string& keyName, const std::string& tableName) {
    TRegIniFile(keyName).WriteString(kSettingsSection, kPipeTableKey, tableName);
}

PipeController::PipeController(TMainForm& form, CommandRunner run)
    : QObject(&form), form_(form), run_(std::move(run)) {
    setObjectName(QStringLiteral("PipeController"));
    SizeForPressureDrop1 = new QAction(QStringLiteral("&Size For Pressure Drop..."), this);
    SizeForPressureDrop1->setObjectName(QStringLiteral("SizeForPressureDrop1"));
    connect(SizeForPressureDrop1, &QAction::triggered, this,
            [this] { run_([this] { SizeForPressureDrop(); }); });
    ChoosePipeSize1 = new QAction(QStringLiteral("&Choose Pipe Size..."), this);
    ChoosePipeSize1->setObjectName(QStringLiteral("ChoosePipeSize1"));
    connect(ChoosePipeSize1, &QAction::triggered, this,
            [this] { run_([this] { ChoosePipeSize(); }); });

    menu_ = new QMenu(QStringLiteral("&Pipe"), &form);
    menu_->setObjectName(QStringLiteral("PipeMenu"));
    menu_->addAction(SizeForPressureDrop1);
    menu_->addAction(ChoosePipeSize1);
}

void PipeController::SizeForPressureDrop() {
    form_.ReadInputs();
    // The gradient offered is that of the case as the grid now holds it, solved on a copy so
    // an edit since the last solve counts; a case that cannot solve offers the last result.
    FlowCase trial = form_.Flow;
    const bool trialSolved = trial.Solve().solved;
    const double gradient = trialSolved ? trial.PressureDrop : form_.Flow.PressureDrop;
    if (!sizing_)
        sizing_ = new SizingDialog(&form_);
    const std::string keyName = Shell().SettingsKeyName;
    sizing_->SetCase(form_.Flow, gradient * 1000, ReadPipeTableSetting(keyName));
    if (form_.Runs->isOn()) {
        // With the pipe run shown, the run's own total drop is offered as the limit.
        PipeRunCase run = form_.Runs->run();
        double total = 0;
        try {
            run.Solve(trialSolved ? trial : form_.Flow);
            total = run.Result().totalPressureDrop;
        } catch (const std::exception&) {
            // a run that cannot be computed offers nothing
        }
        sizing_->SetRun(run.Inputs, total);
    }
    if (sizing_->exec() != QDialog::Accepted)
        return;
    const SizingAnswer& answer = sizing_->Answer();
    ApplySizing(form_.Flow, sizing_->Target(), answer);
    form_.ShowInputs();
    form_.SolveActionExecute();

    QString text;
    const QString limit = sizing_->LimitKind() == SizingLimitKind::kTotalPressureDrop
                              ? QStringLiteral("total pressure drop")
                              : QStringLiteral("pressure gradient");
    switch (sizing_->Target()) {
    case SizingTarget::kFlowRate:
        text = QStringLiteral("The flowrate was sized for the allowed %1.").arg(limit);
        break;
    case SizingTarget::kDiameter:
        text = QStringLiteral("The diameter was sized for the allowed %1.").arg(limit);
        break;
    case SizingTarget::kTableSize:
        WritePipeTableSetting(keyName, sizing_->Table().name());
        text = QStringLiteral("%1 size %2 (%3 inside) meets the allowed %4.")
                   .arg(QString::fromStdString(sizing_->Table().name()),
                        QString::fromUtf8(answer.size->nominal.data(),
                                          static_cast<qsizetype>(answer.size->nominal.size())),
                        millimetres(answer.size->insideDiameter), limit);
        break;
    }
    if (answer.inJump)
        text += QStringLiteral(" The limit falls where laminar flow turns turbulent; the answer "
                               "is the laminar edge.");
    showMessage(text);
}

void PipeController::ChoosePipeSize() {
    form_.ReadInputs();
    if (!tables_)
        tables_ = new PipeTableDialog(&form_);
    const std::string keyName = Shell().SettingsKeyName;
    tables_->SetChoice(ReadPipeTableSetting(keyName), form_.Flow.Diameter);
    if (tables_->exec() != QDialog::Accepted || !tables_->Size())
        return;
    const PipeSize& size = *tables_->Size();
    WritePipeTableSetting(keyName, tables_->Table().name());
    ApplyDiameter(form_.Flow, size.insideDiameter);
    form_.ShowInputs();
    form_.SolveActionExecute();
    showMessage(QStringLiteral("%1 size %2: inside diameter %3.")
                    .arg(QString::fromStdString(tables_->Table().name()),
                         QString::fromUtf8(size.nominal.data(),
                                           static_cast<qsizetype>(size.nominal.size())),
                         millimetres(size.insideDiameter)));
}

void PipeController::showMessage(const QString& text) {
    form_.StatusBar1->showMessage(text, kMessageTimeout);
}

} // namespace corvel
