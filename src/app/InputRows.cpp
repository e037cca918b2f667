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

std::string InputGridLine(const InputRowInfo& row) {
    return std::string(row.caption) + "; " + row.editFormat + "; " + row.units + "; NPE; " +
           limitText(row.min) + "; " + limitText(row.max);
}

std::pair<double, double> InputRowRange(int row, const UnitChoices& units) {
    const InputRowInfo& info = kInputRows[static_cast<std::size_t>(row - 1)];
    const Quantity quantity = InputQuantity(row);
    if (units.isDesigned(quantity))
        return {info.min, info.max};
    // The limits are decimal numbers of the designed unit; the case values they stand for are
    // converted into the chosen unit.
    const UnitChoices designed;
    return {roundedLimit(units.toDisplay(quantity, designed.fromDisplay(quantity, info.min))),
            roundedLimit(units.toDisplay(quantity, designed.fromDisplay(quantity, info.max)))};
}

std::string InputGridLine(int row, const UnitChoices& units) {
    const InputRowInfo& info = kInputRows[static_cast<std::size_t>(row - 1)];
    const Quantity quantity = InputQuantity(row);
    if (units.isDesigned(quantity))
        return InputGridLine(info);
    const auto [low, high] = InputRowRange(row, units);
    return std::string(info.caption) + "; " + units.format(quantity) + "; " +
           units.label(quantity) + "; NPE; " + limitText(low) + "; " + limitText(high);
}

std::vector<std::string> InputGridLines(const UnitChoices& units) {
    std::vector<std::string> lines{kInputGridHeader};
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
        lines.push_back(InputGridLine(row, units));
    return lines;
}

} // namespace corvel
