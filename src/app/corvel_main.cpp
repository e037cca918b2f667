// Start-up of the calculator: the application object, the start-up steps, the windows in their
// order, and the event loop until the main window closes.
#include "app/CaseController.h"
#include "app/CommandLine.h"
#include "app/Main.h"
#include "app/ReportSettings.h"
#include "app/RoughForm.h"
#include "app/StartupProbe.h"
#include "platform/FontWarmUp.h"
#include "report/QxReporter.h"
#include "shell/Startup.h"

#include <QMessageBox>
#include <QScopeGuard>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

int main(int argc, char** argv) {
    // --help and --version are answered on the terminal, before anything needs a display.
    if (const std::optional<int> status = corvel::CommandLine::Answer(argc, argv))
        return *status;
    corvel::FontWarmUp fontWarmUp;
    corvel::TApplication application(argc, argv);
    // Finished before the application object goes, however main() ends.
    const auto finishFontWarmUp = qScopeGuard([&fontWarmUp] { fontWarmUp.Finish(); });
    fontWarmUp.ApplicationReady();
    try {
        corvel::StartUp(application);
    } catch (const std::exception& error) {
        // an error before the event loop runs stops the program with its message
        QMessageBox::critical(nullptr, QStringLiteral("Corvel"), QString::fromUtf8(error.what()));
        return 1;
    }
    try {
        corvel::TMainForm mainForm;
        // The roughness guide and the report window are made when first asked for: no one sees
        // them at start-up, and the report composed for a hidden window is work the first paint
        // would wait for.
        std::unique_ptr<corvel::TRoughnessForm> roughnessForm;
        std::unique_ptr<corvel::TReportForm> reportForm;
        mainForm.SetCompanionMaker([&] {
            roughnessForm = std::make_unique<corvel::TRoughnessForm>(&mainForm);
            reportForm = std::make_unique<corvel::TReportForm>(
                std::make_shared<corvel::RegistryReportSettings>(), &mainForm);
            mainForm.SetCompanions(roughnessForm.get(), reportForm.get());
        });
        mainForm.show();
        // Ask for the focus too: without a window manager no one else gives it, and the first
        // activation solves again and reports a case that cannot be read or solved.
        mainForm.activateWindow();
        fontWarmUp.Finish();
        // corvel FILE: the case file opens in the window; one that is no case is reported.
        const QString caseFile = corvel::CommandLine(QCoreApplication::arguments()).caseFile();
        if (!caseFile.isEmpty())
            mainForm.Cases->openPath(caseFile);
        std::unique_ptr<corvel::StartupProbe> probe;
        if (const char* mode = std::getenv("CORVEL_BENCH_STARTUP"))
            probe =
                std::make_unique<corvel::StartupProbe>(&mainForm, std::strcmp(mode, "stay") != 0);
        return application.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Corvel"), QString::fromUtf8(error.what()));
        return 1;
    }
}
