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
};

// Viscosity and conductivity are listed ×1e6 (mg/m-s and mW/m-K). The regime row has no field.
const std::array<ResultFormat, kResultCount> kResultLines = {{
    {"Velocity", "%0.2f", "m/s", &FlowCase::Velocity, 1},
    {"Density", "%0.1f", "kg/m³", &FlowCase::Density, 1},
    {"Heat Capacity", "%0.3f", "kJ/kg·K", &FlowCase::SpecificHeat, 1},
    {"Dynamic Viscosity", "%0.0f", "mg/m-s", &FlowCase::Viscosity, 1000000},
    {"Conductivity", "%0.0f", "mW/m-K", &FlowCase::Conductivity, 1000000},
    {"Prandtl Number", "%0.2f", " -", &FlowCase::Prandtl, 1},
    {"Enthalpy", "%0.2f", "kJ/kg", &FlowCase::Enthalpy, 1},
    {"Saturation Pressure", "%0.3f", "kPa", &FlowCase::VapourPressure, 1},
    {"Diffusion Coefficient", "%0.3f", "cm²/s", &FlowCase::Diffusion, 1},
    {"Reynolds Number", "%0.0f", "-", &FlowCase::Reynolds, 1},
    {"Friction Factor", "%0.4g", "D'arcy", &FlowCase::Friction, 1},
    {"Moody Diagram", "%s", "Zone", nullptr, 1},
    {"Pressure Drop Rate", "%0.4g", "kPa/m", &FlowCase::PressureDrop, 1},
}};

const std::array<const char*, 5> kRegimeNames = {"Bad Data", "Smooth", "Transition", "Rough",
                                                 "Laminar"};

} // namespace

std::string RegimeName(int regime) {
    if (regime < -1 || regime > 3)
        return {};
    return kRegimeNames[static_cast<std::size_t>(regime + 1)];
}

ResultRows InitialResultRows() {
    ResultRows rows;
    for (std::size_t i = 0; i < kResultCount; ++i)
        rows[i] = {kResultLines[i].caption, i == kRegimeResultIndex ? "Turbulent" : "0",
                   kResultLines[i].units};
    return rows;
}

std::array<double, kResultCount> ResultValues(const FlowCase& flowCase) {
    std::array<double, kResultCount> values{};
    for (std::size_t i = 0; i < kResultCount; ++i) {
        const ResultFormat& line = kResultLines[i];
        values[i] = line.field ? flowCase.*line.field * line.scale : flowCase.Regime;
    }
    return values;
}

std::array<std::string, kResultCount> ResultValueTexts(const FlowCase& flowCase) {
    std::array<std::string, kResultCount> texts;
    for (std::size_t i = 0; i < kResultCount; ++i) {
        const ResultFormat& line = kResultLines[i];
        texts[i] = line.field ? formatText(line.format, {flowCase.*line.field * line.scale})
                              : formatText(line.format, {RegimeName(flowCase.Regime)});
    }
    return texts;
}

ResultRows MakeResultRows(const FlowCase& flowCase) {
    const auto values = ResultValueTexts(flowCase);
    ResultRows rows;
    for (std::size_t i = 0; i < kResultCount; ++i)
        rows[i] = {kResultLines[i].caption, values[i], kResultLines[i].units};
    return rows;
}

std::string ClipboardText(const ResultRows& rows) {
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
