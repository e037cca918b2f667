#include "app/InputRows.h"

#include <charconv>

namespace corvel {

namespace {

/// The shortest plain decimal text that reads back as `value` ("0.0001", "5000", "-20").
std::string limitText(double value) {
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

/// `value` to 12 significant digits: a limit converted into another unit loses the noise of the
/// conversion's arithmetic (−20 °C is −4 °F, not −4.000000000000001).
double roundedLimit(double value) {
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12);
    double rounded = value;
    if (error == std::errc())
        std::from_chars(buffer, end, rounded);
    return rounded;
}

} // namespace

const InputRowInfo& InputRowOf(int row) {
    if (row > kRoughnessRow)
        return kRunInputRows.at(static_cast<std::size_t>(row - kPipeLengthRow));
    return kInputRows.at(static_cast<std::size_t>(row - 1));
}

std::optional<Quantity> RowQuantity(int row) {
    switch (row) {
    case kPipeLengthRow:
    case kElevationRiseRow:
        return Quantity::RunLength;
    case kLinePressureRow:
        return Quantity::LinePressure;
    case kFittingsRow:
    case kPumpEfficiencyRow:
        return std::nullopt;
    default:
        return InputQuantity(row);
    }
}

std::string InputGridLine(const InputRowInfo& row) {
    // A row of text (the fittings): shown by the program, edited through its button only.
    if (IsTextFormat(row.editFormat))
        return std::string(row.caption) + "; %S; " + row.units + "; PE";
    return std::string(row.caption) + "; " + row.editFormat + "; " + row.units + "; NPE; " +
           limitText(row.min) + "; " + limitText(row.max);
}

std::pair<double, double> InputRowRange(int row, const UnitChoices& units) {
    const InputRowInfo& info = InputRowOf(row);
    const std::optional<Quantity> rowQuantity = RowQuantity(row);
    if (!rowQuantity || units.isDesigned(*rowQuantity))
        return {info.min, info.max};
    const Quantity quantity = *rowQuantity;
    // The limits are decimal numbers of the designed unit; the case values they stand for are
    // converted into the chosen unit.
    const UnitChoices designed;
    return {roundedLimit(units.toDisplay(quantity, designed.fromDisplay(quantity, info.min))),
            roundedLimit(units.toDisplay(quantity, designed.fromDisplay(quantity, info.max)))};
}

std::string InputGridLine(int row, const UnitChoices& units) {
    const InputRowInfo& info = InputRowOf(row);
    const std::optional<Quantity> rowQuantity = RowQuantity(row);
    if (!rowQuantity || units.isDesigned(*rowQuantity))
        return InputGridLine(info);
    const Quantity quantity = *rowQuantity;
    const auto [low, high] = InputRowRange(row, units);
    return std::string(info.caption) + "; " + units.format(quantity) + "; " +
           units.label(quantity) + "; NPE; " + limitText(low) + "; " + limitText(high);
}

std::vector<std::string> InputGridLines(const UnitChoices& units, bool pipeRun) {
    std::vector<std::string> lines{kInputGridHeader};
    const int last = pipeRun ? kLastRunRow : kRoughnessRow;
    for (int row = kFlowRateRow; row <= last; ++row)
        lines.push_back(InputGridLine(row, units));
    return lines;
}

} // namespace corvel
