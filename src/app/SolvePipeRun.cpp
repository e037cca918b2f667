#include "app/SolvePipeRun.h"

#include "app/FlowCase.h"
#include "platform/Errors.h"
#include "units/NumberText.h"
#include "units/UnitChoices.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvel {

namespace {

/// `text` read as a number within `min` to `max`, or EConvertError naming `caption`.
double readRunValue(std::string_view text, const char* caption, double min, double max,
                    const char* units) {
    double x = 0;
    try {
        x = readReal(text);
    } catch (const EConvertError&) {
        throw EConvertError(std::string(caption) + ": '" + std::string(text) +
                            "' is not a valid floating point value");
    }
    if (!(x >= min && x <= max))
        throw EConvertError(formatText("%s: %s is outside the range %0.6g to %0.6g %s",
                                       {caption, std::string(text), min, max, units}));
    return x;
}

} // namespace

std::string_view TrimmedValue(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

void SetRunInput(PipeRunInputs& run, RunInput input, std::string_view text) {
    const std::string_view value = TrimmedValue(text);
    switch (input) {
    case RunInput::Length:
        run.length =
            readRunValue(value, "Pipe Length", kPipeLengthRange.min, kPipeLengthRange.max, "m");
        return;
    case RunInput::Elevation:
        run.elevationRise = readRunValue(value, "Elevation Rise", kElevationRiseRange.min,
                                         kElevationRiseRange.max, "m");
        return;
    case RunInput::FittingsK:
        run.fittings.otherK = readRunValue(value, "Fittings K", 0, kMaxFittingsK, "-");
        return;
    case RunInput::Fittings: {
        const double otherK = run.fittings.otherK;
        run.fittings = FittingSet::parse(value);
        run.fittings.otherK = otherK;
        return;
    }
    case RunInput::PumpEfficiency:
        run.pumpEfficiency = readRunValue(value, "Pump Efficiency", kPumpEfficiencyRange.min * 100,
                                          kPumpEfficiencyRange.max * 100, "%") /
                             100;
        return;
    }
}

void SetRunInput(PipeRunInputs& run, RunInput input, std::string_view text, int lengthUnit) {
    if (input != RunInput::Length && input != RunInput::Elevation) {
        SetRunInput(run, input, text);
        return;
    }
    UnitChoices units;
    units.setUnit(Quantity::RunLength, lengthUnit);
    if (units.isDesigned(Quantity::RunLength)) {
        SetRunInput(run, input, text);
        return;
    }
    const bool length = input == RunInput::Length;
    const InputRange range = length ? kPipeLengthRange : kElevationRiseRange;
    const std::string label = units.label(Quantity::RunLength);
    const double shown =
        readRunValue(TrimmedValue(text), length ? "Pipe Length" : "Elevation Rise",
                     units.toDisplay(Quantity::RunLength, range.min),
                     units.toDisplay(Quantity::RunLength, range.max), label.c_str());
    // The range was checked in the unit given; the metres it converts to stay within it.
    const double metres =
        std::clamp(units.fromDisplay(Quantity::RunLength, shown), range.min, range.max);
    (length ? run.length : run.elevationRise) = metres;
}

std::optional<RunInput> RunLengthColumn(std::string_view name, int& unit) {
    static constexpr std::pair<std::string_view, RunInput> kStems[] = {
        {"length[", RunInput::Length}, {"elevation[", RunInput::Elevation}};
    for (const auto& [stem, input] : kStems) {
        if (!name.starts_with(stem) || !name.ends_with(']'))
            continue;
        const std::string_view key = name.substr(stem.size(), name.size() - stem.size() - 1);
        unit = FindUnitByKey(UnitCategory::LengthPrimary, key);
        if (unit < 0)
            throw EConvertError("unknown unit '" + std::string(key) + "' of " +
                                std::string(stem.substr(0, stem.size() - 1)) +
                                " (known: " + UnitKeyList(UnitCategory::LengthPrimary) + ")");
        return input;
    }
    return std::nullopt;
}

std::array<double, kRunResultCount> RunResultValues(const FlowCase& c, const PipeRunInputs& run) {
    const FlowState flow{c.Density, c.Velocity, c.Friction, c.Diameter, c.FlowRate, c.Reynolds};
    const PipeRunResult r = SolvePipeRun(flow, run);
    const double none = std::numeric_limits<double>::quiet_NaN();
    return {r.frictionLoss / 1000,
            r.fittingsLoss / 1000,
            r.staticPressure / 1000,
            r.totalPressureDrop / 1000,
            r.totalHead,
            r.needsPump ? r.pumpPower / 1000 : none,
            r.needsPump ? r.shaftPower / 1000 : none};
}

std::string RunResultText(std::size_t line, double value) {
    if (std::isnan(value))
        return "no pump needed";
    return formatText(kRunResultLines[line].format, {value});
}

} // namespace corvel
