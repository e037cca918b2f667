// Start-up of the calculator: the application object, the start-up steps, the windows, and the
// event loop until the main window closes.
#include "app/FlowCase.h"
#include "app/Results.h"
#include "shell/Startup.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <memory>

namespace {

/// Until the main window exists, a plain window shows the default case's results.
std::unique_ptr<QWidget> makeMainWindow() {
    corvel::FlowCase flowCase;
    flowCase.ReadInputs(flowCase.ShowInputs());
    QString text;
    if (flowCase.Solve().solved)
        for (const corvel::ResultRow& row : corvel::MakeResultRows(flowCase))
            text +=
                QString::fromStdString(row.caption + '\t' + row.value + '\t' + row.units + '\n');
    auto window = std::make_unique<QPlainTextEdit>(text);
    window->setObjectName(QStringLiteral("MainForm"));
    window->setReadOnly(true);
    window->setWindowTitle(QStringLiteral("Corvel"));
    window->resize(420, 320);
    return window;
}

} // namespace

int main(int argc, char** argv) {
    corvel::TApplication application(argc, argv);
    std::unique_ptr<QWidget> mainWindow;
    try {
        corvel::StartUp(application);
        mainWindow = makeMainWindow();
    } catch (const std::exception& error) {
        // an error before the event loop runs stops the program with its message
        QMessageBox::critical(nullptr, QStringLiteral("Corvel"), QString::fromUtf8(error.what()));
        return 1;
    }
    mainWindow->show();
    return application.exec();
}
