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

/// Sets the counters of a solve timed in turns with the floor: "ratio" of their times, and
/// "solve_ns" and "floor_ns" per call.
void reportRatio(benchmark::State& state, std::chrono::steady_clock::duration solveTime,
                 std::chrono::steady_clock::duration floorTime, int rounds) {
    const double calls = static_cast<double>(state.iterations()) * rounds;
    const double solveNs = std::chrono::duration<double, std::nano>(solveTime).count() / calls;
    const double floorNs = std::chrono::duration<double, std::nano>(floorTime).count() / calls;
    state.counters["ratio"] = solveNs / std::max(floorNs, 1e-9);
    state.counters["solve_ns"] = solveNs;
    state.counters["floor_ns"] = floorNs;
}

/// The default inputs hidden from the compiler, so that the floor evaluates its correlations
/// at run time as the program does instead of having them folded into constants.
struct FloorInputs {
    double flowRate = corvel::kDefaultFlowRate;
    double diameter = corvel::kDefaultDiameter;
    double temperature = corvel::kDefaultTemperature;
    double roughness = corvel::kDefaultRoughness;

    corvel::bench::FloorResult solve() {
        benchmark::DoNotOptimize(flowRate);
        benchmark::DoNotOptimize(diameter);
        benchmark::DoNotOptimize(temperature);
        benchmark::DoNotOptimize(roughness);
        return corvel::bench::SolveFloor(flowRate, diameter, temperature, roughness);
    }
};

/// The floor: the default case in plain double arithmetic.
void BM_SolveFloor(benchmark::State& state) {
    FloorInputs inputs;
    for (auto _ : state)
        benchmark::DoNotOptimize(inputs.solve());
}
BENCHMARK(BM_SolveFloor);

/// The default-case solve and the floor timed in turns within one benchmark, so that both see
/// the same machine load; the counter "ratio" is solve time over floor time.
void BM_SolveOverFloor(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    constexpr int kRounds = 2000;
    FlowCase c;
    FloorInputs inputs;
    Clock::duration solveTime{}, floorTime{};
    for (auto _ : state) {
        const auto start = Clock::now();
        for (int i = 0; i < kRounds; ++i)
            benchmark::DoNotOptimize(c.Solve());
        const auto middle = Clock::now();
        for (int i = 0; i < kRounds; ++i)
            benchmark::DoNotOptimize(inputs.solve());
        floorTime += Clock::now() - middle;
        solveTime += middle - start;
    }
    reportRatio(state, solveTime, floorTime, kRounds);
}
BENCHMARK(BM_SolveOverFloor)->Unit(benchmark::kMillisecond);

/// The same with a temperature never solved before at every solve (9 °C plus a growing
/// nanokelvin step), so that the solve cannot use the water properties it remembers: the
/// cost of a case at a new temperature against the floor at that temperature.
void BM_SolveOverFloorNewTemperatures(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    constexpr int kRounds = 2000;
    FlowCase c;
    FloorInputs inputs;
    double step = 0;
    Clock::duration solveTime{}, floorTime{};
    for (auto _ : state) {
        const double first = step;
        const auto start = Clock::now();
        for (int i = 0; i < kRounds; ++i) {
            c.Temperature = corvel::kDefaultTemperature + (step += 1e-9);
            benchmark::DoNotOptimize(c.Solve());
        }
        const auto middle = Clock::now();
        step = first;
        for (int i = 0; i < kRounds; ++i) {
            inputs.temperature = corvel::kDefaultTemperature + (step += 1e-9);
            benchmark::DoNotOptimize(inputs.solve());
        }
        floorTime += Clock::now() - middle;
        solveTime += middle - start;
    }
    reportRatio(state, solveTime, floorTime, kRounds);
}
BENCHMARK(BM_SolveOverFloorNewTemperatures)->Unit(benchmark::kMillisecond);

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
// Real time: the rows are solved on worker threads whose CPU time the calling thread does not see.
BENCHMARK(BM_BatchRows)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
