#pragma once

// Hydraulics of full flow in a round pipe: Reynolds number, Darcy friction factor with the flow
// regime it was computed in, and the Darcy–Weisbach pressure gradient. All quantities in SI base
// units. Pure functions; a floating-point fault throws instead of returning NaN or infinity.

namespace corvel {

/// Flow regime codes, as reported by FrictionFactor.
enum FlowRegime : int {
    kRegimeBadData = -1,   ///< Reynolds number not positive, or too small for forced Colebrook
    kRegimeSmooth = 0,     ///< turbulent, roughness exactly 0
    kRegimeTransition = 1, ///< turbulent, Colebrook–White
    kRegimeRough = 2,      ///< turbulent, fully rough
    kRegimeLaminar = 3,
};

/// Lowest Reynolds number treated as turbulent.
inline constexpr double kTurbulentReynolds = 2300.0;

/// +1 when x ≥ 0, −1 otherwise (NaN included).
int SignOf(double x);

/// ρ·v·D/μ [-], multiplied left to right and divided last.
double ReynoldsNumber(double density, double velocity, double diameter, double viscosity);

/// Fully rough limit (von Kármán–Nikuradse): 1 / (1.14 − 2·log10(e/D))².
double RoughFrictionFactor(double relRoughness);

/// Hagen–Poiseuille: 64 / Re.
double LaminarFrictionFactor(double reynolds);

/// Prandtl–Kármán smooth-pipe law 1/√f = 2·log10(Re·√f) − 0.8 by fixed-point iteration on
/// x = 1/√f, starting from x = 7 when startF is 0; at most 21 steps, tolerance 1e-6 on x.
double SmoothFrictionFactor(double startF, double reynolds);

/// Colebrook–White 1/√f = −2·log10(e/3.71D + 2.51/(Re·√f)) by a secant iteration on x = 1/√f,
/// starting from 1/√startF (startF must be positive); at most 21 steps, residual tolerance 1e-6.
double ColebrookFrictionFactor(double startF, double relRoughness, double reynolds);

/// Darcy friction factor by the formula of the regime the flow is in; sets `regime`.
/// startF 0 means no starting value; forceColebrook skips the regime selection.
double FrictionFactor(int& regime, bool forceColebrook, double startF, double roughness,
                      double diameter, double reynolds);

/// Frictional pressure gradient v²·(ρ·f/2)/D [Pa/m]; exactly 0 when the diameter is 0.
double PressureGradient(double density, double frictionFactor, double velocity, double diameter);

namespace detail {

/// An iterative friction factor together with the number of steps it took.
struct IterationResult {
    double frictionFactor;
    int steps;
};

IterationResult smoothIteration(double startF, double reynolds);
IterationResult colebrookIteration(double startF, double relRoughness, double reynolds);

} // namespace detail

} // namespace corvel
