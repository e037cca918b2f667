#pragma once

// The roughness of more pipe materials: every row of the published roughness table with its
// typical value and its spread, the source of each on its tooltip.

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace corvel {

class MaterialsDialog : public QDialog {
    Q_OBJECT

public:
    explicit MaterialsDialog(QWidget* parent = nullptr);

    /// The typical roughness of the selected material [mm]; 0 when none is selected.
    double SelectedRoughness() const;
    /// The selected material's name; empty when none is selected.
    QString SelectedMaterial() const;

    QTableWidget* MaterialList = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
};

} // namespace corvel
