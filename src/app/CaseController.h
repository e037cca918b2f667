#pragma once

// The File menu's named case files: New, Open..., Save As..., the recent cases, the title with
// the case's name and the question before unsaved changes are lost. The case's state is a
// window-free CaseDocument; this class only moves it between the menu, the dialogs and the
// main window.

#include "app/CaseDocument.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace corvel {

class TMainForm;

class CaseController : public QObject {
public:
    /// Runs a command of the window: its errors go to the window's one error report, and an
    /// open editor of the grid is committed first. Returns whether the command ran through.
    using CommandRunner = std::function<bool(const std::function<void()>&)>;
    /// What a file dialog is asked for.
    enum class FileDialogKind { Open, SaveAs };
    /// Answers of the question before unsaved changes are lost.
    enum class Answer { Save, Discard, Cancel };

    CaseController(TMainForm* form, CommandRunner run);

    QAction* New1 = nullptr;
    QAction* OpenCase1 = nullptr;
    QAction* SaveAs1 = nullptr;

    /// Fills the File menu's case part: New, `open`, Open..., `save`, Save As... and the
    /// recent cases after a separator.
    void addFileActions(QMenu* file, QAction* open, QAction* save);
    /// The window's title without a case file, as the window made it.
    void setBaseTitle(const QString& title);
    /// The window's inputs changed: the title follows.
    void inputsChanged();

    /// File > Save: writes the named case and returns true; false when the case is unnamed,
    /// which File > Save keeps in the fixed case file.
    bool saveNamed();
    /// File > Open read the fixed case file: the case is unnamed from now on.
    void fixedFileOpened();
    /// Asks "Save changes to name.corvel?" when the named case is modified; false when the
    /// user cancelled or saving failed (the failure is reported).
    bool maySwitchAway();

    /// Opens the case file at `path` as a command of the window (the start-up's FILE, a recent
    /// case): a file that is no case is reported and opens nothing.
    void openPath(const QString& path);

    const CaseDocument& document() const { return document_; }
    const RecentCases& recent() const { return recent_; }
    /// The recent cases' menu items, newest first.
    const std::vector<QAction*>& recentActions() const { return recentActions_; }

    /// Stands in for the file dialogs when set (tests): gives the chosen path, empty when
    /// cancelled.
    std::function<QString(FileDialogKind)> FileDialogHook;

private:
    void newCase();
    void openCase();
    void saveCaseAs();
    void openRecent(const QString& path);
    /// Reads `path` (throws when it is no case) and shows it as the named case.
    void load(const QString& path);
    void writeTo(const std::string& path);
    QString chooseFile(FileDialogKind kind);
    Answer ask();
    void remember(const std::string& path);
    void forget(const std::string& path);
    void storeRecent() const;
    void rebuildRecentMenu();
    void showTitle();
    void showMessage(const QString& text, int milliseconds = 5000);

    TMainForm* form_;
    CommandRunner run_;
    CaseDocument document_;
    RecentCases recent_;
    QMenu* menu_ = nullptr;
    QAction* recentEnd_ = nullptr;
    std::vector<QAction*> recentActions_;
    bool titled_ = false;
};

} // namespace corvel
