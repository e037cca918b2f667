#pragma once

// A small dialog for the absolute line pressure the reference water properties are taken at.

#include <QDialog>

namespace corvel {

class QxCustomEdit;

/// The range a line pressure may be typed in [kPa absolute].
inline constexpr double kMinLinePressure = 1;
inline constexpr double kMaxLinePressure = 100000;

class LinePressureDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows `pressure` [kPa] in the edit, selected for typing over.
    explicit LinePressureDialog(double pressure, QWidget* parent = nullptr);

    QxCustomEdit* edit() const { return edit_; }

    /// The pressure typed [kPa], held inside the range; the value shown at opening while the
    /// text cannot be read.
    double pressure() const;

private:
    QxCustomEdit* edit_;
    double initial_;
};

} // namespace corvel
