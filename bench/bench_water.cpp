// The cost of the water properties under both choices, of the hydraulic solve built on each, and
// of the validity notes. The simple correlations are the yardstick: the IAPWS solve should stay
// within 5 µs, and its ratio to the simple solve says what the reference properties cost.
#include "app/FlowCase.h"
#include "physics/QxFlow.h"
#include "physics/Validity.h"
#include "physics/WaterProperties.h"

#include <benchmark/benchmark.h>

namespace {

using corvel::WaterModel;

/// Temperatures 0.5 to 99.5 °C, so that no call sees the same argument twice in a row.
double nextTemperature(int& step) {
    step = (step + 37) % 100;
    return step + 0.5;
}

void BM_WaterProperties(benchmark::State& state, WaterModel model) {
    int step = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            corvel::LiquidWater(model, nextTemperature(step), corvel::kStandardLinePressure));
}
BENCHMARK_CAPTURE(BM_WaterProperties, Simple, WaterModel::Simple);
BENCHMARK_CAPTURE(BM_WaterProperties, Iapws, WaterModel::Iapws);

/// The arithmetic of one solve of the default pipe (24 l/s, 100 mm, 0.03 mm roughness) with the
/// properties of the given choice: properties, velocity, Reynolds number, friction factor and
/// pressure gradient.
void BM_PipeSolve(benchmark::State& state, WaterModel model) {
    constexpr double flowRate = 0.024, diameter = 0.1, roughness = 0.00003;
    const double area = 0.25 * 3.141592653589793 * diameter * diameter;
    int step = 0;
    for (auto _ : state) {
        const corvel::WaterState w =
            corvel::LiquidWater(model, nextTemperature(step), corvel::kStandardLinePressure);
        const double velocity = flowRate / area;
        const double reynolds = corvel::ReynoldsNumber(w.density, velocity, diameter, w.viscosity);
        int regime = 0;
        const double f = corvel::FrictionFactor(regime, false, 0, roughness, diameter, reynolds);
        benchmark::DoNotOptimize(corvel::PressureGradient(w.density, f, velocity, diameter));
    }
}
BENCHMARK_CAPTURE(BM_PipeSolve, Simple, WaterModel::Simple);
BENCHMARK_CAPTURE(BM_PipeSolve, Iapws, WaterModel::Iapws);

/// The flow case's own solve with the simple correlations, for scale.
void BM_FlowCaseSolve(benchmark::State& state) {
    corvel::FlowCase c;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.Solve());
}
BENCHMARK(BM_FlowCaseSolve);

/// The notes of a case in the transition zone that also earns a design hint (the costliest
/// note, with two friction factors to compare, plus text).
void BM_ValidityNotes(benchmark::State& state) {
    corvel::ValidityCase c;
    c.temperature = 20;
    c.reynolds = 3000;
    c.relativeRoughness = 0.0003;
    c.velocity = 0.1;
    for (auto _ : state)
        benchmark::DoNotOptimize(corvel::ValidityNotes(c));
}
BENCHMARK(BM_ValidityNotes);

} // namespace

BENCHMARK_MAIN();
