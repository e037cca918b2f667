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

/// Where both formulations hold for the fluid: from the melting line to 1173.15 K, up to 1000 MPa
/// (the lower part of that pressure range only up to 873.15 K for the conductivity).
inline constexpr double kIapwsTransportMaxTemperature = 1173.15; // K

/// Reference constants the two releases share [K, kg/m³].
inline constexpr double kIapwsReferenceTemperature = 647.096;
inline constexpr double kIapwsReferenceDensity = 322.0;

/// Dynamic viscosity [Pa·s] = μ̄0(T̄)·μ̄1(T̄, ρ̄) × 1 µPa·s.
///
/// The critical enhancement μ̄2 is taken as 1: the release confines it to
/// 645.91 K < T < 650.77 K and 245.8 kg/m³ < ρ < 405.3 kg/m³ and recommends μ̄2 = 1 for
/// industrial use everywhere else, so it is exactly 1 for every liquid state below 372 °C.
double IapwsViscosity(double T, double density);

/// Thermal conductivity [W/(m·K)] = λ̄0(T̄)·λ̄1(T̄, ρ̄) × 1 mW/(m·K).
///
/// The critical enhancement λ̄2 is left out. It needs the isothermal compressibility at T and at
/// 1.5 T_c, and in liquid water below 200 °C it adds a fraction of a per cent that stays well
/// inside the formulation's own uncertainty (1 to 2 % for the liquid); the release's own
/// verification table for λ̄0·λ̄1 is reproduced exactly.
double IapwsConductivity(double T, double density);

} // namespace corvel
