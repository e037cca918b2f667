#include "dialogs/UnitsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace corvel {

const char* QuantityCaption(Quantity quantity) {
    static constexpr const char* kCaptions[kQuantityCount] = {
        "Water Flowrate",       "Water Velocity", "Inside Diameter",     "Mean Temperature",
        "Surface Roughness",    "Density",        "Heat Capacity",       "Dynamic Viscosity",
        "Conductivity",         "Enthalpy",       "Saturation Pressure", "Pressure Drop Rate",
        "Pipe Length and Rise", "Run Pressures",  "Total Head",          "Pump Power",
        "Line Pressure"};
    return kCaptions[static_cast<int>(quantity)];
}

std::string UnitChoiceLabel(Quantity quantity, int unit) {
    UnitChoices choice;
    choice.setUnit(quantity, unit);
    return choice.label(quantity);
}

UnitsDialog::UnitsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("UnitsDialog"));
    setWindowTitle(QStringLiteral("Units"));
    auto* form = new QFormLayout;
    for (int i = 0; i < kQuantityCount; ++i) {
        const auto quantity = static_cast<Quantity>(i);
        const QuantityInfo& info = QuantityOf(quantity);
        auto* combo = new QComboBox(this);
        combo->setObjectName(QString::fromUtf8(info.key.data(), static_cast<int>(info.key.size())));
        for (int unit = 0; unit < UnitCount(info.category); ++unit)
            combo->addItem(QString::fromStdString(UnitChoiceLabel(quantity, unit)));
        combo->setCurrentIndex(info.designedUnit);
        combos_[static_cast<std::size_t>(i)] = combo;
        form->addRow(QString::fromLatin1(QuantityCaption(quantity)), combo);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void UnitsDialog::setChoices(const UnitChoices& choices) {
    for (int i = 0; i < kQuantityCount; ++i)
        combos_[static_cast<std::size_t>(i)]->setCurrentIndex(
            choices.unit(static_cast<Quantity>(i)));
}

UnitChoices UnitsDialog::choices() const {
    UnitChoices choices;
    for (int i = 0; i < kQuantityCount; ++i)
        choices.setUnit(static_cast<Quantity>(i),
                        combos_[static_cast<std::size_t>(i)]->currentIndex());
    return choices;
}

} // namespace corvel
