#pragma once

// How far each figure of a solved case can be trusted: the validity range of every correlation
// as data, and the notes a case earns where it leaves one of them.

#include "physics/WaterProperties.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvel {

/// An interval of one quantity; each end open or closed.
struct ValidityRange {
    double low;
    double high;
    bool lowClosed;
    bool highClosed;

    /// Whether x lies inside; false for NaN.
    constexpr bool contains(double x) const {
        const bool aboveLow = lowClosed ? x >= low : x > low;
        const bool belowHigh = highClosed ? x <= high : x < high;
        return aboveLow && belowHigh;
    }
};

/// A correlation, the quantity its range is in, the range and where the formula comes from.
struct CorrelationValidity {
    std::string_view name;
    std::string_view quantity;
    ValidityRange range;
    std::string_view source;
};

/// The simple water correlations: fitted between 0 and 100 °C. At or below 0 °C viscosity and
/// conductivity take fixed guard values; above 100 °C the fits drift from the reference.
inline constexpr ValidityRange kSimpleWaterRange{0, 100, false, true}; // °C
/// IAPWS-IF97 region 1: 273.15 K to 623.15 K (up to 100 MPa); the transport formulations reach
/// further, so region 1 bounds the IAPWS choice.
inline constexpr ValidityRange kIapwsWaterRange{0, 350, true, true}; // °C
/// Below this temperature liquid water is supercooled [°C].
inline constexpr double kFreezingPoint = 0;
/// Laminar flow, Hagen–Poiseuille 64/Re.
inline constexpr ValidityRange kLaminarRange{0, 2300, false, false}; // Re
/// Transition zone: neither the laminar nor a turbulent friction factor is reliable.
inline constexpr ValidityRange kTransitionZone{2300, 4000, true, false}; // Re
/// Colebrook–White and the smooth and fully rough laws: the turbulent part of the Moody chart.
inline constexpr ValidityRange kTurbulentRange{4000, 1e8, true, true}; // Re
/// Relative roughness k/D the Moody chart covers.
inline constexpr ValidityRange kMoodyRoughnessRange{0, 0.05, true, true}; // -
/// Velocity a water line is usually designed for: slower lets solids settle, faster is noisy
/// and erodes fittings.
inline constexpr ValidityRange kDesignVelocityRange{0.3, 3, true, true}; // m/s

/// Every correlation with its range and source, in the order a help page lists them.
inline constexpr CorrelationValidity kCorrelationValidity[] = {
    {"Water properties, simple correlations", "temperature [°C]", kSimpleWaterRange,
     "closed-form fits to tabulated properties of liquid water"},
    {"Density, heat capacity, enthalpy (IAPWS reference)", "temperature [°C]", kIapwsWaterRange,
     "IAPWS R7-97(2012), IAPWS-IF97 region 1"},
    {"Saturation pressure (IAPWS reference)",
     "temperature [°C]",
     {0, 373.946, true, true},
     "IAPWS R7-97(2012), IAPWS-IF97 region 4"},
    {"Viscosity (IAPWS reference)",
     "temperature [°C]",
     {0, 900, true, true},
     "IAPWS R12-08, IAPWS Formulation 2008 for the Viscosity of Ordinary Water Substance"},
    {"Thermal conductivity (IAPWS reference)",
     "temperature [°C]",
     {0, 900, true, true},
     "IAPWS R15-11, IAPWS Formulation 2011 for the Thermal Conductivity of Ordinary Water "
     "Substance, without the critical enhancement"},
    {"Laminar friction factor 64/Re", "Reynolds number", kLaminarRange, "Hagen–Poiseuille"},
    {"Transition zone", "Reynolds number", kTransitionZone,
     "no reliable friction factor; the turbulent value is used"},
    {"Turbulent friction factor", "Reynolds number", kTurbulentRange,
     "Colebrook–White; Prandtl–Kármán smooth law; von Kármán–Nikuradse fully rough law"},
    {"Relative roughness", "k/D", kMoodyRoughnessRange, "range of the Moody chart"},
    {"Design velocity", "velocity [m/s]", kDesignVelocityRange, "common water-line practice"},
};

/// How far one simple correlation reads from the IAPWS reference at one temperature, at
/// 101.325 kPa (saturated liquid where the water would boil there): (simple / IAPWS − 1) in %,
/// rounded to `decimals` decimals.
struct SimpleDeviation {
    double temperature; ///< °C
    std::string_view property;
    double WaterState::*value;
    double percent;
    int decimals;
};

