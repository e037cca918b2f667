#pragma once

// The pipe run as corvel-solve takes it: its inputs from option values or batch cells, and its
// seven result lines in kPa, m and kW.

#include "pipes/PipeRun.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace corvel {

class FlowCase;

/// `text` without the blanks and tabs around it, as corvel-solve reads a value of an option
/// or a batch cell.
std::string_view TrimmedValue(std::string_view text);

/// The inputs of a pipe run.
enum class RunInput { Length, Elevation, FittingsK, Fittings, PumpEfficiency };

/// An input with its option and its batch column.
struct RunInputName {
    RunInput input;
    std::string_view option;
    std::string_view column;
};

inline constexpr RunInputName kRunInputNames[] = {
    {RunInput::Length, "--length", "length_m"},
    {RunInput::Elevation, "--elevation", "elevation_m"},
    {RunInput::FittingsK, "--fittings-k", "fittings_k"},
    {RunInput::Fittings, "--fittings", "fittings"},
    {RunInput::PumpEfficiency, "--pump-efficiency", "pump_efficiency_pct"},
};

/// The largest fixed ΣK taken.
inline constexpr double kMaxFittingsK = 1e6;

/// Sets `input` of `run` from `text`: a length in m, a rise in m, a fixed ΣK, the fittings'
/// text form ("Valve gate*2;Elbow 90 deg threaded standard r/D=1*4") or an efficiency in %.
/// Throws EConvertError naming the input for a value that is no number or out of its range, and
/// FittingError for fittings it cannot read.
void SetRunInput(PipeRunInputs& run, RunInput input, std::string_view text);
/// As SetRunInput for a length or a rise given in unit `lengthUnit` of the "Length - Primary"
/// category (a batch column such as "length[ft]"): the value is taken in that unit, and its
/// range is checked and told in that unit too. Any other input ignores the unit.
void SetRunInput(PipeRunInputs& run, RunInput input, std::string_view text, int lengthUnit);

/// The run input a batch column names with a length unit in brackets: "length[KEY]" or
/// "elevation[KEY]" with KEY a unit of "Length - Primary"; `unit` is set to its index. None
/// for any other name; a known stem with an unknown key throws EConvertError listing the keys.
std::optional<RunInput> RunLengthColumn(std::string_view name, int& unit);

inline constexpr std::size_t kRunResultCount = 7;

/// A result line of a pipe run.
struct RunResultLine {
    const char* caption;
    const char* column;
    const char* units;
    const char* format;
};

inline constexpr std::array<RunResultLine, kRunResultCount> kRunResultLines = {{
    {"Friction Loss", "friction_loss", "kPa", "%0.3f"},
    {"Fittings Loss", "fittings_loss", "kPa", "%0.3f"},
    {"Static Pressure", "static_pressure", "kPa", "%0.3f"},
    {"Total Pressure Drop", "total_pressure_drop", "kPa", "%0.3f"},
    {"Total Head", "total_head", "m", "%0.2f"},
    {"Pump Power", "pump_power", "kW", "%0.3f"},
    {"Shaft Power", "shaft_power", "kW", "%0.3f"},
}};

/// The run's results for a solved case in kPa, m and kW, in line order. A run that loses
/// height overall needs no pump: its two powers are NaN.
std::array<double, kRunResultCount> RunResultValues(const FlowCase& flowCase,
                                                    const PipeRunInputs& run);

/// The text of result line `line` for `value`: its format, or "no pump needed" for the power of
/// a run that needs no pump.
std::string RunResultText(std::size_t line, double value);

} // namespace corvel
