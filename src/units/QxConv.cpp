#include "units/QxConv.h"

#include "platform/Errors.h"
#include "units/NumberText.h"

#include <algorithm>
#include <span>

namespace corvel {

namespace {

/// One display unit: its label, key, the number of it that make one base unit, the additive
/// offset (temperature only) and its format pattern.
struct Unit {
    std::string_view label;
    std::string_view key;
    double factor;
    double offset;
    std::string_view format;
};

// The tables keep one unit per line.
// clang-format off

// Factors written as 1.0 / q are the double result of that division, so a conversion back with
// q itself round-trips as closely as the units were defined.

constexpr Unit kAirFlow[] = {
    {"m³/s", "cms", 1, 0, "%0.3f"},
    {"m³/min", "cmm", 60, 0, "%0.2f"},
    {"m³/hr", "cmh", 3600, 0, "%0.0f"},
    {"l/s", "lpers", 1000, 0, "%0.0f"},
    {"cfm", "ft3permin", 2118.8800032893155, 0, "%0.2f"},
};

constexpr Unit kAirFlowSmall[] = {
    {"l/s", "l/s", 1, 0, "%0.1f"},
    {"m³/min", "m3/min", 0.06, 0, "%0.2f"},
    {"cfm", "cfm", 2.1188800032893154, 0, "%0.3f"},
};

constexpr Unit kAirFlowRate[] = {
    {"m³/s/m²", "m3/s/sqm", 1, 0, "%0.3f"},
    {"m³/min/m²", "m3/min/sqm", 60, 0, "%0.2f"},
    {"m³/hr/m²", "m3/hr/sqm", 3600, 0, "%0.0f"},
    {"l/s/m²", "l/s/sqm", 1000, 0, "%0.0f"},
    {"cfm/ft²", "cfm/sqft", 196.8503937007874, 0, "%0.2f"},
};

constexpr Unit kPressure[] = {
    {"kPa", "kPa", 1, 0, "%0.3f"},
    {"Pa", "Pa", 1000, 0, "%0.0f"},
    {"Psi", "Psi", 1.0 / 6.89476, 0, "%0.4f"},
    {"Bar", "Bar", 0.01, 0, "%0.5f"},
    {"Atm", "Atm", 0.00986923, 0, "%0.5f"},
    {"InchWg", "InchWg", 1.0 / 0.24908891, 0, "%0.4f"},
    {"InchHg", "InchHg", 0.295, 0, "%0.4f"},
    {"mHead", "mHead", 1.0 / 9.80665, 0, "%0.4f"},
};

constexpr Unit kAltitude[] = {
    {"m", "metres", 1, 0, "%0.1f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.1f"},
};

constexpr Unit kAngularSpeed[] = {
    {"rpm", "revpermin", 1, 0, "%0.0f"},
    {"Rad/s", "Radpers", 0.10471975511965978, 0, "%0.3f"},
    {"Rev/s", "revps", 1.0 / 60, 0, "%0.0f"},
};

constexpr Unit kArea[] = {
    {"m²", "sqm", 1, 0, "%0.1f"},
    {"cm²", "sqcm", 10000, 0, "%0.1f"},
    {"mm²", "sqmm", 1000000, 0, "%0.0f"},
    {"inch²", "sqinch", 1550.0031000062, 0, "%0.2f"},
    {"ft²", "sqft", 1.0 / 0.09290304, 0, "%0.1f"},
};

constexpr Unit kCondensateRate[] = {
    {"g/s", "GramPerSec", 1, 0, "%0.1f"},
    {"kg/s", "KGperSec", 0.001, 0, "%0.4f"},
    {"kg/min", "kgpermin", 0.06, 0, "%0.3f"},
    {"lb/hr", "lbperhr", 1.0 / 453.59237, 0, "%0.3f"},
};

constexpr Unit kConductance[] = {
    {"kW/°C", "kWperdegC", 1, 0, "%0.3f"},
    {"W/°C", "WperdegC", 1000, 0, "%0.0f"},
    {"MBH/°F", "MBHperdegF", 1.0 / 0.527528, 0, "%0.3f"},
    {"Btu/h°F", "BtuperhrdegF", 1895.6339758268755, 0, "%0.0f"},
};

constexpr Unit kConductivity[] = {
    {"kW/mK", "kWpermK", 1, 0, "%0.6g"},
    {"W/mK", "WpermK", 1000, 0, "%0.6g"},
    {"mW/mK", "mWpermK", 1000000, 0, "%0.6g"},
    {"Btu/hr·ft°F", "BtuperhrftdegF", 577.7, 0, "%0.6g"},
};

constexpr Unit kDensity[] = {
    {"kg/m³", "kgperm3", 1, 0, "%0.5g"},
    {"mg/L", "mgperl", 1000, 0, "%0.1g"},
    {"lb/ft³", "lbperft3", 0.06242796057614461, 0, "%0.4g"},
};

constexpr Unit kDiameter[] = {
    {"m", "metres", 1, 0, "%0.3f"},
    {"mm", "millimetres", 1000, 0, "%0.0f"},
    {"inch", "inches", 1.0 / 0.0254, 0, "%0.2f"},
    {"1/8\"", "eighthsOfAnInch", 1.0 / 0.003175, 0, "%0.0f"}, // whole eighths of an inch
    {"ft", "feet", 3.2808398950131235, 0, "%0.3f"},
};

constexpr Unit kDuty[] = {
    {"kW", "kiloWatts", 1, 0, "%0.3f"},
    {"W", "Watts", 1000, 0, "%0.0f"},
    {"Btu/hr", "Btuperhr", 3412.141156488376, 0, "%0.0f"},
    {"MBh", "Mega Btuperhr", 3.412141156488376, 0, "%0.3f"},
    {"kcal/hr", "kcalperhr", 859.184, 0, "%0.1f"},
};

constexpr double kBtuPerHourSquareFoot = 0.31699828634688587; // in one W/m²

constexpr Unit kDutyRate[] = {
    {"W/m²", "W/sqm", 1, 0, "%0.1f"},
    {"kW/m²", "kW/sqm", 0.001, 0, "%0.3f"},
    {"Btu/hr·ft²", "Btu/hrsqft", kBtuPerHourSquareFoot, 0, "%0.1f"},
    {"MBh/ft²", "MBh/sqft", kBtuPerHourSquareFoot / 1000, 0, "%0.3f"},
    {"kcal/hr·ft²", "kcal/hrsqft", 0.07982080551936, 0, "%0.1f"},
};

constexpr Unit kEnergy[] = {
    {"kJ", "kJ", 1, 0, "%0.3f"},
    {"J", "J", 1000, 0, "%0.0f"},
    {"kW-hr", "kWhr", 1.0 / 3600, 0, "%0.5g"},
    {"W-hr", "Whr", 1.0 / 3.6, 0, "%0.5g"},
    {"Btu", "Btu", 1.0 / 1.055056, 0, "%0.5g"},
};

constexpr Unit kEnthalpy[] = {
    {"kJ/kg", "kJperkg", 1, 0, "%0.1f"},
    {"Btu/lb", "Btuperlb", 0.4299226139294927, 0, "%0.1f"},
};

constexpr Unit kFinDensity[] = {
    {"fpi", "fpi", 1, 0, "%0.4f"},
    {"fin/mm", "fin/mm", 1.0 / 25.4, 0, "%0.5f"},
    {"fins/m", "fins/m", 1.0 / 0.0254, 0, "%0.3f"},
    {"fins/ft", "fins/ft", 12, 0, "%0.3f"},
};

constexpr Unit kHeatOfRespiration[] = {
    {"kJ/kg/day", "kJperkgperday", 1, 0, "%0.2f"},
    {"Btu/lb/day", "Btuperlbperday", 0.4299226139294927, 0, "%0.2f"},
};

constexpr Unit kHeatTransferCoefficient[] = {
    {"W/m²°C", "W/sqmdegC", 1, 0, "%0.5g"},
    {"Btu/hr·ft²°F", "Btu/hrsqftdegF", 1.0 / 5.678, 0, "%0.5g"},
};

constexpr Unit kHumidity[] = {
    {"kg/kg", "kgperkg", 1, 0, "%0.4f"},
    {"g/kg", "gperkg", 1000, 0, "%0.2f"},
    {"gr/lb", "grperlb", 7000, 0, "%0.1f"},
};

constexpr Unit kLengthBig[] = {
    {"m", "metres", 1, 0, "%0.2f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.1f"},
};

constexpr Unit kLength[] = {
    {"m", "metres", 1, 0, "%0.3f"},
    {"cm", "centimetres", 100, 0, "%0.2f"},
    {"mm", "millimetres", 1000, 0, "%0.1f"},
    {"inch", "inches", 1.0 / 0.0254, 0, "%0.2f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.3f"},
};

constexpr Unit kLengthSmall[] = {
    {"mm", "millimetres", 1, 0, "%0.4f"},
    {"um", "micrometres", 1000, 0, "%0.1f"},
    {"Thou\"", "Thousandths", 1.0 / 0.0254, 0, "%0.3f"}, // thousandths of an inch per mm
};

constexpr Unit kMass[] = {
    {"kg", "kg", 1, 0, "%0.0f"},
    {"ton SI", "tonSI", 0.001, 0, "%0.3f"},
    {"lb", "lb", 1.0 / 0.45359237, 0, "%0.1f"},
};

constexpr Unit kMassFlow[] = {
    {"kg/s", "kgpers", 1, 0, "%0.3f"},
    {"g/s", "gpers", 1000, 0, "%0.0f"},
    {"kg/hr", "kgperhr", 3600, 0, "%0.1f"},
    {"lb/s", "lbpers", 1.0 / 0.45359237, 0, "%0.4f"},
    {"lb/min", "lbpermin", 132.27735731092656, 0, "%0.2f"},
    {"lb/hr", "lbperhr", 7936.6414386555925, 0, "%0.0f"},
};

constexpr Unit kMassFlux[] = {
    {"kg/m²s", "kg/sqms", 1, 0, "%0.3f"},
    {"g/m²s", "g/sqms", 1000, 0, "%0.0f"},
    {"kg/m²hr", "kg/sqmhr", 3600, 0, "%0.1f"},
    {"lb/ft²s", "lb/sqfts", 0.20481614362252168, 0, "%0.4f"},
    {"lb/ft²min", "lb/sqftmin", 12.288968617351301, 0, "%0.2f"},
    {"lb/ft²hr", "lb/sqfthr", 737.3381170410781, 0, "%0.0f"},
};

constexpr Unit kMetabolicRate[] = {
    {"W/P", "W/P", 1, 0, "%0.1f"},
    {"Btu/hr/P", "Btu/hr/P", 3.412141156488376, 0, "%0.0f"},
};

constexpr Unit kPeopleDensity[] = {
    {"m²/P", "sqm/P", 1, 0, "%0.1f"},
    {"ft²/P", "sqft/P", 1.0 / 0.09290304, 0, "%0.2f"},
};

constexpr Unit kPower[] = {
    {"kW", "kW", 1, 0, "%0.3f"},
    {"W", "W", 1000, 0, "%0.0f"},
    {"HP", "HP", 1.0 / 0.7457, 0, "%0.2f"},
};

constexpr Unit kBarometric[] = {
    {"kPa", "kPa", 1, 0, "%0.3f"},
    {"Psi", "Psi", 1.0 / 6.89476, 0, "%0.4f"},
    {"Bar", "Bar", 0.01, 0, "%0.5f"},
    {"Atm", "Atm", 0.00986923, 0, "%0.5f"},
    {"InchHg", "InchHg", 0.295, 0, "%0.4f"},
    {"mHead", "mHead", 1.0 / 9.80665, 0, "%0.4f"},
};

constexpr Unit kPressureRate[] = {
    {"Pa/m", "Pa/m", 1, 0, "%0.2f"},
    {"kPa/m", "kPa/m", 0.001, 0, "%0.5f"},
    {"iwg/100'", "iwg/100'", 0.12236594555735139, 0, "%0.4f"},
    {"Psi/ft", "Psi/ft", 4.4207485104630184e-05, 0, "%0.6f"},
    // One psi is 6894.757293168361 Pa (the pound-force on a square inch), 100 ft is 30.48 m.
    {"psi/100 ft", "psiper100ft", 30.48 / 6894.757293168361, 0, "%0.4f"},
};

constexpr Unit kProportion[] = {
    {"fraction", "fraction", 1, 0, "%0.3f"},
    {"%", "percent", 100, 0, "%0.1f"},
    {"ratio", "ratio", 1, 0, "%0.3f"},
};

constexpr Unit kSpecificHeat[] = {
    {"kJ/kg·K", "kJperkgK", 1, 0, "%0.4g"},
    {"Btu/lb°F", "BtuperlbdegF", 0.23883448770002388, 0, "%0.4g"},
};

constexpr Unit kSpecificVolume[] = {
    {"m³/kg", "m3perkg", 1, 0, "%0.3f"},
    {"ft³/lb", "ft3perlb", 16.018463373960138, 0, "%0.3f"},
};

// The only table with offsets; they apply to "Temperature" alone, "Temperature Change"
// converts differences with the factors.
constexpr Unit kTemperature[] = {
    {"°C", "degC", 1, 0, "%0.1f"},
    {"°F", "degF", 1.8, 32, "%0.1f"},
    {"K", "degK", 1, 273.15, "%0.2f"},
};

constexpr Unit kThermalCapacity[] = {
    {"W-hr/m²°C", "W-hr/sqmdegC", 1, 0, "%0.1f"},
    {"Btu/ft²°F", "Btu/sqftdegF", 0.5705969154243945, 0, "%0.1f"},
};

constexpr Unit kThermalResistance[] = {
    {"m²°C/W", "sqmdegCperW", 1, 0, "%0.4f"},
    {"ft²·hr·°F/Btu", "sqfthrdegFperBtu", 5.678264134306047, 0, "%0.3f"},
};

constexpr Unit kTime[] = {
    {"sec", "sec", 1, 0, "%0.0f"},
    {"min", "min", 1.0 / 60, 0, "%0.2f"},
    {"hr", "hr", 1.0 / 3600, 0, "%0.4f"},
};

constexpr Unit kVelocity[] = {
    {"m/s", "mpers", 1, 0, "%0.2f"},
    {"fpm", "ftpm", 196.8503937007874, 0, "%0.1f"},
    {"ft/s", "ftpers", 1.0 / 0.3048, 0, "%0.2f"},
};

constexpr Unit kViscosity[] = {
    {"kg/m·s", "kg/ms", 1, 0, "%0.6g"},
    {"N·s/m²", "Ns/sqm", 1, 0, "%0.6g"},
    {"µPa·s", "uPas", 1000000, 0, "%0.6g"},
    {"cP", "cP", 1000, 0, "%0.6g"},
    {"lbm/ft·s", "lbm/fts", 0.0671955, 0, "%0.6g"},
    {"lbf·s/ft²", "lbfs/sqft", 0.020885, 0, "%0.6g"},
    {"lbf·hr/ft²", "lbfhr/sqft", 5.8014e-06, 0, "%0.6g"},
};

constexpr Unit kVolume[] = {
    {"m³", "m3", 1, 0, "%0.4f"},
    {"litre", "l", 1000, 0, "%0.2f"},
    {"cc", "cc", 1000000, 0, "%0.0f"},
    {"ft³", "ft3", 35.32, 0, "%0.4f"},
    {"inch³", "inch3", 61023, 0, "%0.1f"},
};

constexpr Unit kFluidVolume[] = {
    {"kl", "kilolitre", 1, 0, "%0.3f"},
    {"litre", "litre", 1000, 0, "%0.5g"},
    {"IP Gal", "imperialgallon", 220, 0, "%0.5g"},
    {"US Gal", "usgallon", 264.1720523581484, 0, "%0.5g"},
};

constexpr Unit kWaterFlow[] = {
    {"l/s", "lps", 1, 0, "%0.3f"},
    {"l/min", "lpm", 60, 0, "%0.2f"},
    {"dm³/hr", "dm3phr", 3600, 0, "%0.2f"},
    {"m³/hr", "cmh", 3.6, 0, "%0.2f"},
    {"m³/s", "cms", 0.001, 0, "%0.4f"},
    {"usgpm", "usgpm", 15.850323141488905, 0, "%0.1f"},
};

constexpr std::array<std::string_view, kUnitCategoryCount> kCategoryNames = {
    "None",
    "Air Flow - Primary",
    "Air Flow - Secondary",
    "Air Flow - Small",
    "Air Flow Rate",
    "Air Pressure Drop",
    "Altitude",
    "Angular Speed",
    "Area",
    "Condensate Rate",
    "Conductance",
    "Conductivity",
    "Density",
    "Diameter",
    "Duty - Primary",
    "Duty - Secondary",
    "Duty Rate",
    "Energy",
    "Enthalpy",
    "Fin Density",
    "Heat of Respiration",
    "Heat Transfer Coefficient",
    "Humidity",
    "Length - Big",
    "Length - Measurement",
    "Length - Primary",
    "Length - Secondary",
    "Length - Small",
    "Mass",
    "MassFlow",
    "MassFlow - Refrig./Steam",
    "MassFlux",
    "Metabolic Rate",
    "People Density",
    "Power",
    "Pressure - Absolute or Gauge",
    "Pressure - Barometric",
    "Pressure - Steam",
    "Pressure Rate - Gas",
    "Pressure Rate - Liquid",
    "Proportion",
    "Specific Heat",
    "Specific Volume",
    "Temperature",
    "Temperature Change",
    "Thermal Capacity",
    "Thermal Resistance",
    "Time",
    "Velocity",
    "Viscosity",
    "Volume",
    "Fluid Volume",
    "Water Flow",
    "Water Pressure Drop",
};

// clang-format on

static_assert(static_cast<int>(UnitCategory::WaterPressureDrop) == kUnitCategoryCount - 1);

/// The unit table of a category; empty for "None" and for numbers outside the catalogue.
std::span<const Unit> unitTable(UnitCategory category) {
    using enum UnitCategory;
    switch (category) {
    case AirFlowPrimary:
    case AirFlowSecondary:
        return kAirFlow;
    case AirFlowSmall:
        return kAirFlowSmall;
    case AirFlowRate:
        return kAirFlowRate;
    case AirPressureDrop:
    case PressureAbsoluteOrGauge:
    case PressureSteam:
    case WaterPressureDrop:
        return kPressure;
    case Altitude:
        return kAltitude;
    case AngularSpeed:
        return kAngularSpeed;
    case Area:
        return kArea;
    case CondensateRate:
        return kCondensateRate;
    case Conductance:
        return kConductance;
    case Conductivity:
        return kConductivity;
    case Density:
        return kDensity;
    case Diameter:
        return kDiameter;
    case DutyPrimary:
    case DutySecondary:
        return kDuty;
    case DutyRate:
        return kDutyRate;
    case Energy:
        return kEnergy;
    case Enthalpy:
        return kEnthalpy;
    case FinDensity:
        return kFinDensity;
    case HeatOfRespiration:
        return kHeatOfRespiration;
    case HeatTransferCoefficient:
        return kHeatTransferCoefficient;
    case Humidity:
        return kHumidity;
    case LengthBig:
        return kLengthBig;
    case LengthMeasurement:
    case LengthPrimary:
    case LengthSecondary:
        return kLength;
    case LengthSmall:
        return kLengthSmall;
    case Mass:
        return kMass;
    case MassFlow:
    case MassFlowRefrigSteam:
        return kMassFlow;
    case MassFlux:
        return kMassFlux;
    case MetabolicRate:
        return kMetabolicRate;
    case PeopleDensity:
        return kPeopleDensity;
    case Power:
        return kPower;
    case PressureBarometric:
        return kBarometric;
    case PressureRateGas:
    case PressureRateLiquid:
        return kPressureRate;
    case Proportion:
        return kProportion;
    case SpecificHeat:
        return kSpecificHeat;
    case SpecificVolume:
        return kSpecificVolume;
    case Temperature:
    case TemperatureChange:
        return kTemperature;
    case ThermalCapacity:
        return kThermalCapacity;
    case ThermalResistance:
        return kThermalResistance;
    case Time:
        return kTime;
    case Velocity:
        return kVelocity;
    case Viscosity:
        return kViscosity;
    case Volume:
        return kVolume;
    case FluidVolume:
        return kFluidVolume;
    case WaterFlow:
        return kWaterFlow;
    case None:
        break;
    }
    return {};
}

/// The unit at `index` of a non-empty table, the index clamped into the table.
const Unit& unitAt(std::span<const Unit> table, int index) {
    const int last = static_cast<int>(table.size()) - 1;
    return table[static_cast<std::size_t>(std::clamp(index, 0, last))];
}

bool contains(std::string_view text, char c) {
    return text.find(c) != std::string_view::npos;
}

// Only the first two characters of an exponent beyond ±300 are kept, so "1E999" reads 1E99.
constexpr int kMaxExponent = 300;

bool isSignedDigits(std::string_view text) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// Whether the exponent text reads as an integer beyond ±kMaxExponent. Digits too many for a
/// 32-bit integer count as beyond; anything else that is not an integer throws EConvertError.
bool exponentTooLarge(const std::string& exponent) {
    try {
        const std::int32_t value = readInteger(exponent);
        return value > kMaxExponent || value < -kMaxExponent;
    } catch (const EConvertError&) {
        if (isSignedDigits(exponent))
            return true;
        throw;
    }
}

std::string cleanSingleNumber(std::string text) {
    if (text.empty())
        return "0";

    std::replace(text.begin(), text.end(), 'e', 'E');
    if (const std::size_t e = text.find('E'); e != std::string::npos)
        text.erase(std::remove(text.begin() + static_cast<std::ptrdiff_t>(e) + 1, text.end(), 'E'),
                   text.end());

    // After the first character a minus sign survives only right behind the "E".
    if (text.size() > 1) {
        std::string kept(1, text.front());
        std::string rest;
        for (std::size_t i = 1; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '-' && (rest.empty() || rest.back() != 'E'))
                continue;
            rest += c;
        }
        text = kept + rest;
    }

