#pragma once

// The Units dialog: one list per quantity of the units of its category, the unit each quantity
// is shown in selected. OK takes the selection, Cancel leaves the choices as they were.

#include "units/UnitChoices.h"

#include <QDialog>

#include <array>

class QComboBox;

namespace corvel {

/// The caption the window shows a quantity under ("Water Flowrate", "Density", …).
const char* QuantityCaption(Quantity quantity);

/// The text a unit of `quantity` is listed under: the label it is shown with.
std::string UnitChoiceLabel(Quantity quantity, int unit);

class UnitsDialog : public QDialog {
    Q_OBJECT

public:
    explicit UnitsDialog(QWidget* parent = nullptr);

    /// Selects the unit `choices` give each quantity.
    void setChoices(const UnitChoices& choices);
    /// The units selected.
    UnitChoices choices() const;

    /// The list of `quantity`'s units; its object name is the quantity's settings key.
    QComboBox* comboBox(Quantity quantity) const {
        return combos_[static_cast<std::size_t>(quantity)];
    }

private:
    std::array<QComboBox*, kQuantityCount> combos_{};
};

} // namespace corvel
