#include "physics/QxFlow.h"

#include "TestSupport.h"
#include "platform/Errors.h"

#include <cmath>
#include <limits>

namespace corvel {
namespace {

using test::NearRel;

// The default case: water at 9 °C, 24 l/s in a 100 mm pipe of 0.03 mm roughness.
constexpr double kDefaultReynolds = 229239.0;
constexpr double kDefaultRelRoughness = 0.0003;

/// Colebrook–White solved by bisection on x = 1/√f, independent of the secant iteration.
double colebrookByBisection(double rr, double re) {
    auto g = [&](double x) { return x + 2 * std::log10(rr / 3.71 + 2.51 * x / re); };
    double lo = 1, hi = 100;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        (g(mid) > 0 ? hi : lo) = mid;
    }
    return 1 / (lo * lo);
}

/// The smooth-pipe law solved by bisection.
double smoothByBisection(double re) {
    auto g = [&](double x) { return x - 2 * std::log10(re / x) + 0.8; };
    double lo = 1, hi = 100;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        (g(mid) > 0 ? hi : lo) = mid;
    }
    return 1 / (lo * lo);
}

TEST(QxFlow, SignOf) {
    EXPECT_EQ(SignOf(0), 1);
    EXPECT_EQ(SignOf(2.5), 1);
    EXPECT_EQ(SignOf(-1e-300), -1);
    EXPECT_EQ(SignOf(std::numeric_limits<double>::quiet_NaN()), -1);
}

TEST(QxFlow, ReynoldsNumberOfTheDefaultCase) {
    // 24 l/s in 100 mm: v = 0.024 / (π·0.1²/4)
    const double velocity = 0.024 / (M_PI * 0.01 / 4);
    EXPECT_TRUE(NearRel(ReynoldsNumber(999.646856605928, velocity, 0.1, 0.0013325388641582945),
                        229239, 2e-6));
}

TEST(QxFlow, ZeroViscosityIsAFaultNotInfinity) {
    EXPECT_THROW(ReynoldsNumber(1000, 1, 0.1, 0), EZeroDivide);
    EXPECT_THROW(ReynoldsNumber(1000, 0, 0.1, 0), EInvalidOp);
}

TEST(QxFlow, RegimeBoundaryAt2300) {
    int regime = 99;
    EXPECT_EQ(FrictionFactor(regime, false, 0, 0.00003, 0.1, 2299.999), 64 / 2299.999);
    EXPECT_EQ(regime, kRegimeLaminar);
    FrictionFactor(regime, false, 0, 0.00003, 0.1, 2300);
    EXPECT_NE(regime, kRegimeLaminar);
}

TEST(QxFlow, NonPositiveReynoldsIsBadDataAndReturnsTheStartValue) {
    for (double re : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
        int regime = 99;
        EXPECT_EQ(FrictionFactor(regime, false, 0, 0.00003, 0.1, re), 0.0);
        EXPECT_EQ(regime, kRegimeBadData);
    }
    int regime = 99;
    EXPECT_EQ(FrictionFactor(regime, false, 0.02, 0.00003, 0.1, 0), 0.02);
}

TEST(QxFlow, SmoothPipeTakesEightStepsForTheDefaultReynoldsNumber) {
    const auto result = detail::smoothIteration(0, kDefaultReynolds);
    EXPECT_EQ(result.steps, 8);
    EXPECT_TRUE(NearRel(result.frictionFactor, 0.0152293, 1e-5));
    // The step tolerance of 1e-6 on x ≈ 8 leaves about 1e-8 relative in f.
    EXPECT_TRUE(NearRel(result.frictionFactor, smoothByBisection(kDefaultReynolds), 1e-7));

    int regime = 99;
    EXPECT_EQ(FrictionFactor(regime, false, 0, 0, 0.1, kDefaultReynolds), result.frictionFactor);
    EXPECT_EQ(regime, kRegimeSmooth);
}

