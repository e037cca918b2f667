#include "MainWindowFixture.h"

#include "app/RoughForm.h"
#include "grid/QxEntryGrid.h"
#include "report/QxReporter.h"
#include "shell/Folders.h"

#include <QApplication>
#include <QTableWidget>
#include <QTest>
#include <QWidget>

#include <utility>

namespace corvel::test {

AppSandbox::AppSandbox(std::string settingsName) : settingsName_(std::move(settingsName)) {}

void AppSandbox::SetUp() {
    ASSERT_TRUE(folder_.isValid());
    const std::string folder = folder_.path().toStdString() + "/";
    Shell().ProgramFolder = folder;
    Shell().UserDataFolder = userDataFolder_.empty() ? folder : userDataFolder_;
    Shell().SettingsKeyName = settingsKey();
    settings().clear();
    errors_.clear();
    previousHook_ =
        SetErrorReportHook([this](const std::string& message) { errors_.push_back(message); });
}

void AppSandbox::TearDown() {
    SetErrorReportHook(previousHook_);
}

std::string AppSandbox::settingsKey() const {
    return "Software\\Kestrone\\" + settingsName_;
}

QSettings AppSandbox::settings() const {
    return QSettings(QStringLiteral("Kestrone"), QString::fromStdString(settingsName_));
}

MainWindowFixture::MainWindowFixture(std::string settingsName, MainWindowOptions options)
    : AppSandbox(std::move(settingsName)), options_(options) {}

MainWindowFixture::~MainWindowFixture() = default;

void MainWindowFixture::SetUp() {
    AppSandbox::SetUp();
    if (HasFatalFailure())
        return;
    watchdog_.setInterval(options_.watchdogInterval);
    QObject::connect(&watchdog_, &QTimer::timeout, [this] {
        if (QWidget* modal = QApplication::activeModalWidget())
            handleModal(modal);
    });
    watchdog_.start();
    open();
}

void MainWindowFixture::TearDown() {
    watchdog_.stop();
    form_.reset();
    AppSandbox::TearDown();
    if (options_.errorsFail) {
        EXPECT_TRUE(errors_.empty()) << errors_.front();
    }
}

void MainWindowFixture::open() {
    form_ = std::make_unique<TMainForm>();
    roughness_ = new TRoughnessForm(form_.get());
    report_ = options_.withReport ? new TReportForm(nullptr, form_.get()) : nullptr;
    form_->SetCompanions(roughness_, report_);
    prepareWindow(*form_);
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
}

void MainWindowFixture::reopen() {
    form_->close();
    form_.reset();
    open();
}

void MainWindowFixture::prepareWindow(TMainForm&) {}

void MainWindowFixture::handleModal(QWidget* modal) {
    if (expectingModal_)
        return;
    ADD_FAILURE() << "unexpected modal dialog " << modal->objectName().toStdString();
    modal->close();
}

TEntryGrid& MainWindowFixture::grid() {
    return *form_->IOGrid1;
}

QString MainWindowFixture::value(int row) {
    return grid().Cells(1, row);
}

QString MainWindowFixture::result(int line) {
    return form_->ListView1->item(line, 1)->text();
}

void MainWindowFixture::selectValueCell(int row) {
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, grid().CellRect(1, row).center());
}

void MainWindowFixture::typeValue(int row, const QString& text) {
    selectValueCell(row);
    QTest::keyClicks(&grid(), text.left(1));
    QWidget* editor = grid().InplaceEditor();
    ASSERT_TRUE(editor != nullptr && editor->isVisible()) << "no editor on row " << row;
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
}

} // namespace corvel::test
