#include "dialogs/SizingDialog.h"

#include "pipes/PipeRun.h"
#include "pipes/PipeTables.h"
#include "units/QxFmtEdit.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvel {

namespace {

constexpr double kPascalsPerKilopascal = 1000;

/// An answer that is not found, for a sizing that could not run.
SizingAnswer unanswered() {
    SizingAnswer answer;
    answer.status = SizingStatus::kNoDiameterInRange;
    return answer;
}

} // namespace

SizingDialog::SizingDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SizingDialog"));
    setWindowTitle(QStringLiteral("Size For Pressure Drop"));

    GradientEdit = new QxCustomEdit(this);
    GradientEdit->setObjectName(QStringLiteral("GradientEdit"));
    // Four decimals, significant digits below 0.01 kPa/m so small gradients keep their figures.
    GradientEdit->SetFormat("%0.4f");
    GradientEdit->SetDisplayMode(2);
    GradientEdit->installEventFilter(this);
    auto* gradientLabel = new QLabel(QStringLiteral("&Allowed pressure gradient:"), this);
    gradientLabel->setBuddy(GradientEdit);
    gradientLabel_ = gradientLabel;
    auto* unitLabel = new QLabel(QStringLiteral("kPa/m"), this);
    unitLabel_ = unitLabel;
    LimitBox = new QComboBox(this);
    LimitBox->setObjectName(QStringLiteral("LimitBox"));
    LimitBox->addItem(QStringLiteral("Pressure gradient"));
    LimitBox->addItem(QStringLiteral("Total pressure drop of the run"));
    LimitBox->hide();
    auto* limitLabel = new QLabel(QStringLiteral("&Limit:"), this);
    limitLabel->setBuddy(LimitBox);
    limitLabel->hide();
    connect(LimitBox, &QComboBox::currentIndexChanged, this, [this] { showLimit(); });
    limitLabel_ = limitLabel;

    FlowRateButton = new QRadioButton(QStringLiteral("&Flowrate for the current diameter"), this);
    FlowRateButton->setObjectName(QStringLiteral("FlowRateButton"));
    DiameterButton =
        new QRadioButton(QStringLiteral("&Diameter for the current flowrate (exact)"), this);
    DiameterButton->setObjectName(QStringLiteral("DiameterButton"));
    TableSizeButton = new QRadioButton(
        QStringLiteral("&Smallest standard size for the current flowrate from:"), this);
    TableSizeButton->setObjectName(QStringLiteral("TableSizeButton"));
    auto* group = new QButtonGroup(this);
    group->addButton(FlowRateButton);
    group->addButton(DiameterButton);
    group->addButton(TableSizeButton);
    DiameterButton->setChecked(true);

    TableBox = new QComboBox(this);
    TableBox->setObjectName(QStringLiteral("TableBox"));
    for (const PipeTable& table : PipeTables())
        TableBox->addItem(QString::fromStdString(table.name()));
    TableBox->setEnabled(false);
    connect(TableSizeButton, &QRadioButton::toggled, TableBox, &QWidget::setEnabled);

    MessageLabel = new QLabel(this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    MessageLabel->setWordWrap(true);
    MessageLabel->setMinimumHeight(2 * MessageLabel->fontMetrics().height());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Size(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* limit = new QGridLayout;
    limit->addWidget(limitLabel, 0, 0);
    limit->addWidget(LimitBox, 0, 1, 1, 2);
    limit->addWidget(gradientLabel, 1, 0);
    limit->addWidget(GradientEdit, 1, 1);
    limit->addWidget(unitLabel, 1, 2);
    auto* find = new QGroupBox(QStringLiteral("Find"), this);
    auto* findLayout = new QVBoxLayout(find);
    findLayout->addWidget(FlowRateButton);
    findLayout->addWidget(DiameterButton);
    findLayout->addWidget(TableSizeButton);
    findLayout->addWidget(TableBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(limit);
    layout->addWidget(find);
    layout->addWidget(MessageLabel);
    layout->addWidget(buttons);
}

void SizingDialog::SetCase(const FlowCase& flow, double gradient, const std::string& tableName) {
    flow_ = flow;
    TableBox->setCurrentIndex(std::max(0, TableBox->findText(QString::fromStdString(tableName))));
    offeredGradient_ = gradient;
    SetRun(std::nullopt);
}

void SizingDialog::SetRun(const std::optional<PipeRunInputs>& run, double totalDrop) {
    run_ = run;
    offeredTotal_ = totalDrop;
    LimitBox->setVisible(run.has_value());
    limitLabel_->setVisible(run.has_value());
    {
        const QSignalBlocker blocker(LimitBox);
        // With a run the whole run's drop is what the user is after; a run without length or
        // fittings only rises or falls, and no size changes that.
        LimitBox->setCurrentIndex(run && LosesPressureToFlow(*run) ? 1 : 0);
    }
    showLimit();
    MessageLabel->clear();
    answer_ = unanswered();
}

bool SizingDialog::totalChosen() const {
    return run_.has_value() && LimitBox->currentIndex() == 1;
}

void SizingDialog::showLimit() {
    const bool total = totalChosen();
    gradientLabel_->setText(total ? QStringLiteral("&Allowed total pressure drop:")
                                  : QStringLiteral("&Allowed pressure gradient:"));
    unitLabel_->setText(total ? QStringLiteral("kPa") : QStringLiteral("kPa/m"));
    shownGradient_ = total ? offeredTotal_ : offeredGradient_;
    GradientEdit->SetFormat(total ? "%0.3f" : "%0.4f");
    GradientEdit->SetValue(shownGradient_ / kPascalsPerKilopascal);
    shownGradientText_ = GradientEdit->text();
    GradientEdit->DoEnter();
}

const PipeTable& SizingDialog::Table() const {
    const auto& tables = PipeTables();
    const int index = std::clamp(TableBox->currentIndex(), 0, static_cast<int>(tables.size()) - 1);
    return tables[static_cast<std::size_t>(index)];
}

double SizingDialog::gradient() const {
    // The text the dialog opened with stands for the case's gradient itself, so sizing for it
    // gives back the case as it is rather than a case rounded to the shown digits.
    if (GradientEdit->text() == shownGradientText_)
        return shownGradient_;
    const Variant value = GradientEdit->GetValue();
    if (const double* kilopascals = std::get_if<double>(&value))
        return *kilopascals * kPascalsPerKilopascal;
    return std::numeric_limits<double>::quiet_NaN();
}

void SizingDialog::Size() {
    request_.gradient = gradient();
    request_.target = FlowRateButton->isChecked()   ? SizingTarget::kFlowRate
                      : DiameterButton->isChecked() ? SizingTarget::kDiameter
                                                    : SizingTarget::kTableSize;
    request_.table = &Table();
    request_.limitKind =
        totalChosen() ? SizingLimitKind::kTotalPressureDrop : SizingLimitKind::kPressureGradient;
    request_.run = run_.value_or(PipeRunInputs{});
    if (std::isnan(request_.gradient)) {
        answer_ = unanswered();
        MessageLabel->setText(
            totalChosen() ? QStringLiteral("The allowed total pressure drop is not a number.")
                          : QStringLiteral("The allowed pressure gradient is not a number."));
        GradientEdit->setFocus();
        return;
    }
    try {
        answer_ = SizeCase(flow_, request_);
    } catch (const std::exception& error) {
        answer_ = unanswered();
        MessageLabel->setText(QString::fromStdString(error.what()));
        return;
    }
    if (!answer_.found()) {
        MessageLabel->setText(QString::fromStdString(SizingFailureMessage(answer_, request_)));
        return;
    }
    MessageLabel->clear();
    accept();
}

bool SizingDialog::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the gradient takes the typed value and sizes, as OK does.
    if (watched == GradientEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (GradientEdit->Modified())
                GradientEdit->ValidateText(GradientEdit->text());
            Size();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvel
