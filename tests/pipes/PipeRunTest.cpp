#include "pipes/PipeRun.h"

#include "TestSupport.h"
#include "physics/QxFlow.h"
#include "pipes/Sizing.h"

#include <gtest/gtest.h>

#include <random>

namespace corvel {
namespace {

using test::NearRel;

/// The default case: 24 l/s of water at 9 °C in a 100 mm pipe of 0.03 mm roughness.
FlowState defaultFlow() {
    const PipeFlowModel model(9, 0.00003);
    return model.state(model.at(0.024, 0.1));
}

TEST(PipeRun, EmptyLevelRunLosesNothing) {
    const PipeRunResult r = SolvePipeRun(defaultFlow(), PipeRunInputs{});
    EXPECT_EQ(r.frictionLoss, 0);
    EXPECT_EQ(r.fittingsLoss, 0);
    EXPECT_EQ(r.staticPressure, 0);
    EXPECT_EQ(r.totalPressureDrop, 0);
    EXPECT_EQ(r.totalHead, 0);
    EXPECT_FALSE(r.needsPump);
    EXPECT_EQ(r.pumpPower, 0);
    EXPECT_EQ(r.shaftPower, 0);
}

TEST(PipeRun, PartsFollowTheirFormulas) {
    const FlowState flow = defaultFlow();
    PipeRunInputs run;
    run.length = 100;
    run.fittings = FittingSet::parse("Elbow 90 deg threaded standard r/D=1*4");
    run.elevationRise = 10;
    run.pumpEfficiency = 0.7;
    const PipeRunResult r = SolvePipeRun(flow, run);

    const double dynamic = flow.density * flow.velocity * flow.velocity / 2;
    EXPECT_TRUE(
        NearRel(r.frictionLoss, flow.friction * run.length / flow.diameter * dynamic, 1e-14));
    // the default case's gradient is 0.8141 kPa/m
    EXPECT_TRUE(NearRel(r.frictionLoss, 81410, 1e-4));
    const double k = 4 * (800 / flow.reynolds + 0.14 * (1 + 4 / std::pow(0.1 / 0.0254, 0.3)));
    EXPECT_TRUE(NearRel(r.sumK, k, 1e-14));
    EXPECT_TRUE(NearRel(r.fittingsLoss, k * dynamic, 1e-14));
    EXPECT_TRUE(NearRel(r.staticPressure, flow.density * 9.80665 * 10, 1e-15));
    EXPECT_TRUE(NearRel(r.totalHead, r.totalPressureDrop / (flow.density * 9.80665), 1e-15));
    EXPECT_TRUE(r.needsPump);
    EXPECT_TRUE(NearRel(r.pumpPower, flow.flowRate * r.totalPressureDrop, 1e-15));
    EXPECT_TRUE(NearRel(r.shaftPower, r.pumpPower / 0.7, 1e-15));
}

TEST(PipeRun, OneMetreLosesExactlyTheSolvesGradient) {
    const FlowState flow = defaultFlow();
    PipeRunInputs run;
    run.length = 1;
    EXPECT_EQ(SolvePipeRun(flow, run).frictionLoss,
              PressureGradient(flow.density, flow.friction, flow.velocity, flow.diameter));
}

TEST(PipeRun, TotalIsTheSumOfItsParts) {
    std::mt19937_64 random(14);
    std::uniform_real_distribution<double> unit(0, 1);
    const FittingSet fittings = FittingSet::parse("Valve globe*3;Exit;Entrance flush");
    for (int i = 0; i < 2000; ++i) {
        const PipeFlowModel model(-20 + 220 * unit(random), 0.001 * unit(random));
        const FlowState flow = model.state(
            model.at(std::pow(10, -5 + 5.7 * unit(random)), std::pow(10, -3 + 3.7 * unit(random))));
        PipeRunInputs run;
        run.length = 1e5 * unit(random);
        run.fittings = fittings;
        run.fittings.otherK = 10 * unit(random);
        run.elevationRise = -1e4 + 2e4 * unit(random);
        run.pumpEfficiency = 0.01 + 0.99 * unit(random);
        const PipeRunResult r = SolvePipeRun(flow, run);
        const double scale =
            std::max({std::fabs(r.frictionLoss), r.fittingsLoss, std::fabs(r.staticPressure)});
        EXPECT_NEAR(r.totalPressureDrop, r.frictionLoss + r.fittingsLoss + r.staticPressure,
                    1e-15 * scale);
        EXPECT_EQ(r.needsPump, r.totalPressureDrop > 0);
        EXPECT_GE(r.pumpPower, 0);
        EXPECT_GE(r.shaftPower, r.pumpPower);
    }
}

TEST(PipeRun, FallingRunNeedsNoPumpAndHasNoNegativePower) {
    PipeRunInputs run;
    run.length = 10;
    run.elevationRise = -50;
    const PipeRunResult r = SolvePipeRun(defaultFlow(), run);
    EXPECT_LT(r.totalPressureDrop, 0);
    EXPECT_LT(r.totalHead, 0);
    EXPECT_FALSE(r.needsPump);
    EXPECT_EQ(r.pumpPower, 0);
    EXPECT_EQ(r.shaftPower, 0);
}

TEST(PipeRun, NoValidFlowLosesNothingToFriction) {
    const PipeFlowModel model(9, 0.00003);
    const FlowState flow = model.state(model.at(0, 0.1)); // Bad Data: Re = 0
    PipeRunInputs run;
    run.length = 100;
    run.fittings = FittingSet::parse("Valve globe*2");
    run.elevationRise = 1;
    const PipeRunResult r = SolvePipeRun(flow, run);
    EXPECT_EQ(r.frictionLoss, 0);
    EXPECT_EQ(r.fittingsLoss, 0);
    EXPECT_TRUE(NearRel(r.totalPressureDrop, r.staticPressure));
    EXPECT_TRUE(r.needsPump);
    EXPECT_EQ(r.pumpPower, 0); // no flow, no power
}

TEST(PipeRun, PumpEfficiencyOutsideOneToHundredPercentIsRefused) {
    PipeRunInputs run;
    run.length = 100;
    for (double efficiency : {0.0, -0.5, 1.01, 0.0099, std::nan("")}) {
        run.pumpEfficiency = efficiency;
        EXPECT_THROW(SolvePipeRun(defaultFlow(), run), Exception) << efficiency;
    }
    for (double efficiency : {0.01, 1.0}) {
        run.pumpEfficiency = efficiency;
        EXPECT_TRUE(NearRel(SolvePipeRun(defaultFlow(), run).shaftPower,
                            SolvePipeRun(defaultFlow(), run).pumpPower / efficiency));
    }
}

} // namespace
} // namespace corvel
