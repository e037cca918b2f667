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

} // namespace

std::string InputGridLine(const InputRowInfo& row) {
    return std::string(row.caption) + "; " + row.editFormat + "; " + row.units + "; NPE; " +
           limitText(row.min) + "; " + limitText(row.max);
}

std::vector<std::string> InputGridLines() {
    std::vector<std::string> lines{kInputGridHeader};
    for (const InputRowInfo& row : kInputRows)
        lines.push_back(InputGridLine(row));
    return lines;
}

} // namespace corvel
