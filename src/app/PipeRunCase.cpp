#include "app/PipeRunCase.h"

#include "platform/FloatFaults.h"
#include "units/NumberText.h"

#include <limits>

namespace corvel {

namespace {

std::size_t runIndex(int row) {
    return static_cast<std::size_t>(row - kPipeLengthRow);
}

/// The rows read from and shown in the grid's texts; the fittings row is the program's own.
constexpr int kTypedRows[] = {kPipeLengthRow, kElevationRiseRow, kPumpEfficiencyRow,
                              kLinePressureRow};

/// The run's result in line order, in base units (Pa, m, W).
std::array<double, kRunResultCount> resultValues(const PipeRunResult& r) {
    return {r.frictionLoss, r.fittingsLoss, r.staticPressure, r.totalPressureDrop,
            r.totalHead,    r.pumpPower,    r.shaftPower};
}

constexpr std::size_t kFirstPowerLine = 5;

} // namespace

std::string FittingsSumText(double sumK) {
    return formatText("ΣK %0.2f", {sumK});
}

std::string FittingsCountText(const FittingSet& fittings) {
    const int count = fittings.totalCount();
    std::string text = count == 0   ? std::string("no fittings")
                       : count == 1 ? std::string("1 fitting")
                                    : std::to_string(count) + " fittings";
    if (fittings.otherK != 0)
        text = count == 0 ? std::string("other K") : text + " + K";
    return text;
}

std::string PipeRunCase::InputText(int row, double value, const UnitChoices& units) {
    const std::optional<Quantity> quantity = RowQuantity(row);
    if (quantity && !units.isDesigned(*quantity))
        return units.text(*quantity, value);
    const InputRowInfo& info = InputRowOf(row);
    return formatText(info.showFormat, {value * info.displayScale});
}

double PipeRunCase::ReadInputText(int row, std::string_view text, const UnitChoices& units) {
    const double value = readReal(text);
    const std::optional<Quantity> quantity = RowQuantity(row);
    FloatFaultScope scope;
    if (quantity && !units.isDesigned(*quantity))
        return scope.result(units.fromDisplay(*quantity, value));
    // Divided rather than scaled: 70 % reads back as exactly the 0.7 it was shown from.
    const double scale = InputRowOf(row).displayScale;
    return scale == 1 ? value : scope.result(static_cast<long double>(value) / scale);
}

RunTexts PipeRunCase::ShowInputs(const FlowCase& flow) {
    const double values[kRunRowCount] = {Inputs.length, 0, Inputs.elevationRise,
                                         Inputs.pumpEfficiency, flow.LinePressure};
    RunTexts texts;
    for (const int row : kTypedRows) {
        const std::size_t i = runIndex(row);
        texts[i] = InputText(row, values[i], flow.Units);
        shown_[i] = {texts[i], values[i]};
    }
    texts[runIndex(kFittingsRow)] =
        FittingsSumText(Inputs.fittings.sumK(flow.Reynolds, flow.Diameter));
    return texts;
}

void PipeRunCase::ReadInputs(const RunTexts& texts, FlowCase& flow) {
    for (const int row : kTypedRows) {
        const std::size_t i = runIndex(row);
        const double value = !shown_[i].text.empty() && texts[i] == shown_[i].text
                                 ? shown_[i].value
                                 : ReadInputText(row, texts[i], flow.Units);
        switch (row) {
        case kPipeLengthRow:
            Inputs.length = value;
            break;
        case kElevationRiseRow:
            Inputs.elevationRise = value;
            break;
        case kPumpEfficiencyRow:
            Inputs.pumpEfficiency = value;
            break;
        default:
            flow.LinePressure = value;
            break;
        }
    }
}

void PipeRunCase::Solve(const FlowCase& flow) {
    const FlowState state{flow.Density,  flow.Velocity, flow.Friction,
                          flow.Diameter, flow.FlowRate, flow.Reynolds};
    solved_ = false;
    result_ = SolvePipeRun(state, Inputs);
    solved_ = true;
}

void PipeRunCase::Clear() {
    result_ = {};
    solved_ = false;
}

Quantity PipeRunCase::ResultQuantity(std::size_t line) {
    if (line == 4)
        return Quantity::RunHead;
    return line >= kFirstPowerLine ? Quantity::Power : Quantity::RunPressure;
}

RunResultRows PipeRunCase::ResultRows(const UnitChoices& units) const {
    const auto values = resultValues(result_);
    RunResultRows rows;
    for (std::size_t i = 0; i < kRunResultCount; ++i) {
        const Quantity quantity = ResultQuantity(i);
        std::string value = "0";
        if (solved_)
            value = i >= kFirstPowerLine && !result_.needsPump
                        ? RunResultText(i, std::numeric_limits<double>::quiet_NaN())
                        : units.text(quantity, values[i]);
        rows[i] = {kRunResultLines[i].caption, value, units.label(quantity)};
    }
    return rows;
}

std::vector<ValidityNote> PipeRunCase::Notes(const FlowCase& flow) const {
    std::vector<ValidityNote> notes;
    if (!solved_ || !(flow.Density > 0))
        return notes;
    // Fittings Loss and every line that adds it up: the total, the head and the two powers.
    unsigned lines = 0;
    for (const unsigned line : {1U, 3U, 4U, 5U, 6U})
        lines |= 1U << (kFirstRunLineBit + line);
    for (const FittingCount& item : Inputs.fittings.items()) {
        const double full = item.fitting->fullOpeningVelocity(flow.Density);
        if (!(flow.Velocity < full))
            continue;
        notes.push_back({"check-valve", NoteSeverity::Caution, lines,
                         formatText("The %s is not fully open at %0.2f m/s: it opens fully from "
                                    "%0.2f m/s on, and below that its loss is higher than its K "
                                    "gives.",
                                    {std::string(item.fitting->name), flow.Velocity, full})});
    }
    return notes;
}

} // namespace corvel
