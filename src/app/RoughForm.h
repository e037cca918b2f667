#pragma once

// The roughness guide: typical absolute roughness of four pipe materials, offered as a
// starting point for the roughness row of the input grid.

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QStatusBar;

namespace corvel {

/// A material of the guide and its absolute roughness [mm].
struct PipeMaterial {
    const char* name;
    double roughnessMm;
};

extern const std::array<PipeMaterial, 4> kPipeMaterials;

class TRoughnessForm : public QDialog {
    Q_OBJECT

public:
    explicit TRoughnessForm(QWidget* parent = nullptr);

    /// The roughness of the chosen material [mm]; read after the dialog closed with OK.
    double SelectedRoughness = 0;

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;    ///< OK
    QPushButton* BitBtn2 = nullptr;    ///< Cancel
    QPushButton* MoreButton = nullptr; ///< "More materials..."
    QStatusBar* StatusBar1 = nullptr;

    /// Takes the chosen material's roughness and shows it in the status bar.
    void ComboBox1Change();
    /// Lists the published roughness of more materials; a material chosen there is taken as
    /// OK takes one of the four.
    void MoreMaterialsClick();

protected:
    /// Each showing starts with the roughness of the material the list shows.
    void showEvent(QShowEvent* event) override;
};

} // namespace corvel
