#pragma once

// Sizing for an allowed pressure gradient: the gradient in kPa/m, and what to find for the
// case — the flowrate its diameter carries, or the diameter its flowrate needs, exact or the
// smallest size of a pipe table. OK sizes; an answer closes the dialog, a failure is said in
// words and the dialog stays open.

#include "app/CaseSizing.h"
#include "app/FlowCase.h"

#include <QDialog>

#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace corvel {

class QxCustomEdit;

class SizingDialog : public QDialog {
    Q_OBJECT

public:
    explicit SizingDialog(QWidget* parent = nullptr);

    /// Loads the case to size, the gradient to offer [Pa/m] (kept at full precision while its
    /// text is unchanged) and the table to offer (the first one for an unknown name).
    void SetCase(const FlowCase& flow, double gradient, const std::string& tableName);
    /// With a pipe run shown: offers the allowed total pressure drop of `run` as the limit
    /// instead, starting from `totalDrop` [Pa] (the case's own). Without one (none) the limit is
    /// the gradient alone. Call after SetCase.
    void SetRun(const std::optional<PipeRunInputs>& run, double totalDrop = 0);

    /// Sizes with the dialog's choices: an answer accepts the dialog, a failure shows its words.
    void Size();

    /// What was found; meaningful after the dialog was accepted.
    SizingTarget Target() const { return request_.target; }
    SizingLimitKind LimitKind() const { return request_.limitKind; }
    const SizingAnswer& Answer() const { return answer_; }
    /// The table chosen in the dialog.
    const PipeTable& Table() const;

    QxCustomEdit* GradientEdit = nullptr;
    /// What the edit limits: "pressure gradient" or "total pressure drop"; shown with a run.
    QComboBox* LimitBox = nullptr;
    QRadioButton* FlowRateButton = nullptr;
    QRadioButton* DiameterButton = nullptr;
    QRadioButton* TableSizeButton = nullptr;
    QComboBox* TableBox = nullptr;
    QLabel* MessageLabel = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The allowed gradient [Pa/m] or total drop [Pa] the edit holds; NaN for a text that is
    /// not a number.
    double gradient() const;
    bool totalChosen() const;
    /// Shows the offered value of the limit chosen.
    void showLimit();

    FlowCase flow_;
    QLabel* gradientLabel_ = nullptr;
    QLabel* unitLabel_ = nullptr;
    QLabel* limitLabel_ = nullptr;
    QString shownGradientText_;
    double shownGradient_ = 0;   ///< Pa/m, what shownGradientText_ was made from
    double offeredGradient_ = 0; ///< Pa/m
    double offeredTotal_ = 0;    ///< Pa
    std::optional<PipeRunInputs> run_;
    CaseSizing request_;
    SizingAnswer answer_;
};

} // namespace corvel
