#pragma once

// Properties of liquid water as closed-form functions of the mean temperature T [°C].
//
// Every function is pure; intermediates are carried in extended precision and the result is
// rounded to double. A floating-point fault (invalid operation, division by zero, overflow)
// throws EInvalidOp, EZeroDivide or EOverflow instead of returning NaN or infinity.

namespace corvel {

/// y = (a + b·T)^(−1/c)
struct ReciprocalPowerCoeffs {
    double a, b, c;
};

/// y = a / (1 + exp(b − c·T))^(1/d)
struct LogisticPowerCoeffs {
    double a, b, c, d;
};

/// y = a · exp(b·T / (T + c))
struct MagnusCoeffs {
    double a, b, c;
};

double ReciprocalPowerCurve(const ReciprocalPowerCoeffs& coeffs, double T);
double LogisticPowerCurve(const LogisticPowerCoeffs& coeffs, double T);
double MagnusCurve(const MagnusCoeffs& coeffs, double T);

/// x^p: repeated squaring for a whole p of magnitude ≤ 2147483647 (reciprocal for negative p),
/// exp(p·ln x) otherwise; a base of exactly 0 with a non-whole exponent gives 0.
long double Power(long double base, long double exponent);

/// Density [kg/m³]; cubic in T.
double WaterDensity(double T);
/// Specific heat capacity [kJ/(kg·K)]; quartic in T.
double WaterSpecificHeat(double T);
/// Dynamic viscosity [kg/(m·s)]; reciprocal power curve above 0 °C, 0.001792 at or below
/// (and for a NaN temperature).
double WaterViscosity(double T);
/// Thermal conductivity [kW/(m·K)]; logistic power curve above 0 °C, 0.0007037 at or below
/// (the curve's high-temperature limit, not its value at 0 °C).
double WaterConductivity(double T);
/// Prandtl number cp·μ/k [-]; jumps at 0 °C because of the viscosity and conductivity guards.
double WaterPrandtl(double T);
/// cp·μ/k from the three properties already evaluated at one temperature; WaterPrandtl is
/// exactly this of its own evaluations, so a caller that has them saves evaluating them again.
double PrandtlFrom(double specificHeat, double viscosity, double conductivity);
/// T·cp from a specific heat already evaluated at T; WaterEnthalpy is exactly this.
double EnthalpyFrom(double T, double specificHeat);
/// Specific enthalpy T·cp [kJ/kg], zero for liquid at 0 °C.
double WaterEnthalpy(double T);
/// Saturation pressure [kPa], Tetens form of the Magnus equation; T = −237.3 divides by zero.
double WaterVapourPressure(double T);
/// Diffusion coefficient [cm²/s]; quadratic in T.
double WaterDiffusionCoefficient(double T);

/// The eight properties above at one temperature.
struct SimpleWaterSet {
    double density, specificHeat, viscosity, conductivity, prandtl, enthalpy, vapourPressure,
        diffusion;
};

/// The eight properties at T, each exactly what its own function gives (Prandtl number and
/// enthalpy made from the properties already evaluated), faults thrown in the same order.
/// The sets of recent temperatures are remembered per thread, since the curves cost several
/// extended-precision exponentials and logarithms and a batch or a session solves many cases
/// at few temperatures; a set that faulted is not remembered.
SimpleWaterSet SimpleWaterProperties(double T);

} // namespace corvel
