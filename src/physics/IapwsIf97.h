#pragma once

// IAPWS Industrial Formulation 1997 (IAPWS-IF97), the parts a liquid water line needs:
// region 1 (compressed liquid) as a function of temperature and pressure, and region 4 (the
// saturation line). Source: IAPWS R7-97(2012), "Revised Release on the IAPWS Industrial
// Formulation 1997 for the Thermodynamic Properties of Water and Steam", equations 7 and 30 to
// 31, coefficients of its tables 2 and 34.
//
// Temperatures in K, pressures in MPa, as the release has them. Pure functions; intermediates in
// extended precision; a floating-point fault throws EInvalidOp, EZeroDivide or EOverflow instead
// of returning NaN or infinity.

namespace corvel {

/// Where region 1 is valid: 273.15 K ≤ T ≤ 623.15 K, p_sat(T) ≤ p ≤ 100 MPa.
struct If97Region1Range {
    double minTemperature; ///< K
    double maxTemperature; ///< K
    double maxPressure;    ///< MPa
};
inline constexpr If97Region1Range kIf97Region1Range{273.15, 623.15, 100.0};

/// The saturation line runs from 273.15 K to the critical point.
inline constexpr double kIf97SaturationMinTemperature = 273.15;  // K
inline constexpr double kIf97CriticalTemperature = 647.096;      // K
inline constexpr double kIf97SaturationMinPressure = 611.213e-6; // MPa, p_sat(273.15 K)
inline constexpr double kIf97CriticalPressure = 22.064;          // MPa

/// Specific gas constant of water used throughout IF97 [kJ/(kg·K)].
inline constexpr double kIf97GasConstant = 0.461526;

/// The properties region 1 gives at one state.
struct If97Region1State {
    double specificVolume;       ///< v [m³/kg]
    double enthalpy;             ///< h [kJ/kg]
    double internalEnergy;       ///< u [kJ/kg]
    double entropy;              ///< s [kJ/(kg·K)]
    double isobaricHeatCapacity; ///< cp [kJ/(kg·K)]
    double speedOfSound;         ///< w [m/s]
};

/// Region 1 at temperature T [K] and pressure p [MPa], from the dimensionless Gibbs free energy
/// γ(π, τ) = Σ nᵢ (7.1 − π)^Iᵢ (τ − 1.222)^Jᵢ with π = p/16.53 MPa, τ = 1386 K/T.
/// Evaluated outside its range too (the caller flags that); T ≤ 0 faults.
If97Region1State If97Region1(double T, double p);

/// Only the enthalpy h [kJ/kg] of region 1, at a sixth of the cost of the full state.
double If97Region1Enthalpy(double T, double p);

/// Saturation pressure [MPa] at temperature T [K], region 4's explicit equation (30).
/// Valid 273.15 K to 647.096 K, and extrapolated a little below; above the critical
/// temperature there is no saturation and the call throws EInvalidOp.
double If97SaturationPressure(double T);

/// Saturation temperature [K] at pressure p [MPa], region 4's backward equation (31).
/// Valid 611.213 Pa to 22.064 MPa.
double If97SaturationTemperature(double p);

} // namespace corvel
