#pragma once

// The liquid-water properties a solve shows, from either of the two property choices, in the
// flow case's units: density kg/m³, specific heat kJ/(kg·K), viscosity kg/(m·s), conductivity
// kW/(m·K), enthalpy kJ/kg (zero at 0 °C), saturation pressure kPa, diffusion coefficient cm²/s.

namespace corvel {

/// Which formulas give the water properties.
enum class WaterModel {
    Simple, ///< the closed-form correlations of QxWater, functions of temperature only
    Iapws,  ///< IAPWS-IF97 region 1 and 4, IAPWS 2008 viscosity, IAPWS 2011 conductivity
};

/// Line pressure a case has when none is given [kPa]: one standard atmosphere.
inline constexpr double kStandardLinePressure = 101.325;

/// Liquid water at one mean temperature and line pressure.
struct WaterState {
    double density = 0;        ///< kg/m³
    double specificHeat = 0;   ///< kJ/(kg·K)
    double viscosity = 0;      ///< kg/(m·s)
    double conductivity = 0;   ///< kW/(m·K)
    double prandtl = 0;        ///< -
    double enthalpy = 0;       ///< kJ/kg, zero for liquid at 0 °C
    double vapourPressure = 0; ///< saturation pressure at the temperature [kPa]
    double diffusion = 0;      ///< cm²/s (the simple correlation under both choices)
    double pressure = 0;       ///< pressure the liquid was evaluated at [kPa]
    /// The line pressure lies below the saturation pressure: the water would boil there, and the
    /// properties are those of saturated liquid.
    bool boiling = false;
    /// The temperature lies outside the range the formulas were fitted or validated in, so the
    /// values are extrapolated (the IAPWS choice below 0 °C, above 350 °C or above 100 MPa).
    bool extrapolated = false;
};

/// The IAPWS reference properties at temperature T [°C] and absolute line pressure [kPa].
///
/// Density, specific heat and enthalpy come from IF97 region 1 at the line pressure, or at the
/// saturation pressure when the line pressure is lower (boiling; a line pressure of 0 or less
/// always boils). Enthalpy is h(T, p) − h(0 °C, p), so it reads like the simple correlation.
/// The saturation pressure is region 4's. Viscosity and conductivity follow from the IF97
/// density. Below 0 °C the same equations are extrapolated into supercooled liquid (they stay
/// smooth and near measured values down to −20 °C: density 993.6 kg/m³, viscosity 4.39 mPa·s)
/// and `extrapolated` is set; clamping at 0 °C instead would hide the steep rise of viscosity.
/// Above the critical temperature (373.946 °C) no liquid exists and the call throws EInvalidOp.
WaterState IapwsWater(double T, double linePressure);

/// The simple correlations at temperature T [°C], every value exactly as QxWater gives it; the
/// line pressure only decides `boiling` (against the correlation's own saturation pressure).
/// `extrapolated` is set at or below 0 °C and above 100 °C, where the correlations drift.
WaterState SimpleWater(double T, double linePressure);

/// SimpleWater or IapwsWater, as the model says.
WaterState LiquidWater(WaterModel model, double T, double linePressure);

} // namespace corvel