TEST(QxFlow, ColebrookTakesThreeStepsForTheDefaultCase) {
    const double start = RoughFrictionFactor(kDefaultRelRoughness);
    EXPECT_TRUE(NearRel(start, 0.0149239, 1e-5));
    const auto result = detail::colebrookIteration(start, kDefaultRelRoughness, kDefaultReynolds);
    EXPECT_EQ(result.steps, 3);
    EXPECT_TRUE(NearRel(result.frictionFactor, 0.0174433, 1e-5));

    int regime = 99;
    EXPECT_EQ(FrictionFactor(regime, false, 0, 0.00003, 0.1, kDefaultReynolds),
              result.frictionFactor);
    EXPECT_EQ(regime, kRegimeTransition);
}

TEST(QxFlow, ColebrookAgreesWithBisectionAcrossTheTransitionZone) {
    for (double rr : {1e-6, 1e-5, 1e-4, 3e-4, 1e-3, 5e-3, 2e-2}) {
        for (double re : {4e3, 1e4, 1e5, 1e6, 1e7}) {
            const double start = RoughFrictionFactor(rr);
            if (std::sqrt(start) * re * rr > 200)
                continue; // fully rough: Colebrook is not used there
            // The residual tolerance of 1e-6 on x ≈ 8 bounds the error in f near 3e-7 relative.
            EXPECT_TRUE(
                NearRel(ColebrookFrictionFactor(start, rr, re), colebrookByBisection(rr, re), 1e-6))
                << "rr " << rr << " Re " << re;
        }
    }
}

TEST(QxFlow, RoughnessCriterionOfExactly200StaysInTransition) {
    // startF 0.0625 (√ = 0.25), Re·e/D = 6400 · 0.125 = 800: the criterion is exactly 200.
    int regime = 99;
    FrictionFactor(regime, false, 0.0625, 0.5, 4, 6400);
    EXPECT_EQ(regime, kRegimeTransition);
    const double rough = FrictionFactor(regime, false, 0.0625, 0.5, 4, 6400.001);
    EXPECT_EQ(regime, kRegimeRough);
    EXPECT_EQ(rough, RoughFrictionFactor(0.125));
}

TEST(QxFlow, FullyRoughValueDoesNotDependOnReynolds) {
    int regime = 99;
    const double a = FrictionFactor(regime, false, 0, 0.005, 0.1, 1e7);
    EXPECT_EQ(regime, kRegimeRough);
    const double b = FrictionFactor(regime, false, 0, 0.005, 0.1, 1e8);
    EXPECT_EQ(a, b);
}

TEST(QxFlow, ForcedColebrook) {
    int regime = 99;
    EXPECT_EQ(FrictionFactor(regime, true, 0.03, 0.00003, 0.1, 10), 0.03);
    EXPECT_EQ(regime, kRegimeBadData);
    const double f = FrictionFactor(regime, true, 0.03, 0.00003, 0.1, 10.0001);
    EXPECT_EQ(regime, kRegimeTransition);
    EXPECT_GT(f, 0);
    EXPECT_TRUE(std::isfinite(f));
}

TEST(QxFlow, ForcedColebrookWithoutStartValueIsAFault) {
    int regime = 99;
    EXPECT_THROW(FrictionFactor(regime, true, 0, 0.00003, 0.1, 1e5), EZeroDivide);
}

TEST(QxFlow, NegativeRelativeRoughnessIsInvalid) {
    int regime = 99;
    EXPECT_THROW(FrictionFactor(regime, false, 0, -0.00003, 0.1, 1e5), EInvalidOp);
}

TEST(QxFlow, PressureGradient) {
    EXPECT_EQ(PressureGradient(1000, 0.02, 3, 0), 0.0);
    // v²·(ρ·f/2)/D = 9 · 10 / 0.1
    EXPECT_TRUE(NearRel(PressureGradient(1000, 0.02, 3, 0.1), 900));
}

} // namespace
} // namespace corvel