/// The deviations the notes on the simple correlations quote.
inline constexpr SimpleDeviation kSimpleDeviations[] = {
    {0, "conductivity", &WaterState::conductivity, 27, 0},
    {0, "Prandtl number", &WaterState::prandtl, -21, 0},
    {100, "viscosity", &WaterState::viscosity, -2.6, 1},
    {100, "saturation pressure", &WaterState::vapourPressure, 0.7, 1},
    {200, "viscosity", &WaterState::viscosity, -15, 0},
    {200, "Prandtl number", &WaterState::prandtl, -10, 0},
    {200, "enthalpy", &WaterState::enthalpy, 19, 0},
    {200, "heat capacity", &WaterState::specificHeat, 12, 0},
    {200, "conductivity", &WaterState::conductivity, 6.5, 1},
    {200, "saturation pressure", &WaterState::vapourPressure, 5.8, 1},
    {200, "density", &WaterState::density, 2.4, 1},
};

/// How serious a note is; the larger, the more serious.
enum class NoteSeverity {
    Hint = 0,    ///< a design hint; the figures are sound
    Caution = 1, ///< figures less accurate than usual
    Warning = 2, ///< a figure cannot be relied on
};

/// Result lines a note marks, one bit each. The first thirteen follow the results list's order
/// (bit i marks row i); the flowrate and the diameter are input rows a solve may derive.
enum ResultLine : unsigned {
    kLineVelocity = 1U << 0,
    kLineDensity = 1U << 1,
    kLineHeatCapacity = 1U << 2,
    kLineViscosity = 1U << 3,
    kLineConductivity = 1U << 4,
    kLinePrandtl = 1U << 5,
    kLineEnthalpy = 1U << 6,
    kLineSaturationPressure = 1U << 7,
    kLineDiffusion = 1U << 8,
    kLineReynolds = 1U << 9,
    kLineFriction = 1U << 10,
    kLineMoodyZone = 1U << 11,
    kLinePressureDrop = 1U << 12,
    kLineFlowRate = 1U << 13,
    kLineDiameter = 1U << 14,
};

/// The lines a pipe run adds after the thirteen have bits of their own from here on: bit
/// kFirstRunLineBit + i marks the run's line i, clear of the input rows' bits.
inline constexpr unsigned kFirstRunLineBit = 15;

/// One note on a solved case.
struct ValidityNote {
    std::string_view code; ///< short stable code, e.g. "transition"
    NoteSeverity severity;
    unsigned lines;   ///< ResultLine bits of the lines it marks
    std::string text; ///< complete sentences for the report and the tooltip
};

/// A note code with its severity and a one-line summary, for a command line's help.
struct NoteKind {
    std::string_view code;
    NoteSeverity severity;
    std::string_view summary;
};

/// Every note a case can earn, in the order ValidityNotes lists them.
inline constexpr NoteKind kNoteKinds[] = {
    {"transition", NoteSeverity::Warning,
     "Reynolds number in the transition zone (2300 to 4000): friction factor uncertain."},
    {"boiling", NoteSeverity::Warning,
     "Line pressure below the saturation pressure: the water would boil."},
    {"derived-range", NoteSeverity::Warning,
     "A derived flowrate, velocity or diameter lies outside its row's range."},
    {"supercooled", NoteSeverity::Caution, "Temperature below 0 °C: supercooled water."},
    {"cold-simple", NoteSeverity::Caution,
     "Simple correlations at or below 0 °C: conductivity and Prandtl number off by over 20 %."},
    {"hot-simple", NoteSeverity::Caution,
     "Simple correlations above 100 °C: properties drift from the IAPWS reference."},
    {"rough-kd", NoteSeverity::Caution,
     "Relative roughness k/D above 0.05, beyond the Moody chart."},
    {"fast", NoteSeverity::Hint, "Velocity above 3 m/s: noise and erosion."},
    {"slow", NoteSeverity::Hint, "Velocity below 0.3 m/s: settling."},
};

/// The plain values of a solved case the notes look at.
struct ValidityCase {
    double temperature = 0;       ///< mean water temperature [°C]
    double reynolds = 0;          ///< -
    double relativeRoughness = 0; ///< k/D [-]
    double velocity = 0;          ///< m/s
    bool boiling = false;         ///< line pressure below the saturation pressure
    WaterModel water = WaterModel::Simple;
    bool flowRateOutOfRange = false; ///< the flowrate was derived and lies outside its row
    bool velocityOutOfRange = false; ///< the velocity was derived and lies outside its row
    bool diameterOutOfRange = false; ///< the diameter was derived and lies outside its row
};

/// The notes a case earns, in the order of kNoteKinds; empty when every figure is sound.
/// Never throws for want of a value: a NaN earns no note.
std::vector<ValidityNote> ValidityNotes(const ValidityCase& c);

/// The most serious of the notes (the first of equal severity); nullptr for none.
const ValidityNote* MostSeriousNote(const std::vector<ValidityNote>& notes);

/// The notes' codes joined by ";", empty for none.
std::string NoteCodes(const std::vector<ValidityNote>& notes);

/// By how much [%] the laminar 64/Re differs from the turbulent friction factor the solve uses
/// at this Reynolds number and relative roughness, relative to the turbulent one. Throws
/// EMathError where the friction laws fault (an infinite k/D), as the solve would.
double TransitionSpread(double reynolds, double relativeRoughness);

} // namespace corvel
