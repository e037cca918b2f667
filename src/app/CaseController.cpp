#include "app/CaseController.h"

#include "app/Main.h"
#include "app/PipeRunController.h"
#include "platform/RegIniFile.h"
#include "shell/Folders.h"
#include "shell/Startup.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include <string>

namespace corvel {

namespace {

const char* const kRecentSection = "Recent";

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// Absolute, with "." and ".." resolved, so that one file is one entry of the recent list.
std::string absolutePath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toStdString();
}

} // namespace

CaseController::CaseController(TMainForm* form, CommandRunner run)
    : QObject(form), form_(form), run_(std::move(run)) {
    auto makeAction = [this](const char* name, const QString& caption,
                             void (CaseController::*handler)()) {
        auto* action = new QAction(caption, form_);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this,
                [this, handler] { run_([this, handler] { (this->*handler)(); }); });
        return action;
    };
    New1 = makeAction("New1", QStringLiteral("&New"), &CaseController::newCase);
    OpenCase1 = makeAction("OpenCase1", QStringLiteral("O&pen..."), &CaseController::openCase);
    SaveAs1 = makeAction("SaveAs1", QStringLiteral("Save &As..."), &CaseController::saveCaseAs);

    std::vector<std::string> stored;
    try {
        TRegIniFile settings(Shell().SettingsKeyName);
        settings.BeginUpdate(); // one opening of the store for all the reads; nothing is written
        for (std::size_t i = 1; i <= RecentCases::kMax; ++i)
            stored.push_back(settings.ReadString(kRecentSection, "File" + std::to_string(i), ""));
    } catch (const std::exception&) {
        // an unreadable settings store leaves the list empty
    }
    recent_ = RecentCases(stored);
}

void CaseController::addFileActions(QMenu* file, QAction* open, QAction* save) {
    menu_ = file;
    file->addAction(New1);
    file->addAction(open);
    file->addAction(OpenCase1);
    file->addAction(save);
    file->addAction(SaveAs1);
    // The recent cases go between two separators; the menu collapses the pair, and the
    // separator that follows, into one while the list is empty.
    file->setSeparatorsCollapsible(true);
    file->addSeparator();
    recentEnd_ = file->addSeparator();
    rebuildRecentMenu();
}

void CaseController::setBaseTitle(const QString& title) {
    document_.setBaseTitle(title.toStdString());
    titled_ = true;
    showTitle();
}

void CaseController::inputsChanged() {
    document_.setCurrent(StoredCase::Of(form_->Flow), form_->Runs->storedRun());
    showTitle();
}

bool CaseController::saveNamed() {
    if (!document_.named())
        return false;
    writeTo(document_.path());
    return true;
}

void CaseController::fixedFileOpened() {
    document_.detach(StoredCase::Of(form_->Flow), form_->Runs->storedRun());
    showTitle();
}

bool CaseController::maySwitchAway() {
    inputsChanged();
    if (!document_.modified())
        return true;
    switch (ask()) {
    case Answer::Cancel:
        return false;
    case Answer::Discard:
        return true;
    case Answer::Save:
        break;
    }
    try {
        writeTo(document_.path());
        return true;
    } catch (const std::exception& error) {
        ReportError(error.what());
        return false;
    }
}

void CaseController::openPath(const QString& path) {
    run_([this, path] { load(path); });
}

void CaseController::newCase() {
    if (!maySwitchAway())
        return;
    StoredCase().ApplyTo(form_->Flow);
    form_->Runs->applyRun(std::nullopt);
    form_->ShowInputs();
    document_.detach(StoredCase::Of(form_->Flow), form_->Runs->storedRun());
    showTitle();
    form_->SolveActionExecute();
}

void CaseController::openCase() {
    if (!maySwitchAway())
        return;
    const QString path = chooseFile(FileDialogKind::Open);
    if (!path.isEmpty())
        load(path);
}

void CaseController::saveCaseAs() {
    const QString path = chooseFile(FileDialogKind::SaveAs);
    if (path.isEmpty())
        return;
    writeTo(absolutePath(path));
}

void CaseController::openRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        forget(path.toStdString());
        showMessage(path +
                        QStringLiteral(" no longer exists; it was removed from the recent cases."),
                    10000);
        return;
    }
    run_([this, path] {
        if (maySwitchAway())
            load(path);
    });
}

