#pragma once

// The pipe run in the main window: "View > Pipe Run" shows the run's five rows below the grid's
// five and its seven results after the thirteen; the Fittings row's button opens the fittings
// editor; the choice and the run's inputs are kept per user, and the run goes into the case
// file, the clipboard and the report while it is shown. With the view off the window is as it
// has always been.

#include "app/CaseFile.h"
#include "app/PipeRunCase.h"

#include <QObject>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QWidget;

namespace corvel {

class TMainForm;
class TRegIniFile;

/// Edits the fittings of a run in a dialog, for a flow at `reynolds` in a pipe of `diameter`
/// [m] (the dialog shows each fitting's K there); true when the user confirmed, `set` then
/// holds the new fittings.
bool EditFittings(FittingSet& set, double reynolds, double diameter, QWidget* parent);

class PipeRunController : public QObject {
    Q_OBJECT

public:
    /// `runReadingGrid` runs a step after committing the grid's open editor and shows its
    /// errors; it returns whether the step ran through.
    PipeRunController(TMainForm& form,
                      std::function<bool(const std::function<void()>&)> runReadingGrid);

    /// "Pipe Run", checkable, for the View menu.
    QAction* action() const { return action_; }
    bool isOn() const { return on_; }
    /// Shows or hides the run's rows and results; the window grows or shrinks by their height
    /// when `resizeWindow`. The case is shown again as it stands.
    void setOn(bool on, bool resizeWindow = true);

    /// The run's state: inputs, texts and results.
    PipeRunCase& run() { return run_; }
    const PipeRunCase& run() const { return run_; }

    /// Reads the run's rows into the run (nothing with the view off); throws EConvertError.
    void readInputs();
    /// Shows the run's inputs in its rows (nothing with the view off).
    void showInputs();
    /// Computes the run from the flow case's last solve and shows its results and ΣK (nothing
    /// with the view off). Throws what the run's solve throws.
    void showResults();

    /// The notes of the run's last results; none while the run is not shown.
    std::vector<ValidityNote> notes() const;

    /// The run to save with the case: none while the run is not shown, so that the case file
    /// is then exactly as before.
    std::optional<StoredRun> storedRun() const;
    /// Takes the run of a case that was opened (and its line pressure), which also shows the
    /// run; a case without a run sets the run's inputs to their defaults.
    void applyRun(const std::optional<StoredRun>& stored);

    /// The view choice and the run's inputs from the settings store, validated.
    void readSettings(const TRegIniFile& settings);
    void writeSettings(TRegIniFile& settings) const;

    /// The grid column's width as the user left it: the width before the run widened it, while
    /// the widening stands, so that the stored width is theirs and the run widens it again.
    int ownColumnWidth(int col) const;

    /// Opens the fittings editor; confirmed fittings are shown and the case solves.
    void editFittings();

protected:
    /// Space, F4 or Alt+Down on the selected Fittings row opens the fittings editor, as its
    /// button does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Sets the grid's lines for the view, keeping the rows' property editors.
    void rebuildGrid();
    void resizeList();
    /// Widens the value and unit columns, where they are narrower, so that the run's longest
    /// texts ("no pump needed", "12 fittings + K") show whole; hiding the run gives a column
    /// back its earlier width unless the user has dragged it since.
    void fitColumns();
    void toggled(bool on);

    TMainForm& form_;
    std::function<bool(const std::function<void()>&)> runReadingGrid_;
    QAction* action_ = nullptr;
    PipeRunCase run_;
    bool on_ = false;
    /// A column widened for the run: its width before, and the width it was given.
    struct Widened {
        int before = 0;
        int given = 0;
    };
    Widened widened_[3];
};

} // namespace corvel
