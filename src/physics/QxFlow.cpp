#include "physics/QxFlow.h"

#include "physics/ExtendedLog.h"
#include "platform/FloatFaults.h"

#include <cmath>

namespace corvel {

namespace {

constexpr int kMaxStepCount = 20; // a loop stops after the step that exceeds this count
constexpr double kSmoothTolerance = 0.000001;
constexpr double kColebrookTolerance = 0.000001;
constexpr double kMinSecantDenominator = 1e-12;
constexpr double kRoughCriterion = 200.0; // √f·Re·e/D above this is fully rough
/// log10(e) as the C library evaluates it, once at start-up rather than behind a guard at
/// every iteration.
const long double kLog10E = std::log10(std::exp(1.0L));

long double roughFrictionFactor(long double relRoughness) {
    const long double s = 1.14L - 2.0L * log10Extended(relRoughness);
    return 1.0L / (s * s);
}

} // namespace

int SignOf(double x) {
    return std::isgreaterequal(x, 0.0) ? 1 : -1;
}

double ReynoldsNumber(double density, double velocity, double diameter, double viscosity) {
    FloatFaultScope scope;
    const long double product = static_cast<long double>(density) * velocity * diameter;
    return scope.result(product / viscosity);
}

double RoughFrictionFactor(double relRoughness) {
    FloatFaultScope scope;
    return scope.result(roughFrictionFactor(relRoughness));
}

double LaminarFrictionFactor(double reynolds) {
    FloatFaultScope scope;
    return scope.result(64.0L / reynolds);
}

namespace detail {

IterationResult smoothIteration(double startF, double reynolds) {
    FloatFaultScope scope;
    double x =
        startF == 0 ? 7.0 : static_cast<double>(1.0L / std::sqrt(static_cast<long double>(startF)));
    int steps = 0;
    for (;;) {
        const double previous = x;
        x = static_cast<double>(2.0L * log10Extended(reynolds / static_cast<long double>(x)) -
                                0.8L);
        ++steps;
        if (steps > kMaxStepCount || std::fabs(x - previous) <= kSmoothTolerance)
            break;
    }
    const long double xl = x;
    return {scope.result(1.0L / (xl * xl)), steps};
}

namespace {

/// The Colebrook iteration from the square root of its starting friction factor, which the
/// regime selection has already taken.
IterationResult colebrookFromRoot(long double rootStartF, double relRoughness, double reynolds) {
    FloatFaultScope scope;
    const long double A = relRoughness / 3.71L;
    const long double B = 2.51L / reynolds;
    const long double C = kLog10E;

    double x = scope.result(1.0L / rootStartF);
    auto residual = [&](long double xi) { return xi + 2.0L * log10Extended(A + B * xi); };

    double R = static_cast<double>((A + 2.0L * C * B * x) / (A + B * x));
    double G = static_cast<double>(residual(x));
    int steps = 0;
    for (;;) {
        const double dx = static_cast<double>(-static_cast<long double>(R) * G);
        x = static_cast<double>(static_cast<long double>(x) + dx);
        const double Gnew = static_cast<double>(residual(x));
        const double dG = static_cast<double>(static_cast<long double>(Gnew) - G);
        long double d = static_cast<long double>(dx) * R * dG;
        if (std::fabs(d) < kMinSecantDenominator)
            d = kMinSecantDenominator * SignOf(static_cast<double>(d));
        R = static_cast<double>(R - R * (d - static_cast<long double>(dx) * dx) / d);
        G = Gnew;
        ++steps;
        if (steps > kMaxStepCount || std::fabs(Gnew) <= kColebrookTolerance)
            break;
    }
    const long double xl = x;
    return {scope.result(1.0L / (xl * xl)), steps};
}

} // namespace

IterationResult colebrookIteration(double startF, double relRoughness, double reynolds) {
    // The root is taken inside this scope, so a fault it raises reaches the iteration's checks.
    FloatFaultScope scope;
    return colebrookFromRoot(std::sqrt(static_cast<long double>(startF)), relRoughness, reynolds);
}

} // namespace detail

double SmoothFrictionFactor(double startF, double reynolds) {
    return detail::smoothIteration(startF, reynolds).frictionFactor;
}

double ColebrookFrictionFactor(double startF, double relRoughness, double reynolds) {
    return detail::colebrookIteration(startF, relRoughness, reynolds).frictionFactor;
}

double FrictionFactor(int& regime, bool forceColebrook, double startF, double roughness,
                      double diameter, double reynolds) {
    FloatFaultScope scope;
    if (forceColebrook) {
        regime = kRegimeTransition;
        if (std::isgreater(reynolds, 10.0))
            return ColebrookFrictionFactor(
                startF, scope.result(static_cast<long double>(roughness) / diameter), reynolds);
        regime = kRegimeBadData;
        return scope.result(startF);
    }
    // Quiet comparisons: a NaN Reynolds number is bad data, not an invalid operation.
    if (!std::isgreaterequal(reynolds, kTurbulentReynolds)) {
        if (std::isgreater(reynolds, 0.0)) {
            regime = kRegimeLaminar;
            return LaminarFrictionFactor(reynolds);
        }
        regime = kRegimeBadData;
        return scope.result(startF);
    }
    if (roughness == 0) {
        regime = kRegimeSmooth;
        return SmoothFrictionFactor(startF, reynolds);
    }
    const double rr = scope.result(static_cast<long double>(roughness) / diameter);
    // Without a starting value the rough limit starts the iteration and is also the answer of
    // a fully rough flow, so it is evaluated once.
    // (This scope checks the rough limit as RoughFrictionFactor's own, nested, scope would.)
    const bool startsRough = startF == 0;
    if (startsRough)
        startF = scope.result(roughFrictionFactor(rr));
    const long double rootStartF = std::sqrt(static_cast<long double>(startF));
    const long double criterion = rootStartF * (static_cast<long double>(reynolds) * rr);
    if (criterion > kRoughCriterion) {
        regime = kRegimeRough;
        return startsRough ? startF : scope.result(roughFrictionFactor(rr));
    }
    regime = kRegimeTransition;
    return detail::colebrookFromRoot(rootStartF, rr, reynolds).frictionFactor;
}

double PressureGradient(double density, double frictionFactor, double velocity, double diameter) {
    if (diameter == 0)
        return 0;
    FloatFaultScope scope;
    const long double v = velocity;
    return scope.result(v * v * (0.5L * density * frictionFactor) / diameter);
}

} // namespace corvel
