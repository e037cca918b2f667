#pragma once

// The window's unit choices: the "Units" menu with its two presets and the Units dialog, a
// context menu of units on the Units cell of each input row and on each result line with a
// quantity, and the choices kept per user in the settings store. A choice commits an open
// editor first and then shows the same case in the new units: the grid's rows take the unit's
// format, label and converted range, the results list and the report follow.

#include "units/UnitChoices.h"

#include <QObject>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QMenuBar;
class QPoint;

namespace corvel {

class TMainForm;
class TRegIniFile;

class UnitsController : public QObject {
    Q_OBJECT

public:
    /// `runReadingGrid` runs a step after committing the grid's open editor, as the window's
    /// commands that read the grid do, and shows the step's errors; it returns whether the
    /// step ran through.
    UnitsController(TMainForm& form,
                    std::function<bool(const std::function<void()>&)> runReadingGrid);

    /// Adds the "Units" menu to the menu bar.
    void createMenu(QMenuBar* menuBar);
    /// Offers the unit menus on the input grid and the results list.
    void attachViews();

    /// Reads the stored choices (section "Units", one catalogue unit index per quantity); an
    /// index outside a quantity's category counts as its designed unit.
    void readSettings(const TRegIniFile& settings);
    void writeSettings(TRegIniFile& settings) const;

    /// Shows the case in `units`: false when committing the open editor or reading the grid
    /// failed (its error has been shown) and nothing changed.
    bool choose(const UnitChoices& units);
    /// Shows `quantity` in catalogue unit `unit`, the others as they are.
    bool chooseUnit(Quantity quantity, int unit);

    /// The menu of `quantity`'s units, the one it is shown in checked; each action's data is
    /// the catalogue unit index. Choosing one applies it.
    QMenu* unitMenu(Quantity quantity, QWidget* parent);

    QAction* siAction() const { return si_; }
    QAction* usAction() const { return us_; }
    QAction* dialogAction() const { return dialog_; }

    /// Opens the Units dialog and takes its choices on OK.
    void openDialog();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Brings the grid's definition lines to the case's units.
    void updateGridLines();
    void updatePresetChecks();
    void popUp(Quantity quantity, const QPoint& globalPos);
    /// The quantity of a grid row the grid now shows; none for another row or a fixed unit.
    std::optional<Quantity> rowQuantity(int row) const;

    TMainForm& form_;
    std::function<bool(const std::function<void()>&)> runReadingGrid_;
    QAction* si_ = nullptr;
    QAction* us_ = nullptr;
    QAction* dialog_ = nullptr;
};

} // namespace corvel
