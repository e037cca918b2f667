#include "units/UnitChoices.h"

#include "units/NumberText.h"

namespace corvel {

namespace {

using enum UnitCategory;

// A head of water [m] as the catalogue's pressures [kPa]: the column of water at 1000 kg/m³
// under standard gravity, as the catalogue's own "mHead" and "InchWg" count it.
constexpr double kHeadKpaPerMetre = 9.80665;

// clang-format off
// The pipe run keeps its pressures in Pa and its powers in W, where the catalogue starts from kPa
// and kW. Viscosity and conductivity are designed ×1e6 (mg/m-s and mW/m-K), which are the catalogue's
// µPa·s and mW/mK. Flowrate, diameter and roughness are read back scaled by 0.001, as the grid
// has always done.
constexpr std::array<QuantityInfo, kQuantityCount> kQuantities = {{
    {"flow",                WaterFlow,               1000, 0, "l/s",     "%0.3f", 1000,    0.001, 5},
    {"velocity",            Velocity,                1,    0, "m/s",     "%0.2f", 1,       1,     2},
    {"diameter",            Diameter,                1,    1, "mm",      "%0.1f", 1000,    0.001, 2},
    {"temperature",         Temperature,             1,    0, "°C",      "%0.1f", 1,       1,     1},
    {"roughness",           LengthSmall,             1000, 0, "mm",      "%0.5f", 1000,    0.001, 2},
    {"density",             Density,                 1,    0, "kg/m³",   "%0.1f", 1,       1,     2},
    {"heat_capacity",       SpecificHeat,            1,    0, "kJ/kg·K", "%0.3f", 1,       1,     1},
    {"dynamic_viscosity",   Viscosity,               1,    2, "mg/m-s",  "%0.0f", 1000000, 1e-6,    3},
    {"conductivity",        Conductivity,            1,    2, "mW/m-K",  "%0.0f", 1000000, 1e-6,    3},
    {"enthalpy",            Enthalpy,                1,    0, "kJ/kg",   "%0.2f", 1,       1,     1},
    {"saturation_pressure", PressureAbsoluteOrGauge, 1,    0, "kPa",     "%0.3f", 1,       1,     2},
    {"pressure_drop_rate",  PressureRateLiquid,      1000, 1, "kPa/m",   "%0.4g", 1,       1,     4},
    {"run_length",          LengthPrimary,           1,    0, "m",       "%0.2f", 1,       1,     4},
    {"run_pressure",        WaterPressureDrop,       0.001, 0, "kPa",    "%0.3f", 0.001,   1000,  2},
    {"run_head",            WaterPressureDrop,       kHeadKpaPerMetre, 7, "m", "%0.2f", 1, 1,     5},
    {"power",               Power,                   0.001, 0, "kW",     "%0.3f", 0.001,   1000,  2},
    {"line_pressure",       PressureAbsoluteOrGauge, 1,    0, "kPa",     "%0.3f", 1,       1,     2},
}};
// clang-format on

/// The catalogue's conversion of unit `unit` from the category's base unit.
struct Conversion {
    double factor = 1;
    double offset = 0;
    std::string label;
    std::string format;
};

Conversion catalogueConversion(UnitCategory category, int unit) {
    Conversion c;
    UnitConversion(category, unit, 0, c.label, c.factor, c.offset, c.format);
    return c;
}

} // namespace

std::span<const QuantityInfo, kCaseQuantityCount> Quantities() {
    return std::span<const QuantityInfo, kCaseQuantityCount>(kQuantities.data(),
                                                             kCaseQuantityCount);
}

const std::array<QuantityInfo, kQuantityCount>& AllQuantities() {
    return kQuantities;
}

const QuantityInfo& QuantityOf(Quantity quantity) {
    return kQuantities[static_cast<std::size_t>(quantity)];
}

std::optional<Quantity> FindQuantity(std::string_view key) {
    for (std::size_t i = 0; i < kQuantities.size(); ++i)
        if (kQuantities[i].key == key)
            return static_cast<Quantity>(i);
    return std::nullopt;
}

int FindUnitByKey(UnitCategory category, std::string_view key) {
    for (int unit = 0; unit < UnitCount(category); ++unit)
        if (UnitKey(category, unit) == key)
            return unit;
    return -1;
}

std::string UnitKeyList(UnitCategory category) {
    std::string list;
    for (int unit = 0; unit < UnitCount(category); ++unit) {
        if (unit > 0)
            list += ", ";
        list += UnitKey(category, unit);
    }
    return list;
}

UnitChoices::UnitChoices() {
    for (std::size_t i = 0; i < kQuantities.size(); ++i)
        units_[i] = kQuantities[i].designedUnit;
}

UnitChoices UnitChoices::Designed() {
    return {};
}

UnitChoices UnitChoices::UsCustomary() {
    UnitChoices choices;
    for (std::size_t i = 0; i < kQuantities.size(); ++i)
        choices.units_[i] = kQuantities[i].usUnit;
    return choices;
}

void UnitChoices::setUnit(Quantity quantity, int unit) {
    const QuantityInfo& info = QuantityOf(quantity);
    units_[index(quantity)] =
        unit >= 0 && unit < UnitCount(info.category) ? unit : info.designedUnit;
}

bool UnitChoices::isDesigned(Quantity quantity) const {
    return unit(quantity) == QuantityOf(quantity).designedUnit;
}

bool UnitChoices::allDesigned() const {
    return *this == UnitChoices();
}

std::string UnitChoices::label(Quantity quantity) const {
    const QuantityInfo& info = QuantityOf(quantity);
    return isDesigned(quantity) ? std::string(info.designedLabel)
                                : UnitLabel(info.category, unit(quantity));
}

std::string UnitChoices::format(Quantity quantity) const {
    const QuantityInfo& info = QuantityOf(quantity);
    return isDesigned(quantity) ? std::string(info.designedFormat)
                                : UnitFormat(info.category, unit(quantity));
}

double UnitChoices::toDisplay(Quantity quantity, double caseValue) const {
    const QuantityInfo& info = QuantityOf(quantity);
    // The designed unit keeps the designed arithmetic, so its texts are exactly as they were.
    if (isDesigned(quantity))
        return caseValue * info.designedScale;
    const Conversion c = catalogueConversion(info.category, unit(quantity));
    return static_cast<double>(ConvertToUnit(
        static_cast<long double>(caseValue) * info.catalogueScale, c.factor, c.offset));
}

double UnitChoices::fromDisplay(Quantity quantity, double display) const {
    const QuantityInfo& info = QuantityOf(quantity);
    if (isDesigned(quantity))
        return display * info.designedReadScale;
    const Conversion c = catalogueConversion(info.category, unit(quantity));
    return static_cast<double>(ConvertFromUnit(display, c.factor, c.offset) / info.catalogueScale);
}

std::string UnitChoices::text(Quantity quantity, double caseValue) const {
    return formatText(format(quantity), {toDisplay(quantity, caseValue)});
}

std::vector<std::pair<std::string, int>> UnitChoices::entries() const {
    std::vector<std::pair<std::string, int>> list;
    for (std::size_t i = 0; i < kQuantities.size(); ++i)
        list.emplace_back(std::string(kQuantities[i].key), units_[i]);
    return list;
}

} // namespace corvel
