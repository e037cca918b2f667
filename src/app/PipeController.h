#pragma once

// The pipe tools of the main window: the "Pipe" menu with sizing for an allowed pressure
// gradient and the choice of a standard pipe size, and the pipe table the user last chose,
// kept in the user's settings. It owns its menu and dialogs; the window gives it its case and
// the way its commands run.

#include <QObject>

#include <functional>
#include <string>

class QAction;
class QMenu;
class QWidget;

namespace corvel {

class PipeTableDialog;
class SizingDialog;
class TMainForm;

/// The pipe table the settings store `keyName` names; the first table where it names none or
/// one that does not exist.
std::string ReadPipeTableSetting(const std::string& keyName);
/// Keeps `tableName` as the user's pipe table.
void WritePipeTableSetting(const std::string& keyName, const std::string& tableName);

class PipeController : public QObject {
    Q_OBJECT

public:
    /// Runs a command that reads the grid: an open editor is committed first, and an error
    /// the command throws is shown by the window.
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    PipeController(TMainForm& form, CommandRunner run);

    /// The "Pipe" menu, parented to the window.
    QMenu* Menu() const { return menu_; }

    QAction* SizeForPressureDrop1 = nullptr;
    QAction* ChoosePipeSize1 = nullptr;

    /// Asks the allowed gradient and what to find, writes the answer into the case as the
    /// user's edit and solves.
    void SizeForPressureDrop();
    /// Lists the pipe tables; the size chosen becomes the inside diameter and the case solves.
    void ChoosePipeSize();

private:
    void showMessage(const QString& text);

    TMainForm& form_;
    CommandRunner run_;
    QMenu* menu_ = nullptr;
    SizingDialog* sizing_ = nullptr;
    PipeTableDialog* tables_ = nullptr;
};

} // namespace corvel
