#include "app/LinePressureDialog.h"

#include "units/QxFmtEdit.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace corvel {

LinePressureDialog::LinePressureDialog(double pressure, QWidget* parent)
    : QDialog(parent), initial_(pressure) {
    setObjectName(QStringLiteral("LinePressureDialog"));
    setWindowTitle(QStringLiteral("Line Pressure"));

    edit_ = new QxCustomEdit(this);
    edit_->setObjectName(QStringLiteral("LinePressureEdit"));
    edit_->SetFormat("%0.3f");
    edit_->SetLowLimit(kMinLinePressure);
    edit_->SetHighLimit(kMaxLinePressure);
    edit_->SetValue(pressure);
    edit_->selectAll();

    auto* row = new QHBoxLayout;
    row->addWidget(edit_, 1);
    row->addWidget(new QLabel(QStringLiteral("kPa absolute"), this));
    auto* form = new QFormLayout;
    auto* caption = new QLabel(QStringLiteral("&Line pressure:"), this);
    caption->setBuddy(edit_);
    form->addRow(caption, row);

    auto* note = new QLabel(QStringLiteral("The IAPWS reference properties are taken at this "
                                           "pressure; 101.325 kPa is one standard atmosphere."),
                            this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        // A text typed beyond the range is brought onto its limit before it is taken.
        edit_->ValidateText(edit_->text());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

double LinePressureDialog::pressure() const {
    const Variant value = edit_->GetValue();
    const double* number = std::get_if<double>(&value);
    if (!number || !std::isfinite(*number))
        return initial_;
    return std::clamp(*number, kMinLinePressure, kMaxLinePressure);
}

} // namespace corvel
