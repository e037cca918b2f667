#pragma once

// The main window: the input grid, the results list and the status bar over one flow case.
// The window only moves texts between the case and its widgets; the case computes.

#include "app/CaseFile.h"
#include "app/FlowCase.h"
#include "app/Results.h"
#include "units/QxConv.h"

#include <QMainWindow>

#include <functional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTableWidget;

namespace corvel {

class CaseController;
class PipeController;
class PipeRunController;
class TAboutBoxDlg;
class TEntryGrid;
class TReportForm;
class TRoughnessForm;
class TrustController;
class UnitsController;

/// The definition lines of the input grid, header first.
extern const QStringList kInputGridLines;

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    /// Creates the window with its settings read.
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    /// The roughness guide and the report window, made after the main window and living as
    /// long as the program. Handed over after the window was shown, the report is composed at
    /// once and kept up to date from then on.
    void SetCompanions(TRoughnessForm* roughness, TReportForm* report);
    /// Instead of SetCompanions before showing: `make` makes the companions and hands them over
    /// with SetCompanions when one of them is first asked for (the roughness guide, the report
    /// window), so that the window's first paint does not wait for windows no one sees yet.
    void SetCompanionMaker(std::function<void()> make);

    TEntryGrid* IOGrid1 = nullptr;
    QTableWidget* ListView1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QAction* SolveAction = nullptr;
    QAction* ExitAction = nullptr;
    QAction* HelpAction = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* ReportPreview1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* AutoSize1 = nullptr;
    QAction* About1 = nullptr;
    TAboutBoxDlg* AboutBoxDlg1 = nullptr;
    /// New, Open..., Save As..., the recent cases and the title of named case files.
    CaseController* Cases = nullptr;
    /// The "Pipe" menu: sizing for a pressure gradient and the standard pipe sizes.
    PipeController* Pipes = nullptr;
    /// "View > Pipe Run": the run's rows and results, its fittings and its part of the case.
    PipeRunController* Runs = nullptr;

    /// The flow case the window shows.
    FlowCase Flow;

    void SolveActionExecute();
    void ReadInputs();
    void ShowInputs();
    void IOGrid1DoSetData(int ACol, int ARow);
    void FitListColumns();
    int PickPipeSize(Variant& value);
    int OpenRoughnessGuide(Variant& value);
    void ShowResults();
    void Copy1Click();
    void ComposeReport();
    void ReportPreview1Click();
    void Open1Click();
    void Save1Click();
    void AutoSize1Click();
    void HelpActionExecute();
    void About1Click();
    void ExitActionExecute();

    /// The water-property choice, the validity notes and the Moody window.
    TrustController* Trust() const { return trust_; }

    /// The texts of the two status-bar panels.
    QString StatusText(int panel) const;
    /// The places of the case file "Corvel.ini": the program's folder (a build tree or a portable
    /// copy; never for an installed copy) and the user's data folder.
    CaseFilePlaces CasePlaces() const;
    /// The full path Save writes the case file to.
    std::string CaseFileName() const;
    /// Where the help page is found: beside the program, else in the installed data folder.
    QString HelpPagePath() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createGrid();
    void createList();
    void createStatusBar();
    void FormCreate();
    void FormActivate();
    void FormClose();
    void setStatus(int panel, const QString& text);
    /// What running a command involves.
    enum class CommandKind {
        Plain,     ///< runs as it is
        ReadsGrid, ///< an open editor of the grid is committed first, as Enter does
        Solve,     ///< reads the grid; a success forgets the texts an error was shown for
        /// Solves the grid as it is; an error already shown for the same grid texts is not
        /// shown again, for closing the error box activates the window again.
        ActivationSolve,
    };
    /// Runs a command, the one place where the window's errors are shown: an error that escapes
    /// the command goes to the general error report. A command that reads the grid ends
    /// without running when committing the open editor failed (its error has been shown).
    /// Returns whether the command ran through.
    bool run(CommandKind kind, const std::function<void()>& command);
    /// Commits an open editor of the input grid as Enter does; false when the commit's values
    /// could not be taken.
    bool commitGridEdit();
    QStringList gridValueTexts() const;
    /// Makes the companions if a maker was set and they have not been made yet.
    void needCompanions();

    TReportForm* report_ = nullptr;
    TrustController* trust_ = nullptr;
    TRoughnessForm* roughness_ = nullptr;
    std::function<void()> companionMaker_;
    UnitsController* units_ = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    std::string programFolder_;
    /// The value texts whose conversion error was last shown.
    QStringList reportedTexts_;
    /// Commands that failed so far: tells whether the commands a step set off went through.
    int failures_ = 0;
    bool shownBefore_ = false;
};

} // namespace corvel
