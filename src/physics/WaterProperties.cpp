#include "physics/WaterProperties.h"

#include "physics/IapwsIf97.h"
#include "physics/IapwsTransport.h"
#include "physics/QxWater.h"
#include "physics/Validity.h"
#include "platform/FloatFaults.h"

#include <cmath>

namespace corvel {

namespace {

constexpr double kKelvinOffset = 273.15; // K at 0 °C
constexpr double kKiloPerMega = 1000;    // kPa per MPa
constexpr double kKiloPerUnit = 1e-3;    // W → kW for the conductivity

/// The line pressure itself when finite; EInvalidOp for NaN, EOverflow for an infinity, so that
/// neither is carried into the state.
double checkedPressure(double linePressure) {
    FloatFaultScope scope;
    return scope.result(linePressure);
}

} // namespace

WaterState IapwsWater(double T, double linePressure) {
    linePressure = checkedPressure(linePressure);
    WaterState w;
    const double kelvin = T + kKelvinOffset;
    const double saturation = If97SaturationPressure(kelvin); // MPa
    w.vapourPressure = saturation * kKiloPerMega;
    w.boiling = linePressure < w.vapourPressure;
    w.pressure = w.boiling ? w.vapourPressure : linePressure;
    w.extrapolated =
        !kIapwsWaterRange.contains(T) || w.pressure > kKiloPerMega * kIf97Region1Range.maxPressure;

    const double p = w.pressure / kKiloPerMega;
    const If97Region1State liquid = If97Region1(kelvin, p);
    const double enthalpyAtZero = If97Region1Enthalpy(kKelvinOffset, p);
    {
        FloatFaultScope scope;
        w.density = scope.result(1.0L / liquid.specificVolume);
        w.enthalpy = scope.result(static_cast<long double>(liquid.enthalpy) - enthalpyAtZero);
    }
    w.specificHeat = liquid.isobaricHeatCapacity;
    w.viscosity = IapwsViscosity(kelvin, w.density);
    w.conductivity = IapwsConductivity(kelvin, w.density) * kKiloPerUnit;
    w.prandtl = PrandtlFrom(w.specificHeat, w.viscosity, w.conductivity);
    w.diffusion = WaterDiffusionCoefficient(T);
    return w;
}

WaterState SimpleWater(double T, double linePressure) {
    linePressure = checkedPressure(linePressure);
    WaterState w;
    const SimpleWaterSet set = SimpleWaterProperties(T);
    w.density = set.density;
    w.specificHeat = set.specificHeat;
    w.viscosity = set.viscosity;
    w.conductivity = set.conductivity;
    w.prandtl = set.prandtl;
    w.enthalpy = set.enthalpy;
    w.vapourPressure = set.vapourPressure;
    w.diffusion = set.diffusion;
    w.pressure = linePressure;
    w.boiling = linePressure < w.vapourPressure;
    w.extrapolated = !kSimpleWaterRange.contains(T);
    return w;
}

WaterState LiquidWater(WaterModel model, double T, double linePressure) {
    return model == WaterModel::Iapws ? IapwsWater(T, linePressure) : SimpleWater(T, linePressure);
}

} // namespace corvel
