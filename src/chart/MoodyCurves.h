#pragma once

// The lines of the Moody diagram in data coordinates, computed once with the same friction
// relations the solver uses, so that a solved case always lies on its curve.

#include "chart/MoodyAxes.h"

#include <QString>

#include <array>
#include <vector>

namespace corvel {

/// The solver's fully rough criterion: above √f·Re·(k/D) = 200, with f the fully rough value,
/// the friction factor no longer depends on the Reynolds number.
inline constexpr double kFullyRoughCriterion = 200.0;

/// Upper end of the transition band, where turbulent flow is established.
inline constexpr double kTransitionEndReynolds = 4000.0;

/// The relative roughnesses k/D drawn as curves, the hydraulically smooth pipe (0) first.
inline constexpr std::array<double, 14> kMoodyRoughnessLadder = {
    0.0, 1e-6, 5e-6, 1e-5, 5e-5, 1e-4, 2e-4, 5e-4, 1e-3, 2e-3, 5e-3, 0.01, 0.02, 0.05};

/// The solver's turbulent friction factor at a relative roughness (0: smooth-pipe law) and a
/// Reynolds number ≥ 2300: Colebrook–White started from the fully rough value, or the fully
/// rough value itself beyond the fully rough criterion.
double TurbulentFrictionFactor(double relRoughness, double reynolds);

/// Reynolds number at which a pipe of relative roughness k/D > 0 becomes fully rough by the
/// solver's criterion: 200 / (√f_rough · k/D).
double FullyRoughReynolds(double relRoughness);

/// One curve of constant relative roughness, from Re = 2300 to the right edge; at the fully
/// rough boundary it drops from the Colebrook value to the fully rough one, as the solver does.
struct MoodyCurve {
    double relRoughness;
    QString label; ///< "smooth" or the decimal value, e.g. "0.0002"
    std::vector<MoodyPoint> points;
};

struct MoodyCurves {
    std::vector<MoodyPoint> laminar;          ///< 64/Re up to Re = 2300
    std::vector<MoodyPoint> laminarExtension; ///< 64/Re across the transition band
    std::vector<MoodyCurve> roughness;        ///< in kMoodyRoughnessLadder order
    std::vector<MoodyPoint> roughBoundary;    ///< the fully rough boundary, k/D falling along it
};

/// The curves sampled over the standard axes with `pointsPerDecade` points per decade of
/// Reynolds number.
MoodyCurves BuildMoodyCurves(int pointsPerDecade);

/// The curves every diagram draws, built on first use and kept.
const MoodyCurves& StandardMoodyCurves();

/// The text of a relative roughness as its curve is labelled.
QString RoughnessLabel(double relRoughness);

} // namespace corvel
