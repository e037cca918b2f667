#pragma once

// The unit catalogue (54 categories of physical quantity, each with its ordered list of display
// units), the conversions between a base unit and a display unit, and the number-text operations
// that every formatted value display rests on. Plain C++: no Qt.
//
// A value v in a category's base unit reads x = v × Factor + Offset in a display unit; the
// identity pair is Factor 1, Offset 0. Labels are UTF-8.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace corvel {

/// The kind of physical quantity a value is. The number is the category's identity; 0 stands
/// for an unbound value without units.
enum class UnitCategory : std::uint8_t {
    None,
    AirFlowPrimary,
    AirFlowSecondary,
    AirFlowSmall,
    AirFlowRate,
    AirPressureDrop,
    Altitude,
    AngularSpeed,
    Area,
    CondensateRate,
    Conductance,
    Conductivity,
    Density,
    Diameter,
    DutyPrimary,
    DutySecondary,
    DutyRate,
    Energy,
    Enthalpy,
    FinDensity,
    HeatOfRespiration,
    HeatTransferCoefficient,
    Humidity,
    LengthBig,
    LengthMeasurement,
    LengthPrimary,
    LengthSecondary,
    LengthSmall,
    Mass,
    MassFlow,
    MassFlowRefrigSteam,
    MassFlux,
    MetabolicRate,
    PeopleDensity,
    Power,
    PressureAbsoluteOrGauge,
    PressureBarometric,
    PressureSteam,
    PressureRateGas,
    PressureRateLiquid,
    Proportion,
    SpecificHeat,
    SpecificVolume,
    Temperature,
    TemperatureChange,
    ThermalCapacity,
    ThermalResistance,
    Time,
    Velocity,
    Viscosity,
    Volume,
    FluidVolume,
    WaterFlow,
    WaterPressureDrop,
};

inline constexpr int kUnitCategoryCount = 54;

/// The display names of the categories, indexed by category number ("None", "Air Flow -
/// Primary", ..., "Water Pressure Drop").
const std::array<std::string_view, kUnitCategoryCount>& UnitCategoryNames();

/// The display name of a category; empty for a number outside 0..53.
std::string_view UnitCategoryName(UnitCategory category);

/// The number of units of a category (2 to 8); 0 for "None" and for a number outside 0..53.
int UnitCount(UnitCategory category);

// ---- Conversion --------------------------------------------------------------------------------

/// The display value of `value`: offset + value × factor, in extended precision.
long double ConvertToUnit(long double value, long double factor, long double offset);

/// The base value of the display value `display`: (display − offset) / factor. A factor of 0
/// gives an infinity or NaN, which callers that store doubles turn into a math error.
long double ConvertFromUnit(long double display, long double factor, long double offset);

// ---- Catalogue lookups -------------------------------------------------------------------------
// A unit index outside the category's table is brought into it as ClampUnitIndex does, so a
// lookup never reads outside the catalogue. A category outside 0..53 counts as "None".

/// The label shown beside a value in unit `unit` (for example "kJ/kg"); empty for "None".
std::string UnitLabel(UnitCategory category, int unit);

/// The plain-ASCII key of a unit (for example "kJperkg"); empty for "None".
std::string UnitKey(UnitCategory category, int unit);

/// The format pattern of a unit (for example "%0.1f"); "%0.1f" for "None".
std::string UnitFormat(UnitCategory category, int unit);

/// The label, conversion pair and format of unit `unit` for values kept in unit `refUnit`:
/// factor = factor(unit) / factor(refUnit), offset = offset(unit) for "Temperature" and 0 for
/// every other category. For "None" the label is empty, the format "%0.1f", and `factor` and
/// `offset` are left as they were.
void UnitConversion(UnitCategory category, int unit, int refUnit, std::string& label,
                    double& factor, double& offset, std::string& format);

/// `index` brought into 0..UnitCount(category) − 1; unchanged for "None".
int ClampUnitIndex(UnitCategory category, int index);

// ---- Format classes ----------------------------------------------------------------------------
// A pattern's classes are found by the letters it contains anywhere; a pattern can be of several
// classes at once ("%S/%d" is text, integer and pair).

/// Contains "s" or "S".
bool IsTextFormat(std::string_view pattern);
/// Contains "d" or "D".
bool IsIntegerFormat(std::string_view pattern);
/// Contains "g" or "G".
bool IsGeneralFormat(std::string_view pattern);
/// Contains "f" or "F", or is general.
bool IsRealFormat(std::string_view pattern);
/// Contains "/": takes two numbers.
bool IsPairFormat(std::string_view pattern);

// ---- Number text -------------------------------------------------------------------------------

/// The digit that follows the first "." of the pattern (the pattern's first character when it
/// has no "."); 0 when that character is missing or not a digit. "%0.4f" gives 4, "%S" gives 0.
int FormatDecimals(std::string_view pattern);

/// The decimals with which `value` shows about `sigDigits` significant digits, at most
/// `maxDecimals` (taken as 0 when negative). A value with one character before the point shows
/// its first non-zero decimal and the two after it (0.05 gives 4); otherwise sigDigits minus the
/// count of characters before the point, a minus sign included (12.345 with 5 gives 3).
int SignificantDecimals(int sigDigits, int maxDecimals, double value);

/// "%0.Nf" with N = SignificantDecimals(sigDigits, maxDecimals, value).
std::string SignificantFormat(int sigDigits, int maxDecimals, double value);

/// The text with every space character removed.
std::string RemoveBlanks(std::string_view text);

/// Normalises typed number text so that the real reader accepts as many inputs as possible:
/// blanks removed, "e" made "E", surplus "/", "E", "." and misplaced "-" deleted, an empty text
/// made "0", a leading "E" given a "1", and an exponent beyond ±300 cut to its first two
/// characters. A pair "a/b" is cleaned part by part. Throws EConvertError when what follows the
/// "E" is not an integer (for example "1E-").
std::string CleanNumberText(std::string_view text);

/// Reads "a" or "a/b". Without "/" reads `a`, leaves `b` alone and returns false; otherwise
/// reads both parts and returns true. Throws EConvertError when a part is not a real number.
bool SplitPair(std::string_view text, double& a, double& b);

// ---- Tagged value ------------------------------------------------------------------------------

/// A value passed between editors and their users: text (UTF-8), a double or a 32-bit integer.
using Variant = std::variant<std::string, double, std::int32_t>;

/// The value as text: a text as it is, an integer in decimal, a double with up to 15
/// significant digits.
std::string VariantText(const Variant& value);

/// The value as a double: an integer or double as it is, a text read with the real reader
/// (throws EConvertError when it is not a number).
double VariantReal(const Variant& value);

} // namespace corvel