    if (text == "-")
        return "0";

    if (const std::size_t dot = text.find('.'); dot != std::string::npos)
        text.erase(
            std::remove(text.begin() + static_cast<std::ptrdiff_t>(dot) + 1, text.end(), '.'),
            text.end());

    if (text.front() == 'E')
        text.insert(0, 1, '1');

    if (const std::size_t e = text.find('E'); e != std::string::npos && e + 1 < text.size()) {
        const std::string typed = text.substr(e + 1);
        std::string exponent = typed;
        if (const std::size_t dot = exponent.find('.'); dot != std::string::npos)
            exponent.erase(dot, 1);
        if (exponentTooLarge(exponent))
            exponent = typed.substr(0, 2);
        text = text.substr(0, e + 1) + exponent;
    }
    return text;
}

} // namespace

const std::array<std::string_view, kUnitCategoryCount>& UnitCategoryNames() {
    return kCategoryNames;
}

std::string_view UnitCategoryName(UnitCategory category) {
    const auto number = static_cast<std::size_t>(category);
    return number < kCategoryNames.size() ? kCategoryNames[number] : std::string_view();
}

int UnitCount(UnitCategory category) {
    return static_cast<int>(unitTable(category).size());
}

long double ConvertToUnit(long double value, long double factor, long double offset) {
    return offset + value * factor;
}

