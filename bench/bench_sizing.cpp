// The cost of one sizing solve (target: at most 20 µs), with the flow case's plain solve as the
// yardstick: a sizing solve is a few dozen forward solves, so its time divided by the
// yardstick's is about the number of forward solves it spends.
#include "app/FlowCase.h"
#include "pipes/Sizing.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace corvel;

/// The default case (24 l/s, 100 mm, 9 °C, 0.03 mm roughness) and its gradient in Pa/m.
SizingProblem defaultProblem() {
    SizingProblem problem;
    problem.temperature = 9;
    problem.roughness = 0.00003;
    problem.limit = 814.1;
    return problem;
}

/// Yardstick: the flow case's whole solve (eight water properties and the friction).
void BM_Yardstick_FlowCaseSolve(benchmark::State& state) {
    FlowCase c;
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.Solve());
        benchmark::DoNotOptimize(c.PressureDrop);
    }
}
BENCHMARK(BM_Yardstick_FlowCaseSolve);

/// One forward solve of the sizing model (velocity, Reynolds number, friction, gradient).
void BM_ForwardSolve(benchmark::State& state) {
    const PipeFlowModel model(9, 0.00003);
    for (auto _ : state)
        benchmark::DoNotOptimize(model.at(0.024, 0.1));
}
BENCHMARK(BM_ForwardSolve);

void BM_SizeFlowRate(benchmark::State& state) {
    const SizingProblem problem = defaultProblem();
    int evaluations = 0;
    for (auto _ : state) {
        const SizingAnswer answer = FindFlowRate(problem, 0.1);
        evaluations = answer.evaluations;
        benchmark::DoNotOptimize(answer.value);
    }
    state.counters["forward_solves"] = evaluations;
}
BENCHMARK(BM_SizeFlowRate);

void BM_SizeDiameter(benchmark::State& state) {
    const SizingProblem problem = defaultProblem();
    int evaluations = 0;
    for (auto _ : state) {
        const SizingAnswer answer = FindDiameter(problem, 0.024);
        evaluations = answer.evaluations;
        benchmark::DoNotOptimize(answer.value);
    }
    state.counters["forward_solves"] = evaluations;
}
BENCHMARK(BM_SizeDiameter);

/// The exact diameter and then the smallest ASME B36.10M schedule 40 size that meets the limit.
void BM_SizeFromTable(benchmark::State& state) {
    const SizingProblem problem = defaultProblem();
    const PipeTable& table = *FindPipeTable("ASME B36.10M 40");
    int evaluations = 0;
    for (auto _ : state) {
        const SizingAnswer answer = FindTableSize(problem, 0.024, table);
        evaluations = answer.evaluations;
        benchmark::DoNotOptimize(answer.size);
    }
    state.counters["forward_solves"] = evaluations;
}
BENCHMARK(BM_SizeFromTable);

/// The flowrate for a total pressure drop of 100 kPa over a run of 100 m with 4 elbows and a
/// 10 m rise: every forward solve also sums the fittings' K.
void BM_SizeFlowRateForRunTotal(benchmark::State& state) {
    SizingProblem problem = defaultProblem();
    problem.limitKind = SizingLimitKind::kTotalPressureDrop;
    problem.limit = 200000;
    problem.run.length = 100;
    problem.run.fittings = FittingSet::parse("Elbow 90 deg threaded standard r/D=1*4");
    problem.run.elevationRise = 10;
    int evaluations = 0;
    for (auto _ : state) {
        const SizingAnswer answer = FindFlowRate(problem, 0.1);
        evaluations = answer.evaluations;
        benchmark::DoNotOptimize(answer.value);
    }
    state.counters["forward_solves"] = evaluations;
}
BENCHMARK(BM_SizeFlowRateForRunTotal);

/// Flowrate and diameter sizing over 512 random cases in every regime, per sizing solve.
void BM_SizeRandomCases(benchmark::State& state) {
    struct Case {
        SizingProblem problem;
        double flowRate, diameter;
    };
    std::mt19937_64 random(14);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<Case> cases;
    for (int i = 0; i < 512; ++i) {
        Case c;
        c.flowRate = 1e-5 * std::pow(5e5, unit(random));
        c.diameter = 1e-4 * std::pow(5e4, unit(random));
        c.problem.temperature = -20 + 220 * unit(random);
        c.problem.roughness = i % 8 == 0 ? 0 : 1e-7 * std::pow(1e4, unit(random));
        c.problem.limit = PipeFlowModel(c.problem.temperature, c.problem.roughness)
                              .at(c.flowRate, c.diameter)
                              .gradient;
        cases.push_back(c);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const Case& c = cases[i++ % cases.size()];
        benchmark::DoNotOptimize(i % 2 ? FindFlowRate(c.problem, c.diameter).value
                                       : FindDiameter(c.problem, c.flowRate).value);
    }
}
BENCHMARK(BM_SizeRandomCases);

} // namespace