void CaseController::load(const QString& path) {
    const std::string file = absolutePath(path);
    const CaseReading reading = CaseFile(file).ReadCase(); // a file that is no case stops here
    reading.stored.ApplyTo(form_->Flow);
    form_->Runs->applyRun(reading.run);
    document_.attach(file, reading.stored, reading.run);
    form_->ShowInputs();
    remember(file);
    const QString name = qs(document_.fileName());
    if (reading.fellBack.empty()) {
        showMessage(QStringLiteral("Case opened from ") + qs(file));
    } else {
        QStringList keys;
        for (const std::string& key : reading.fellBack)
            keys << qs(key);
        showMessage(QStringLiteral("Opened %1; missing or out of range, these keys took their "
                                   "defaults: %2.")
                        .arg(name, keys.join(QStringLiteral(", "))),
                    15000);
    }
    form_->SolveActionExecute();
}

void CaseController::writeTo(const std::string& path) {
    const StoredCase stored = StoredCase::Of(form_->Flow);
    const std::optional<StoredRun> run = form_->Runs->storedRun();
    CaseFile(path).Write(stored, run);
    document_.attach(path, stored, run);
    remember(path);
    showTitle();
    showMessage(QStringLiteral("Case saved in ") + qs(path));
}

QString CaseController::chooseFile(FileDialogKind kind) {
    if (FileDialogHook)
        return FileDialogHook(kind);
    QString folder = QDir::homePath();
    if (document_.named())
        folder = QFileInfo(qs(document_.path())).absolutePath();
    else if (!recent_.paths().empty())
        folder = QFileInfo(qs(recent_.paths().front())).absolutePath();
    const bool saving = kind == FileDialogKind::SaveAs;
    QFileDialog dialog(form_, saving ? QStringLiteral("Save Case As") : QStringLiteral("Open Case"),
                       folder, QStringLiteral("Corvel cases (*.corvel)"));
    dialog.setObjectName(QStringLiteral("CaseFileDialog"));
    // Qt's own dialog: the same on every desktop, and one that keyboard tools can drive.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kCaseExtension + 1));
    if (saving && document_.named())
        dialog.selectFile(qs(document_.fileName()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

CaseController::Answer CaseController::ask() {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Corvel"), qs(document_.saveQuestion()),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, form_);
    box.setObjectName(QStringLiteral("SaveChangesBox"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return Answer::Save;
    case QMessageBox::Discard:
        return Answer::Discard;
    default:
        return Answer::Cancel;
    }
}

void CaseController::remember(const std::string& path) {
    const std::vector<std::string> before = recent_.paths();
    recent_.add(path);
    if (recent_.paths() == before)
        return; // saving or opening the newest case again changes nothing
    storeRecent();
    rebuildRecentMenu();
}

void CaseController::forget(const std::string& path) {
    if (recent_.remove(path)) {
        storeRecent();
        rebuildRecentMenu();
    }
}

void CaseController::storeRecent() const {
    try {
        TRegIniFile settings(Shell().SettingsKeyName);
        settings.BeginUpdate();
        const std::vector<std::string>& paths = recent_.paths();
        for (std::size_t i = 0; i < RecentCases::kMax; ++i) {
            const std::string key = "File" + std::to_string(i + 1);
            if (i < paths.size())
                settings.WriteString(kRecentSection, key, paths[i]);
            else if (settings.ValueExists(kRecentSection, key))
                settings.DeleteKey(kRecentSection, key);
        }
        settings.EndUpdate();
    } catch (const std::exception&) {
        // The list is kept for this session; a store that cannot be written loses it later.
    }
}

void CaseController::rebuildRecentMenu() {
    if (!menu_)
        return;
    for (QAction* action : recentActions_) {
        menu_->removeAction(action);
        action->deleteLater();
    }
    recentActions_.clear();
    int number = 0;
    for (const std::string& path : recent_.paths()) {
        const QString file = qs(path);
        auto* action = new QAction(
            QStringLiteral("&%1 %2").arg(++number).arg(QFileInfo(file).fileName()), menu_);
        action->setObjectName(QStringLiteral("RecentCase%1").arg(number));
        action->setStatusTip(file);
        action->setToolTip(file);
        connect(action, &QAction::triggered, this, [this, file] { openRecent(file); });
        menu_->insertAction(recentEnd_, action);
        recentActions_.push_back(action);
    }
}

void CaseController::showTitle() {
    if (titled_)
        form_->setWindowTitle(qs(document_.title()));
}

void CaseController::showMessage(const QString& text, int milliseconds) {
    form_->StatusBar1->showMessage(text, milliseconds);
}

} // namespace corvel
