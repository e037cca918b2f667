#pragma once

// Transport properties of ordinary water as functions of temperature and density.
//
// Viscosity: IAPWS R12-08, "Release on the IAPWS Formulation 2008 for the Viscosity of Ordinary
// Water Substance", equations 10 to 12 with the coefficients of its tables 1 and 2.
// Thermal conductivity: IAPWS R15-11, "Release on the IAPWS Formulation 2011 for the Thermal
// Conductivity of Ordinary Water Substance", equations 15 to 17 with the coefficients of its
// tables 1 and 2.
//
// Temperatures in K, densities in kg/m³; results in SI base units. Pure functions; a
// floating-point fault throws instead of returning NaN or infinity.

namespace corvel {

/// The highest temperature either formulation covers [K].
inline constexpr double kIapwsTransportMaxTemperature = 1173.15; // K

/// Reference constants the two releases share [K, kg/m³].
inline constexpr double kIapwsReferenceTemperature = 647.096;
inline constexpr double kIapwsReferenceDensity = 322.0;

/// Dynamic viscosity [Pa·s] = μ̄0(T̄)·μ̄1(T̄, ρ̄) × 1 µPa·s.
///
/// The critical enhancement μ̄2 is taken as 1: the release finds it significant only within
/// 645.91 K < T < 650.77 K and 245.8 kg/m³ < ρ < 405.3 kg/m³ and allows μ̄2 = 1 outside that
/// region, which holds every liquid state below 372 °C; its verification table is for μ̄2 = 1.
double IapwsViscosity(double T, double density);

/// Thermal conductivity [W/(m·K)] = λ̄0(T̄)·λ̄1(T̄, ρ̄) × 1 mW/(m·K).
///
/// The critical enhancement λ̄2 is left out. It needs the isothermal compressibility at T and at
/// 1.5 T_c and matters near the critical point; for liquid water below 200 °C the release's
/// equations put it near 0.02 % at 25 °C and under 0.5 % at 200 °C, inside the formulation's own
/// uncertainty for the liquid. The release's verification table for λ̄0·λ̄1 is reproduced
/// exactly.
double IapwsConductivity(double T, double density);

} // namespace corvel
