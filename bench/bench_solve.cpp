// The cost of one solve, of the texts around it, and of a batch row.
#include "SolveFloor.h"
#include "app/FlowCase.h"
#include "app/Results.h"
#include "app/SolveCommand.h"
#include "units/NumberText.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>

namespace {

using corvel::FlowCase;

/// The eight water properties, velocity, Reynolds number, friction factor with its regime and
/// the pressure gradient of the default case.
void BM_SolveDefaultCase(benchmark::State& state) {
    FlowCase c; // a successful solve leaves the inputs as they were
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.Solve());
        benchmark::DoNotOptimize(c.PressureDrop);
    }
}
BENCHMARK(BM_SolveDefaultCase);

/// The floor: the default case in plain double arithmetic.
void BM_SolveFloor(benchmark::State& state) {
    double flowRate = corvel::kDefaultFlowRate;
    for (auto _ : state) {
        benchmark::DoNotOptimize(flowRate);
        benchmark::DoNotOptimize(corvel::bench::SolveFloor(flowRate, corvel::kDefaultDiameter,
                                                           corvel::kDefaultTemperature,
                                                           corvel::kDefaultRoughness));
    }
}
BENCHMARK(BM_SolveFloor);

/// The default-case solve and the floor timed in turns within one benchmark, so that both see
/// the same machine load; the counter "ratio" is solve time over floor time.
void BM_SolveOverFloor(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    constexpr int kRounds = 2000;
    FlowCase c;
    double flowRate = corvel::kDefaultFlowRate;
    Clock::duration solveTime{}, floorTime{};
    for (auto _ : state) {
        const auto start = Clock::now();
        for (int i = 0; i < kRounds; ++i)
            benchmark::DoNotOptimize(c.Solve());
        const auto middle = Clock::now();
        for (int i = 0; i < kRounds; ++i) {
            benchmark::DoNotOptimize(flowRate);
            benchmark::DoNotOptimize(corvel::bench::SolveFloor(flowRate, corvel::kDefaultDiameter,
                                                               corvel::kDefaultTemperature,
                                                               corvel::kDefaultRoughness));
        }
        floorTime += Clock::now() - middle;
        solveTime += middle - start;
    }
    state.counters["ratio"] = static_cast<double>(solveTime.count()) /
                              static_cast<double>(std::max<Clock::rep>(floorTime.count(), 1));
}
BENCHMARK(BM_SolveOverFloor)->Unit(benchmark::kMillisecond);

/// The same with the grid texts read and the 13 result texts made, as the window does.
void BM_SolveWithTexts(benchmark::State& state) {
    FlowCase c;
    const corvel::InputTexts texts = c.ShowInputs();
    for (auto _ : state) {
        c.ReadInputs(texts);
        c.Solve();
        benchmark::DoNotOptimize(corvel::MakeResultRows(c));
    }
}
BENCHMARK(BM_SolveWithTexts);

void BM_FormatGeneral(benchmark::State& state) {
    double x = 0.0174433;
    for (auto _ : state)
        benchmark::DoNotOptimize(corvel::formatText("%0.4g", {x}));
}
BENCHMARK(BM_FormatGeneral);

void BM_ReadReal(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(corvel::readReal("229238.776"));
}
BENCHMARK(BM_ReadReal);

/// Batch rows solved in-process, output discarded: the cost per row without process start-up.
void BM_BatchRows(benchmark::State& state) {
    std::string input = "flow_lps,velocity_mps,temperature_c,roughness_mm\n";
    for (int i = 0; i < 1000; ++i)
        input += std::to_string(1 + i % 50) + "," + std::to_string(0.5 + (i % 7) * 0.4) + "," +
                 std::to_string(i % 90) + ",0.0" + std::to_string(1 + i % 9) + "\n";
    for (auto _ : state) {
        std::istringstream in(input);
        std::ostringstream out, err;
        benchmark::DoNotOptimize(corvel::RunSolveCommand({"--batch"}, in, out, err));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_BatchRows)->Unit(benchmark::kMillisecond);

} // namespace
