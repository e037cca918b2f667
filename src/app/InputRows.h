#pragma once

// The input rows of a flow case, in one table: what the input grid shows and admits in each
// row, how the case writes a value back, and the unit category of its quantity; and the rows of
// the pipe run the grid adds below them when the pipe run is shown. The grid's definition lines
// are generated from the tables.

#include "units/QxConv.h"
#include "units/UnitChoices.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvel {

/// Rows of the input grid.
enum InputRow : int {
    kFlowRateRow = 1,
    kVelocityRow = 2,
    kDiameterRow = 3,
    kTemperatureRow = 4,
    kRoughnessRow = 5,
    // The pipe run's rows, shown only with the pipe run on.
    kPipeLengthRow = 6,
    kFittingsRow = 7,
    kElevationRiseRow = 8,
    kPumpEfficiencyRow = 9,
    kLinePressureRow = 10,
};

/// The number of pipe-run rows and the last of them.
inline constexpr int kRunRowCount = 5;
inline constexpr int kLastRunRow = kLinePressureRow;

/// What the input grid shows and admits in one row: how a typed value is committed
/// (`editFormat` within `min`–`max`, in display units) and how the case writes it back.
struct InputRowInfo {
    const char* caption;
    const char* units;
    const char* editFormat;
    double min;
    double max;
    const char* showFormat;
    double displayScale; ///< display value = base value × displayScale
    double baseScale;    ///< base value = display value × baseScale
    /// The unit catalogue's category of the row's quantity; `units` is its label in the
    /// display unit.
    UnitCategory category;
};

/// The quantity whose unit row `row` (1 to 5) is shown in.
constexpr Quantity InputQuantity(int row) {
    constexpr Quantity kQuantities[] = {Quantity::Flow, Quantity::Velocity, Quantity::Diameter,
                                        Quantity::Temperature, Quantity::Roughness};
    return kQuantities[row - 1];
}

/// Rows 1 to 5 of the input grid (index 0 holds row 1).
inline constexpr std::array<InputRowInfo, 5> kInputRows = {{
    // l/s and mm are read back scaled by 0.001, not divided by 1000.
    {"Water Flowrate", "l/s", "%0.4f", 0.01, 5000, "%0.3f", 1000, 0.001, UnitCategory::WaterFlow},
    {"Water Velocity", "m/s", "%0.3f", 0.01, 50, "%0.2f", 1, 1, UnitCategory::Velocity},
    {"Inside Diameter", "mm", "%0.2f", 0.10, 5000, "%0.1f", 1000, 0.001, UnitCategory::Diameter},
    {"Mean Temperature", "°C", "%0.1f", -20, 200, "%0.1f", 1, 1, UnitCategory::Temperature},
    {"Surface Roughness", "mm", "%0.5f", 0.0001, 200, "%0.5f", 1000, 0.001,
     UnitCategory::LengthSmall},
}};

/// Rows 6 to 10, the pipe run's (index 0 holds row 6). The fittings row holds no number: its
/// button opens the fittings editor and its value shows their ΣK. The efficiency is kept as a
/// fraction and shown in per cent; the line pressure is absolute.
inline constexpr std::array<InputRowInfo, kRunRowCount> kRunInputRows = {{
    {"Pipe Length", "m", "%0.3f", 0, 100000, "%0.2f", 1, 1, UnitCategory::LengthPrimary},
    {"Fittings", "", "%S", 0, 0, "%S", 1, 1, UnitCategory::None},
    {"Elevation Rise", "m", "%0.3f", -10000, 10000, "%0.2f", 1, 1, UnitCategory::LengthPrimary},
    {"Pump Efficiency", "%", "%0.1f", 1, 100, "%0.1f", 100, 0.01, UnitCategory::None},
    {"Line Pressure", "kPa", "%0.3f", 1, 100000, "%0.3f", 1, 1,
     UnitCategory::PressureAbsoluteOrGauge},
}};

/// The row information of any row, 1 to 10.
const InputRowInfo& InputRowOf(int row);

/// The quantity whose unit row `row` (1 to 10) is shown in; none for the fittings and the pump
/// efficiency, whose units are fixed.
std::optional<Quantity> RowQuantity(int row);

/// The header of the input grid's definition lines.
inline constexpr const char* kInputGridHeader = "Property; Value; Units";

/// The entry grid's definition line of one row, delimited by ";":
/// "caption; edit format; units; NPE; min; max", for example
/// "Water Flowrate; %0.4f; l/s; NPE; 0.01; 5000".
std::string InputGridLine(const InputRowInfo& row);

/// The definition line of input row `row` (1 to 10) in the unit `units` choose for it: in its
/// designed unit exactly InputGridLine; in another unit that unit's format and label, and the
/// row's range converted into it.
std::string InputGridLine(int row, const UnitChoices& units);

/// The range of input row `row` (1 to 10) in the unit `units` choose for it: {min, max}.
std::pair<double, double> InputRowRange(int row, const UnitChoices& units);

/// The input grid's definition lines, the header first and then rows 1 to 5, and rows 6 to 10
/// when `pipeRun`.
std::vector<std::string> InputGridLines(const UnitChoices& units = {}, bool pipeRun = false);

} // namespace corvel