long double ConvertFromUnit(long double display, long double factor, long double offset) {
    return (display - offset) / factor;
}

std::string UnitLabel(UnitCategory category, int unit) {
    const auto table = unitTable(category);
    return table.empty() ? std::string() : std::string(unitAt(table, unit).label);
}

std::string UnitKey(UnitCategory category, int unit) {
    const auto table = unitTable(category);
    return table.empty() ? std::string() : std::string(unitAt(table, unit).key);
}

std::string UnitFormat(UnitCategory category, int unit) {
    const auto table = unitTable(category);
    return table.empty() ? std::string("%0.1f") : std::string(unitAt(table, unit).format);
}

void UnitConversion(UnitCategory category, int unit, int refUnit, std::string& label,
                    double& factor, double& offset, std::string& format) {
    label = UnitLabel(category, unit);
    format = UnitFormat(category, unit);
    const auto table = unitTable(category);
    if (table.empty())
        return;
    // Every factor is positive, so the quotient is finite and non-zero.
    factor = unitAt(table, unit).factor / unitAt(table, refUnit).factor;
    offset = category == UnitCategory::Temperature ? unitAt(table, unit).offset : 0.0;
}

int ClampUnitIndex(UnitCategory category, int index) {
    const int count = UnitCount(category);
    if (count == 0)
        return index;
    return std::clamp(index, 0, count - 1);
}

