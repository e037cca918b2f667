#include "app/SolvePipeRun.h"

#include "app/FlowCase.h"
#include "platform/Errors.h"
#include "units/NumberText.h"

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

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

void SetRunInput(PipeRunInputs& run, RunInput input, std::string_view text) {
    const std::string_view value = trimmed(text);
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
