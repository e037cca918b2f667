#include "chart/MoodyCurves.h"

#include "physics/QxFlow.h"

#include <cmath>

namespace corvel {

namespace {

/// Log-spaced values from `from` to `to` (both included), `perDecade` to a decade.
std::vector<double> logSpaced(double from, double to, int perDecade) {
    const double decades = std::log10(to / from);
    const int steps = std::max(1, static_cast<int>(std::ceil(decades * perDecade)));
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(steps) + 1);
    for (int i = 0; i <= steps; ++i)
        values.push_back(i == steps ? to : from * std::pow(10.0, decades * i / steps));
    return values;
}

MoodyCurve roughnessCurve(double rr, int pointsPerDecade) {
    MoodyCurve curve{rr, RoughnessLabel(rr), {}};
    const double boundary = rr > 0 ? FullyRoughReynolds(rr) : INFINITY;
    bool boundaryAdded = false;
    for (double re : logSpaced(kTurbulentReynolds, MoodyAxes::kMaxReynolds, pointsPerDecade)) {
        if (!boundaryAdded && re > boundary) {
            // The solver switches from Colebrook to the fully rough value here: show the step.
            const double rough = RoughFrictionFactor(rr);
            curve.points.push_back({boundary, ColebrookFrictionFactor(rough, rr, boundary)});
            curve.points.push_back({boundary, rough});
            boundaryAdded = true;
        }
        curve.points.push_back({re, TurbulentFrictionFactor(rr, re)});
    }
    return curve;
}

} // namespace

double TurbulentFrictionFactor(double relRoughness, double reynolds) {
    if (relRoughness == 0)
        return SmoothFrictionFactor(0, reynolds);
    const double rough = RoughFrictionFactor(relRoughness);
    if (std::sqrt(rough) * (reynolds * relRoughness) > kFullyRoughCriterion)
        return rough;
    return ColebrookFrictionFactor(rough, relRoughness, reynolds);
}

double FullyRoughReynolds(double relRoughness) {
    return kFullyRoughCriterion / (std::sqrt(RoughFrictionFactor(relRoughness)) * relRoughness);
}

QString RoughnessLabel(double relRoughness) {
    if (relRoughness == 0)
        return QStringLiteral("smooth");
    // Plain decimals, as Moody's chart prints them: 0.000005 rather than 5e-06.
    // The margin keeps 1e-6, whose logarithm may come out a hair beyond −6, at six decimals.
    const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(relRoughness) - 1e-6)));
    return QString::number(relRoughness, 'f', decimals);
}

MoodyCurves BuildMoodyCurves(int pointsPerDecade) {
    MoodyCurves curves;
    for (double re : logSpaced(MoodyAxes::kMinReynolds, kTurbulentReynolds, pointsPerDecade))
        curves.laminar.push_back({re, LaminarFrictionFactor(re)});
    for (double re : logSpaced(kTurbulentReynolds, kTransitionEndReynolds, pointsPerDecade))
        curves.laminarExtension.push_back({re, LaminarFrictionFactor(re)});
    for (double rr : kMoodyRoughnessLadder)
        curves.roughness.push_back(roughnessCurve(rr, pointsPerDecade));
    // Along the boundary k/D runs from 1e-5 (beyond the right edge) to 0.1 (above the top).
    for (double rr : logSpaced(1e-5, 0.1, pointsPerDecade))
        curves.roughBoundary.push_back({FullyRoughReynolds(rr), RoughFrictionFactor(rr)});
    return curves;
}

const MoodyCurves& StandardMoodyCurves() {
    // 40 points to a decade keep the polylines within a fraction of a pixel of the curves.
    static const MoodyCurves curves = BuildMoodyCurves(40);
    return curves;
}

} // namespace corvel
