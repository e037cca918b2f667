#include "pipes/Sizing.h"

#include "TestSupport.h"
#include "app/FlowCase.h"
#include "physics/QxFlow.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>

namespace corvel {
namespace {

using test::NearRel;

/// A random case: flowrate and diameter over the grid's ranges, temperature over the grid's, and a
/// roughness that is 0 (smooth) in one case of eight and otherwise up to the diameter itself.
struct RandomCase {
    double flowRate, diameter, temperature, roughness;
};

class CaseSource {
public:
    explicit CaseSource(std::uint64_t seed) : random_(seed) {}
    double uniform(double lo, double hi) { return lo + (hi - lo) * unit_(random_); }
    double logUniform(double lo, double hi) { return lo * std::pow(hi / lo, unit_(random_)); }
    RandomCase next() {
        RandomCase c;
        c.flowRate = logUniform(kSizingFlowRateRange.min, kSizingFlowRateRange.max);
        c.diameter = logUniform(kSizingDiameterRange.min, kSizingDiameterRange.max);
        c.temperature = uniform(-20, 200);
        c.roughness = unit_(random_) < 0.125 ? 0 : logUniform(1e-7, std::min(0.2, c.diameter));
        return c;
    }

private:
    std::mt19937_64 random_;
    std::uniform_real_distribution<double> unit_{0, 1};
};

SizingProblem gradientProblem(const RandomCase& c, double limit) {
    SizingProblem p;
    p.temperature = c.temperature;
    p.roughness = c.roughness;
    p.limit = limit;
    return p;
}

TEST(PipeFlowModel, SolvesExactlyAsTheFlowCase) {
    CaseSource source(1);
    for (int i = 0; i < 2000; ++i) {
        const RandomCase c = source.next();
        FlowCase flowCase;
        flowCase.SetInputs(c.flowRate, c.diameter, c.temperature, c.roughness);
        ASSERT_TRUE(flowCase.Solve().solved);
        const FlowPoint p = PipeFlowModel(c.temperature, c.roughness).at(c.flowRate, c.diameter);
        EXPECT_EQ(p.area, flowCase.Area);
        EXPECT_EQ(p.velocity, flowCase.Velocity);
        EXPECT_EQ(p.reynolds, flowCase.Reynolds);
        EXPECT_EQ(p.friction, flowCase.Friction);
        EXPECT_EQ(p.regime, flowCase.Regime);
        EXPECT_EQ(static_cast<double>(p.gradient * 0.001L), flowCase.PressureDrop);
    }
}

/// Forward solve, then size back for the gradient it gave. Where the gradient is met twice (the
/// fully rough switch), the answer may be the other flowrate: it must then reach the same
/// gradient from the fully rough side while the original lay on the Colebrook side.
TEST(Sizing, FlowrateForTheGradientOfAForwardSolveIsTheOriginal) {
    CaseSource source(2);
    std::map<int, int> regimes;
    int otherRoot = 0;
    for (int i = 0; i < 10000; ++i) {
        const RandomCase c = source.next();
        const FlowPoint forward =
            PipeFlowModel(c.temperature, c.roughness).at(c.flowRate, c.diameter);
        ++regimes[forward.regime];
        const SizingAnswer answer = FindFlowRate(gradientProblem(c, forward.gradient), c.diameter);
        ASSERT_TRUE(answer.found()) << i;
        EXPECT_FALSE(answer.inJump) << i;
        if (NearRel(answer.value, c.flowRate, 1e-8))
            continue;
        ++otherRoot;
        EXPECT_EQ(forward.regime, kRegimeTransition) << i;
        EXPECT_EQ(answer.point.regime, kRegimeRough) << i;
        EXPECT_GT(answer.value, c.flowRate) << i;
        EXPECT_TRUE(NearRel(answer.achieved, forward.gradient, 1e-9)) << i;
    }
    EXPECT_LT(otherRoot, 50);
    for (int regime : {kRegimeSmooth, kRegimeTransition, kRegimeRough, kRegimeLaminar})
        EXPECT_GT(regimes[regime], 300) << "regime " << regime;
}

TEST(Sizing, DiameterForTheGradientOfAForwardSolveIsTheOriginal) {
    CaseSource source(3);
    std::map<int, int> regimes;
    int otherRoot = 0;
    for (int i = 0; i < 10000; ++i) {
        const RandomCase c = source.next();
        const FlowPoint forward =
            PipeFlowModel(c.temperature, c.roughness).at(c.flowRate, c.diameter);
        ++regimes[forward.regime];
        const SizingAnswer answer = FindDiameter(gradientProblem(c, forward.gradient), c.flowRate);
        ASSERT_TRUE(answer.found()) << i;
        EXPECT_FALSE(answer.inJump) << i;
        EXPECT_LE(answer.achieved, forward.gradient) << i;
        if (NearRel(answer.value, c.diameter, 1e-8))
            continue;
        ++otherRoot;
        EXPECT_EQ(forward.regime, kRegimeTransition) << i;
        EXPECT_EQ(answer.point.regime, kRegimeRough) << i;
        EXPECT_LT(answer.value, c.diameter) << i;
        EXPECT_TRUE(NearRel(answer.achieved, forward.gradient, 1e-9)) << i;
    }
    EXPECT_LT(otherRoot, 50);
    for (int regime : {kRegimeSmooth, kRegimeTransition, kRegimeRough, kRegimeLaminar})
        EXPECT_GT(regimes[regime], 300) << "regime " << regime;
}

TEST(Sizing, TotalPressureDropOfARunSizesBackToItsFlowrateAndDiameter) {
    CaseSource source(4);
    const FittingSet fittings =
        FittingSet::parse("Elbow 90 deg threaded standard r/D=1*4;Valve gate*2;Exit");
    for (int i = 0; i < 1000; ++i) {
        RandomCase c = source.next();
        c.roughness = std::min(c.roughness, 0.05 * c.diameter);
        SizingProblem problem = gradientProblem(c, 0);
        problem.limitKind = SizingLimitKind::kTotalPressureDrop;
        problem.run.length = source.uniform(0, 1000);
        problem.run.fittings = fittings;
        problem.run.elevationRise = source.uniform(-20, 20);
        const PipeFlowModel model(c.temperature, c.roughness);
        const FlowPoint forward = model.at(c.flowRate, c.diameter);
        problem.limit = SolvePipeRun(model.state(forward), problem.run).totalPressureDrop;

        const SizingAnswer flow = FindFlowRate(problem, c.diameter);
        ASSERT_TRUE(flow.found()) << i;
        const SizingAnswer diameter = FindDiameter(problem, c.flowRate);
        ASSERT_TRUE(diameter.found()) << i;
        const PipeRunResult parts = SolvePipeRun(model.state(forward), problem.run);
        // Where the losses vanish beside the rise, the total cannot resolve the flow: skip those.
        const bool resolved =
            parts.frictionLoss + parts.fittingsLoss > 1e-4 * std::fabs(parts.staticPressure);
        if (resolved && forward.regime != kRegimeTransition) { // elsewhere met once
            EXPECT_TRUE(NearRel(flow.value, c.flowRate, 1e-8)) << i;
            EXPECT_TRUE(NearRel(diameter.value, c.diameter, 1e-8)) << i;
        }
        EXPECT_LE(flow.achieved, problem.limit) << i;
        EXPECT_LE(diameter.achieved, problem.limit) << i;
        // the total may be a small difference of large parts: its error scales with them
        const double scale =
            std::max({std::fabs(problem.limit), parts.frictionLoss + parts.fittingsLoss,
                      std::fabs(parts.staticPressure), 1.0});
        EXPECT_NEAR(flow.achieved, problem.limit, 1e-8 * scale) << i;
        EXPECT_NEAR(diameter.achieved, problem.limit, 1e-8 * scale) << i;
    }
}

/// Flowrate at which a 100 mm pipe of 0.03 mm roughness turns fully rough, found independently
/// by bisection on the regime.
double roughSwitchFlowRate(const PipeFlowModel& model, double diameter) {
    double lo = 0.01, hi = 5;
    EXPECT_EQ(model.at(lo, diameter).regime, kRegimeTransition);
    EXPECT_EQ(model.at(hi, diameter).regime, kRegimeRough);
    for (int i = 0; i < 200; ++i) {
        const double mid = (lo + hi) / 2;
        (model.at(mid, diameter).regime == kRegimeRough ? hi : lo) = mid;
    }
    return hi;
}

TEST(Sizing, LimitMetTwiceAtTheRoughSwitchTakesTheFullyRoughSide) {
    const double d = 0.1, e = 0.00003;
    const PipeFlowModel model(9, e);
    const double qSwitch = roughSwitchFlowRate(model, d);
    const FlowPoint below = model.at(qSwitch * (1 - 1e-4), d);
    ASSERT_EQ(below.regime, kRegimeTransition);
    ASSERT_GT(below.gradient, model.at(qSwitch, d).gradient); // the gradient falls back here

    SizingProblem problem;
    problem.roughness = e;
    problem.limit = below.gradient;
    const SizingAnswer flow = FindFlowRate(problem, d);
    ASSERT_TRUE(flow.found());
    EXPECT_EQ(flow.point.regime, kRegimeRough);
    EXPECT_GT(flow.value, qSwitch);
    EXPECT_TRUE(NearRel(flow.achieved, below.gradient, 1e-9));
    EXPECT_FALSE(flow.inJump);

    // The same case sized for its diameter: the smaller one, fully rough, meets it exactly.
    const SizingAnswer diameter = FindDiameter(problem, below.flowRate);
    ASSERT_TRUE(diameter.found());
    EXPECT_EQ(diameter.point.regime, kRegimeRough);
    EXPECT_LT(diameter.value, d);
    EXPECT_TRUE(NearRel(diameter.achieved, below.gradient, 1e-9));

    // Just under the fallen-back gradient only the Colebrook side meets the limit.
    problem.limit = model.at(qSwitch, d).gradient * (1 - 1e-6);
    const SizingAnswer colebrook = FindFlowRate(problem, d);
    ASSERT_TRUE(colebrook.found());
    EXPECT_EQ(colebrook.point.regime, kRegimeTransition);
    EXPECT_LT(colebrook.value, qSwitch);
}

TEST(Sizing, LimitInTheLaminarJumpGivesTheEdgeThatMeetsIt) {
    const double d = 0.05;
    const PipeFlowModel model(20, 0.000045);
    // 2300 = ρ·V·D/μ: the flowrate of the jump, then a gradient between its two sides
    const double qJump = 2300 * model.viscosity() / (model.density() * d) * model.at(1, d).area;
    const double laminar = model.at(qJump * (1 - 1e-6), d).gradient;
    const double turbulent = model.at(qJump * (1 + 1e-6), d).gradient;
    ASSERT_GT(turbulent, 1.5 * laminar);
    SizingProblem problem;
    problem.temperature = 20;
    problem.roughness = 0.000045;
    problem.limit = (laminar + turbulent) / 2;

    const SizingAnswer flow = FindFlowRate(problem, d);
    ASSERT_TRUE(flow.found());
    EXPECT_TRUE(flow.inJump);
    EXPECT_EQ(flow.point.regime, kRegimeLaminar);
    EXPECT_LT(flow.achieved, problem.limit);
    EXPECT_TRUE(NearRel(flow.value, qJump, 1e-9));

    const SizingAnswer diameter = FindDiameter(problem, qJump);
    ASSERT_TRUE(diameter.found());
    EXPECT_TRUE(diameter.inJump);
    EXPECT_EQ(diameter.point.regime, kRegimeLaminar);
    EXPECT_LT(diameter.achieved, problem.limit);
    EXPECT_TRUE(NearRel(diameter.value, d, 1e-9));
}

TEST(Sizing, LimitOutOfReachIsReportedInWords) {
    SizingProblem problem;
    problem.roughness = 0.00003;
    for (double limit : {1e-15, 1e30, 0.0, -5.0, std::nan("")}) {
        problem.limit = limit;
        const SizingAnswer flow = FindFlowRate(problem, 0.1);
        EXPECT_EQ(flow.status, SizingStatus::kNoFlowrateInRange) << limit;
        EXPECT_STREQ(flow.failureText(), "no flowrate in range");
        const SizingAnswer diameter = FindDiameter(problem, 0.024);
        EXPECT_EQ(diameter.status, SizingStatus::kNoDiameterInRange) << limit;
        EXPECT_STREQ(diameter.failureText(), "no diameter in range");
    }
    problem.limit = 1e-9; // Pa/m: even 1200 mm is too steep for 24 l/s
    const SizingAnswer none = FindTableSize(problem, 0.024, *FindPipeTable("ASME B36.10M STD"));
    EXPECT_EQ(none.status, SizingStatus::kNoSizeInTable);
    EXPECT_STREQ(none.failureText(), "no size in the table meets the limit");
    EXPECT_EQ(none.size, nullptr);
    EXPECT_STREQ(SizingAnswer{}.failureText(), "");
}

// A falling run whose total is 0 carries its flow by gravity alone: the total there is a small
// difference of large parts, and the bracket's step across it is no jump.
TEST(Sizing, GravityFlowOfAFallingRunIsNoJump) {
    SizingProblem problem;
    problem.roughness = 0.00003;
    problem.limitKind = SizingLimitKind::kTotalPressureDrop;
    problem.run.length = 1000;
    problem.run.fittings = FittingSet::parse("Entrance flush*1;Exit*1");
    problem.run.elevationRise = -20;
    problem.limit = 0;
    for (const bool alongFlow : {true, false}) {
        const SizingAnswer answer =
            alongFlow ? FindFlowRate(problem, 0.1) : FindDiameter(problem, 0.02);
        ASSERT_TRUE(answer.found());
        EXPECT_FALSE(answer.inJump);
        const PipeFlowModel model(problem.temperature, problem.roughness);
        const double rise =
            std::fabs(SolvePipeRun(model.state(answer.point), problem.run).staticPressure);
        EXPECT_LE(answer.achieved, 0);
        EXPECT_NEAR(answer.achieved, 0, 1e-8 * rise);
    }
}

TEST(Sizing, RunThatCannotClimbHasNoFlowrateInRange) {
    SizingProblem problem;
    problem.roughness = 0.00003;
    problem.limitKind = SizingLimitKind::kTotalPressureDrop;
    problem.run.length = 100;
    problem.run.elevationRise = 10; // 98 kPa to lift before any flow
    problem.limit = 50000;
    EXPECT_EQ(FindFlowRate(problem, 0.1).status, SizingStatus::kNoFlowrateInRange);
}

/// The smallest size of a table that meets the limit, by a forward solve of every size.
const PipeSize* bruteForceTableSize(const SizingProblem& problem, double flowRate,
                                    const PipeTable& table) {
    const PipeFlowModel model(problem.temperature, problem.roughness);
    const PipeSize* best = nullptr;
    for (const PipeSize& size : table.sizes()) {
        const FlowPoint p = model.at(flowRate, size.insideDiameter);
        const double measured = problem.limitKind == SizingLimitKind::kPressureGradient
                                    ? p.gradient
                                    : SolvePipeRun(model.state(p), problem.run).totalPressureDrop;
        if (measured <= problem.limit && (!best || size.insideDiameter < best->insideDiameter))
            best = &size;
    }
    return best;
}

TEST(Sizing, TableSizeIsTheSmallestThatMeetsTheLimit) {
    CaseSource source(5);
    for (int i = 0; i < 3000; ++i) {
        const PipeTable& table = PipeTables()[static_cast<std::size_t>(i) % PipeTables().size()];
        SizingProblem problem;
        problem.temperature = source.uniform(0, 90);
        problem.roughness = source.logUniform(1e-6, 1e-3);
        problem.limit = source.logUniform(1, 1e5); // Pa/m
        if (i % 3 == 0) {
            problem.limitKind = SizingLimitKind::kTotalPressureDrop;
            problem.run.length = source.uniform(1, 500);
            problem.run.fittings = FittingSet::parse("Elbow 90 deg flanged/welded/bend r/D=1*6");
            problem.run.elevationRise = source.uniform(-5, 5);
            problem.limit = source.logUniform(1e3, 1e6); // Pa
        }
        const double flowRate = source.logUniform(1e-5, 1);
        const SizingAnswer answer = FindTableSize(problem, flowRate, table);
        const PipeSize* expected = bruteForceTableSize(problem, flowRate, table);
        ASSERT_EQ(answer.size, expected) << i << " " << table.name();
        if (expected) {
            EXPECT_TRUE(answer.found());
            EXPECT_EQ(answer.value, expected->insideDiameter);
            EXPECT_LE(answer.achieved, problem.limit);
        } else {
            EXPECT_EQ(answer.status, SizingStatus::kNoSizeInTable);
        }
    }
}

TEST(Sizing, GradientOfATableSizeGivesThatSizeBack) {
    const PipeFlowModel model(15, 0.000045);
    for (const PipeTable& table : PipeTables()) {
        for (const PipeSize& size : table.sizes()) {
            SizingProblem problem;
            problem.temperature = 15;
            problem.roughness = 0.000045;
            problem.limit = model.at(0.002, size.insideDiameter).gradient;
            const SizingAnswer answer = FindTableSize(problem, 0.002, table);
            ASSERT_TRUE(answer.found()) << table.name() << " " << size.nominal;
            EXPECT_EQ(answer.value, size.insideDiameter) << table.name() << " " << size.nominal;
        }
    }
}

TEST(Sizing, SizingSolveTakesFewForwardSolves) {
    SizingProblem problem;
    problem.roughness = 0.00003;
    problem.limit = 814.1; // Pa/m, the default case's gradient
    const SizingAnswer flow = FindFlowRate(problem, 0.1);
    ASSERT_TRUE(flow.found());
    EXPECT_TRUE(NearRel(flow.value, 0.024, 1e-4));
    EXPECT_LT(flow.evaluations, 80);
    const SizingAnswer diameter = FindDiameter(problem, 0.024);
    ASSERT_TRUE(diameter.found());
    EXPECT_TRUE(NearRel(diameter.value, 0.1, 1e-4));
    EXPECT_LT(diameter.evaluations, 80);
}

} // namespace
} // namespace corvel
