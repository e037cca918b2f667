#pragma once

// The thirteen rows of the results list and the clipboard text built from them.

#include "units/UnitChoices.h"

#include <array>
#include <optional>
#include <span>
#include <string>

namespace corvel {

class FlowCase;

inline constexpr std::size_t kResultCount = 13;
inline constexpr std::size_t kRegimeResultIndex = 11;

/// One line of the results list.
struct ResultRow {
    std::string caption;
    std::string value;
    std::string units;
};

using ResultRows = std::array<ResultRow, kResultCount>;

/// What the list shows before the first solve: every value "0", the regime "Turbulent".
ResultRows InitialResultRows(const UnitChoices& units = {});

/// The quantity whose unit result line `index` is shown in; none for a line with a fixed unit
/// (Prandtl number, diffusion coefficient, Reynolds number, friction factor, regime).
std::optional<Quantity> ResultQuantity(std::size_t index);

/// The rows for a solved case, each value in its display format and in the unit the case's
/// unit choices give its line.
ResultRows MakeResultRows(const FlowCase& flowCase);

/// Only the value texts of those rows.
std::array<std::string, kResultCount> ResultValueTexts(const FlowCase& flowCase);
/// Appends value text `index` of ResultValueTexts to `out` without making a string for it.
void AppendResultValueText(const FlowCase& flowCase, std::size_t index, std::string& out);

/// The numbers behind the rows, in the list's units (the regime row holds its code).
std::array<double, kResultCount> ResultValues(const FlowCase& flowCase);

/// "Bad Data", "Smooth", "Transition", "Rough" or "Laminar" for the codes −1 to 3;
/// an empty text for any other code.
std::string RegimeName(int regime);

/// caption,value,units per row, each line ending in CR LF.
std::string ClipboardText(std::span<const ResultRow> rows);

} // namespace corvel
