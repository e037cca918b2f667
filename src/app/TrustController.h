#pragma once

// How far the figures can be trusted, as the main window shows it: the water-property choice
// and the line pressure (Solve menu), the validity notes on the results list, the status bar
// and the report, and the Moody diagram window that follows every solve.

#include "physics/Validity.h"
#include "report/ReportComposer.h"

#include <QObject>
#include <QString>

#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;

namespace corvel {

class MoodyWindow;
class TMainForm;
class TRegIniFile;
class TReportForm;

/// The menu caption of a water-property choice, with its mnemonic.
QString WaterModelCaption(WaterModel model);

/// The water model a stored settings text names; Simple for anything else.
WaterModel WaterModelFromSetting(const std::string& text);
/// The settings text of a water model: "Simple" or "IAPWS".
std::string WaterModelSetting(WaterModel model);

/// The line pressure [kPa] a stored value gives; the standard atmosphere for a value that is
/// not a number or lies outside the range a user may type.
double LinePressureFromSetting(double stored);

/// Whether a note belongs in the printed report: design hints show on the screen only, for the
/// figures themselves are sound.
bool NoteIsReported(const ValidityNote& note);

/// The window's parts of trust. Owned by the main window, which calls it from its few hooks.
class TrustController : public QObject {
    Q_OBJECT
public:
    explicit TrustController(TMainForm& form);
    ~TrustController() override;

    /// Adds "Water Properties" (the two choices and "Line Pressure...") to the Solve menu.
    void addSolveMenuItems(QMenu* solve);
    /// Adds "Moody Diagram" to the Window menu.
    void addWindowMenuItems(QMenu* window);
    /// Lets the report print the diagram and name its PDF.
    void setReport(TReportForm* report);

    /// Takes the water model and line pressure from the settings store, validated.
    void readSettings(const TRegIniFile& settings);
    /// Writes them into the store (inside the window's single update).
    void writeSettings(TRegIniFile& settings) const;

    /// Shows what the last solve earns: the marks on the results list and on a derived input
    /// row, the most serious note in the status bar and the point on the Moody diagram; a
    /// failed solve clears them.
    void showSolve(bool solved);
    /// Adds the water-property line (IAPWS choice only) and the reported notes to a report.
    void addToReport(ReportContent& content) const;

    QAction* simpleAction() const { return simpleAction_; }
    QAction* iapwsAction() const { return iapwsAction_; }
    QAction* linePressureAction() const { return linePressureAction_; }
    QAction* moodyAction() const { return moodyAction_; }
    /// The Moody window; none until first opened.
    MoodyWindow* moodyWindow() const { return moody_; }
    /// The status-bar panel with the most serious note; empty text when nothing is doubtful.
    QLabel* notesPanel() const { return notesPanel_; }
    /// The notes of the last solve shown.
    const std::vector<ValidityNote>& notes() const { return notes_; }

    /// Opens (creating it at first) and raises the Moody window.
    void showMoodyWindow();
    /// Asks for the line pressure; a confirmed value re-solves.
    void editLinePressure();

private:
    void chooseWater(WaterModel model);
    void markResults();
    void markInputs();
    void followOnDiagram();

    TMainForm& form_;
    QActionGroup* waterGroup_ = nullptr;
    QAction* simpleAction_ = nullptr;
    QAction* iapwsAction_ = nullptr;
    QAction* linePressureAction_ = nullptr;
    QAction* moodyAction_ = nullptr;
    QLabel* notesPanel_ = nullptr;
    MoodyWindow* moody_ = nullptr;
    std::vector<ValidityNote> notes_;
    bool solved_ = false;
};

} // namespace corvel
