#include "app/Results.h"

#include "app/FlowCase.h"
#include "units/NumberText.h"

namespace corvel {

namespace {

struct ResultFormat {
    const char* caption;
    const char* format;
    const char* units;
    double FlowCase::*field;
    double scale;
    int quantity; ///< the Quantity whose unit the line is shown in; -1 for a fixed unit
};

constexpr int q(Quantity quantity) {
    return static_cast<int>(quantity);
}

// Viscosity and conductivity are listed ×1e6 (mg/m-s and mW/m-K). The regime row has no field.
const std::array<ResultFormat, kResultCount> kResultLines = {{
    {"Velocity", "%0.2f", "m/s", &FlowCase::Velocity, 1, q(Quantity::Velocity)},
    {"Density", "%0.1f", "kg/m³", &FlowCase::Density, 1, q(Quantity::Density)},
    {"Heat Capacity", "%0.3f", "kJ/kg·K", &FlowCase::SpecificHeat, 1, q(Quantity::HeatCapacity)},
    {"Dynamic Viscosity", "%0.0f", "mg/m-s", &FlowCase::Viscosity, 1000000,
     q(Quantity::DynamicViscosity)},
    {"Conductivity", "%0.0f", "mW/m-K", &FlowCase::Conductivity, 1000000,
     q(Quantity::Conductivity)},
    {"Prandtl Number", "%0.2f", " -", &FlowCase::Prandtl, 1, -1},
    {"Enthalpy", "%0.2f", "kJ/kg", &FlowCase::Enthalpy, 1, q(Quantity::Enthalpy)},
    {"Saturation Pressure", "%0.3f", "kPa", &FlowCase::VapourPressure, 1,
     q(Quantity::SaturationPressure)},
    {"Diffusion Coefficient", "%0.3f", "cm²/s", &FlowCase::Diffusion, 1, -1},
    {"Reynolds Number", "%0.0f", "-", &FlowCase::Reynolds, 1, -1},
    {"Friction Factor", "%0.4g", "D'arcy", &FlowCase::Friction, 1, -1},
    {"Moody Diagram", "%s", "Zone", nullptr, 1, -1},
    {"Pressure Drop Rate", "%0.4g", "kPa/m", &FlowCase::PressureDrop, 1,
     q(Quantity::PressureDropRate)},
}};

const std::array<const char*, 5> kRegimeNames = {"Bad Data", "Smooth", "Transition", "Rough",
                                                 "Laminar"};

} // namespace

std::string RegimeName(int regime) {
    if (regime < -1 || regime > 3)
        return {};
    return kRegimeNames[static_cast<std::size_t>(regime + 1)];
}

namespace {

/// Whether a line shows in a unit other than its designed one.
bool inChosenUnit(const ResultFormat& line, const UnitChoices& units) {
    return line.quantity >= 0 && !units.isDesigned(static_cast<Quantity>(line.quantity));
}

std::string unitsText(const ResultFormat& line, const UnitChoices& units) {
    return inChosenUnit(line, units) ? units.label(static_cast<Quantity>(line.quantity))
                                     : std::string(line.units);
}

} // namespace

std::optional<Quantity> ResultQuantity(std::size_t index) {
    const int quantity = index < kResultCount ? kResultLines[index].quantity : -1;
    return quantity >= 0 ? std::optional<Quantity>(static_cast<Quantity>(quantity)) : std::nullopt;
}

ResultRows InitialResultRows(const UnitChoices& units) {
    ResultRows rows;
    for (std::size_t i = 0; i < kResultCount; ++i)
        rows[i] = {kResultLines[i].caption, i == kRegimeResultIndex ? "Turbulent" : "0",
                   unitsText(kResultLines[i], units)};
    return rows;
}

std::array<double, kResultCount> ResultValues(const FlowCase& flowCase) {
    std::array<double, kResultCount> values{};
    for (std::size_t i = 0; i < kResultCount; ++i) {
        const ResultFormat& line = kResultLines[i];
        if (!line.field)
            values[i] = flowCase.Regime;
        else if (inChosenUnit(line, flowCase.Units))
            values[i] = flowCase.Units.toDisplay(static_cast<Quantity>(line.quantity),
                                                 flowCase.*line.field);
        else
            values[i] = flowCase.*line.field * line.scale;
    }
    return values;
}

std::array<std::string, kResultCount> ResultValueTexts(const FlowCase& flowCase) {
    std::array<std::string, kResultCount> texts;
    for (std::size_t i = 0; i < kResultCount; ++i)
        AppendResultValueText(flowCase, i, texts[i]);
    return texts;
}

void AppendResultValueText(const FlowCase& flowCase, std::size_t index, std::string& out) {
    const ResultFormat& line = kResultLines[index];
    if (!line.field)
        appendFormatted(out, line.format, {RegimeName(flowCase.Regime)});
    else if (inChosenUnit(line, flowCase.Units))
        out += flowCase.Units.text(static_cast<Quantity>(line.quantity), flowCase.*line.field);
    else
        appendFormatted(out, line.format, {flowCase.*line.field * line.scale});
}

ResultRows MakeResultRows(const FlowCase& flowCase) {
    const auto values = ResultValueTexts(flowCase);
    ResultRows rows;
    for (std::size_t i = 0; i < kResultCount; ++i)
        rows[i] = {kResultLines[i].caption, values[i], unitsText(kResultLines[i], flowCase.Units)};
    return rows;
}

std::string ClipboardText(std::span<const ResultRow> rows) {
    std::string text;
    for (const ResultRow& row : rows) {
        text += row.caption;
        text += ',';
        text += row.value;
        text += ',';
        text += row.units;
        text += "\r\n";
    }
    return text;
}

} // namespace corvel