bool IsTextFormat(std::string_view pattern) {
    return contains(pattern, 's') || contains(pattern, 'S');
}

bool IsIntegerFormat(std::string_view pattern) {
    return contains(pattern, 'd') || contains(pattern, 'D');
}

bool IsGeneralFormat(std::string_view pattern) {
    return contains(pattern, 'g') || contains(pattern, 'G');
}

bool IsRealFormat(std::string_view pattern) {
    return contains(pattern, 'f') || contains(pattern, 'F') || IsGeneralFormat(pattern);
}

bool IsPairFormat(std::string_view pattern) {
    return contains(pattern, '/');
}

int FormatDecimals(std::string_view pattern) {
    const std::size_t dot = pattern.find('.');
    const std::size_t at = dot == std::string_view::npos ? 0 : dot + 1;
    if (at >= pattern.size() || pattern[at] < '0' || pattern[at] > '9')
        return 0;
    return pattern[at] - '0';
}

int SignificantDecimals(int sigDigits, int maxDecimals, double value) {
    // Beyond 60 decimals a double has nothing more to show; the cap also bounds the text below.
    maxDecimals = std::clamp(maxDecimals, 0, 60);
    const std::string s = formatText("%0." + std::to_string(maxDecimals) + "f", {value});
    const std::size_t dot = s.find('.');
    const std::size_t width = dot == std::string::npos ? s.size() : dot;

    int decimals = 0;
    if (width == 1) {
        decimals = 3;
        for (std::size_t i = 2; i < s.size(); ++i) {
            if (s[i] != '0') {
                decimals = static_cast<int>(i) + 1;
                break;
            }
        }
    } else if (sigDigits > static_cast<int>(width)) {
        decimals = sigDigits - static_cast<int>(width);
    }
    return std::min(decimals, maxDecimals);
}

