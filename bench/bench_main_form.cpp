// One interactive solve of the calculator, as F9 runs it: read the five grid texts, solve the
// case, write the 13 result texts and recompose the report in the report window.
#include "app/Main.h"
#include "app/RoughForm.h"
#include "report/QxReporter.h"
#include "shell/Folders.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

/// state.range(0): 1 with the report window open, 0 with it closed (as at start-up).
void BM_SolveActionExecute(benchmark::State& state) {
    corvel::TMainForm form;
    auto* roughness = new corvel::TRoughnessForm(&form);
    auto* report = new corvel::TReportForm(nullptr, &form);
    form.SetCompanions(roughness, report);
    form.show();
    if (state.range(0) == 1)
        report->show();
    QApplication::processEvents();
    for (auto _ : state)
        form.SolveActionExecute();
    if (form.StatusText(0) != QStringLiteral("Solved..."))
        state.SkipWithError("the solve did not end in \"Solved...\"");
}
BENCHMARK(BM_SolveActionExecute)
    ->ArgName("reportOpen")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // Settings of a home of our own; the offscreen platform unless another one is asked for.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit().constData(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    corvel::Shell().ProgramFolder = home.path().toStdString() + "/";
    corvel::Shell().SettingsKeyName = "Software\\Kestrone\\corvel-bench";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
