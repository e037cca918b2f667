#pragma once

// The fittings of a pipe run: every fitting of the catalogue with a count and its K at the
// case's flow, a further "other K", and a live total of ΣK and the number of fittings. OK keeps
// the edited set; Cancel gives back the set the dialog opened with.

#include "pipes/Fittings.h"

#include <QDialog>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace corvel {

class FittingsDialog : public QDialog {
    Q_OBJECT

public:
    /// Opens on `set`, showing K for pipe Reynolds number `reynolds` [-] in a pipe of inside
    /// diameter `diameter` [m]; without flow (Re ≤ 0) K is not shown.
    FittingsDialog(const corvel::FittingSet& set, double reynolds, double diameter,
                   QWidget* parent = nullptr);

    /// The edited set; the set the dialog opened with after Cancel.
    corvel::FittingSet fittings() const;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Shows the counts and the other K of `set`.
    void load(const FittingSet& set);
    /// Hides the fittings whose names do not hold the filter's text.
    void applyFilter(const QString& text);
    /// Updates the total line and the OK button after any change.
    void updateTotal();
    /// The other K the edit holds; false for a text that is no number in range.
    bool readOtherK(double& otherK) const;
    /// The catalogue row a count box stands for; -1 for any other object.
    int countRow(const QObject* object) const;

    FittingSet original_;
    double reynolds_;
    double diameter_;

    QLineEdit* filterEdit_ = nullptr;
    QTableWidget* list_ = nullptr;
    std::vector<QSpinBox*> countBoxes_; ///< one per fitting of the catalogue
    QLineEdit* otherKEdit_ = nullptr;
    QLabel* totalLabel_ = nullptr;
    QLabel* noMatchLabel_ = nullptr; ///< says so when the filter hides every fitting
    QPushButton* clearButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

} // namespace corvel