std::string SignificantFormat(int sigDigits, int maxDecimals, double value) {
    return "%0." + std::to_string(SignificantDecimals(sigDigits, maxDecimals, value)) + "f";
}

std::string RemoveBlanks(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text)
        if (c != ' ')
            result += c;
    return result;
}

std::string CleanNumberText(std::string_view text) {
    std::string blankless = RemoveBlanks(text);
    const std::size_t slash = blankless.find('/');
    if (slash == std::string::npos)
        return cleanSingleNumber(std::move(blankless));
    std::string second = blankless.substr(slash + 1);
    second.erase(std::remove(second.begin(), second.end(), '/'), second.end());
    return cleanSingleNumber(blankless.substr(0, slash)) + "/" +
           cleanSingleNumber(std::move(second));
}

bool SplitPair(std::string_view text, double& a, double& b) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        a = readReal(text);
        return false;
    }
    a = readReal(text.substr(0, slash));
    b = readReal(text.substr(slash + 1));
    return true;
}

std::string VariantText(const Variant& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* integer = std::get_if<std::int32_t>(&value))
        return formatText("%d", {*integer});
    return formatText("%0.15g", {std::get<double>(value)});
}

double VariantReal(const Variant& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return readReal(*text);
    if (const auto* integer = std::get_if<std::int32_t>(&value))
        return *integer;
    return std::get<double>(value);
}

} // namespace corvel
