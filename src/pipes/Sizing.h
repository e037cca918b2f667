#pragma once

// Sizing for a pressure-drop limit: the flowrate a pipe of given diameter carries at an allowed
// pressure gradient (or total pressure drop of a run), or the diameter a given flowrate needs,
// exact or as the smallest standard size of a pipe table that meets the limit.
//
// Every evaluation is a forward solve with the flow case's own steps (area, velocity, Reynolds
// number, friction factor by regime, Darcy–Weisbach gradient), so a sized case solves back to the
// limit. The root is found by Brent's method on a bracket, in logarithms of the flowrate or
// diameter, to 1e-10 relative.
//
// The relation is monotonic between the points where the friction factor changes formula:
// - At Re = 2300 the gradient jumps up (64/Re below, the turbulent factor above). A limit inside
//   the jump is met by no flowrate exactly; the answer is the edge of the jump on the side that
//   meets the limit (the largest laminar flowrate, the smallest laminar diameter), with `inJump`.
// - Where the fully rough criterion √f·Re·e/D = 200 is passed, the factor drops from the
//   Colebrook–White value to the fully rough one, about 1 % lower: the gradient falls back there
//   as the flowrate rises (or rises as the diameter grows). A limit within that 1 % is met by two
//   flowrates (two diameters). The answer is then the one on the fully rough side: the larger
//   flowrate and the smaller diameter, the extremes that still meet the limit exactly.
// Diameters below the roughness itself (e/D > 1) are not searched: there the fully rough law
// 1/(1.14 − 2·log10(e/D))² has no meaning and turns at e/D ≈ 3.7.

#include "physics/WaterProperties.h"
#include "pipes/PipeRun.h"
#include "pipes/PipeTables.h"

namespace corvel {

/// The searched ranges: those of the input grid's flowrate and diameter rows.
inline constexpr InputRange kSizingFlowRateRange{0.00001, 5}; // m³/s: 0.01 to 5000 l/s
inline constexpr InputRange kSizingDiameterRange{0.0001, 5};  // m: 0.1 to 5000 mm
/// Relative width of the final bracket of the root.
inline constexpr double kSizingTolerance = 1e-10;

inline constexpr const char* kNoFlowrateInRangeText = "no flowrate in range";
inline constexpr const char* kNoDiameterInRangeText = "no diameter in range";
inline constexpr const char* kNoSizeInTableText = "no size in the table meets the limit";

/// One forward solve: what the flow case's solve computes for a flowrate and a diameter.
struct FlowPoint {
    double flowRate; ///< m³/s
    double diameter; ///< m
    double area;     ///< m², floored at 1e-13 as the case's
    double velocity; ///< m/s
    double reynolds; ///< [-]
    double friction; ///< Darcy friction factor [-]
    int regime;      ///< FlowRegime code
    double gradient; ///< frictional pressure gradient [Pa/m]
};

/// Water at one temperature in pipe of one roughness: forward solves at any flowrate and diameter.
class PipeFlowModel {
public:
    /// `temperature` [°C], `roughness` [m]; the water properties are evaluated once here.
    PipeFlowModel(double temperature, double roughness);
    /// The same with the properties of `water` at `linePressure` [kPa], as the flow case takes
    /// them for that model.
    PipeFlowModel(WaterModel water, double temperature, double linePressure, double roughness);

    FlowPoint at(double flowRate, double diameter) const;
    /// The point as the pipe run takes it.
    FlowState state(const FlowPoint& point) const;

    double density() const { return density_; }     ///< kg/m³
    double viscosity() const { return viscosity_; } ///< kg/(m·s)
    double roughness() const { return roughness_; } ///< m

private:
    double density_;
    double viscosity_;
    double roughness_;
};

enum class SizingLimitKind {
    kPressureGradient,  ///< limit in Pa/m
    kTotalPressureDrop, ///< limit in Pa, for the whole run (friction, fittings and rise)
};

struct SizingProblem {
    double temperature = 9; ///< °C
    double roughness = 0;   ///< m
    /// Which formulas give density and viscosity, and the line pressure they are taken at
    /// [kPa]: those the case being sized solves with.
    WaterModel water = WaterModel::Simple;
    double linePressure = kStandardLinePressure;
    SizingLimitKind limitKind = SizingLimitKind::kPressureGradient;
    double limit = 0;  ///< Pa/m or Pa, as limitKind says
    PipeRunInputs run; ///< the run, for a total pressure-drop limit
};

enum class SizingStatus {
    kFound,
    kNoFlowrateInRange,
    kNoDiameterInRange,
    kNoSizeInTable,
};

struct SizingAnswer {
    SizingStatus status = SizingStatus::kFound;
    double value = 0;               ///< the flowrate [m³/s] or diameter [m] found
    FlowPoint point{};              ///< the forward solve at the answer
    double achieved = 0;            ///< gradient [Pa/m] or total [Pa] at the answer, ≤ the limit
    bool inJump = false;            ///< the limit fell in a jump: the answer is the jump's edge
    const PipeSize* size = nullptr; ///< the table size, for a table answer
    int evaluations = 0;            ///< forward solves spent

    bool found() const { return status == SizingStatus::kFound; }
    /// The exact words of a failed sizing ("no flowrate in range", …); empty when found.
    const char* failureText() const;
};

/// The flowrate at which a pipe of `diameter` [m] reaches the limit. "no flowrate in range" when
/// no flowrate from 0.01 to 5000 l/s does. Floating-point faults of a forward solve propagate.
SizingAnswer FindFlowRate(const SizingProblem& problem, double diameter);
/// The diameter at which `flowRate` [m³/s] reaches the limit: the smallest that meets it.
/// "no diameter in range" when no diameter from 0.1 to 5000 mm (and not below the roughness)
/// does.
SizingAnswer FindDiameter(const SizingProblem& problem, double flowRate);
/// The smallest size of `table` (by inside diameter) that meets the limit at `flowRate`; "no size
/// in the table meets the limit" when none does. `exact` (FindDiameter's answer for the same
/// problem) lets the search start at its size instead of the table's smallest.
SizingAnswer FindTableSize(const SizingProblem& problem, double flowRate, const PipeTable& table,
                           const SizingAnswer& exact);
SizingAnswer FindTableSize(const SizingProblem& problem, double flowRate, const PipeTable& table);

} // namespace corvel
