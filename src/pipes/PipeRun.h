#pragma once

// A whole pipe run: the pressure lost to friction over its length and in its fittings, the
// pressure to lift the water through its rise, and the pump that makes up the total. Every
// quantity in SI base units (m, Pa, W, fractions); conversion to display units is left to the
// texts.

#include "pipes/Fittings.h"

namespace corvel {

inline constexpr double kGravity = 9.80665; // m/s², standard gravity

/// Limits of the run's inputs, as the input rows admit them.
struct InputRange {
    double min;
    double max;
    bool contains(double x) const { return x >= min && x <= max; }
};
inline constexpr InputRange kPipeLengthRange{0, 100000};        // m
inline constexpr InputRange kElevationRiseRange{-10000, 10000}; // m, outlet above inlet positive
inline constexpr InputRange kPumpEfficiencyRange{0.01, 1};      // fraction: 1 % to 100 %
inline constexpr double kDefaultPumpEfficiency = 0.7;

/// The solved flow a run is computed for (the flow case's results).
struct FlowState {
    double density;  ///< kg/m³
    double velocity; ///< m/s
    double friction; ///< Darcy friction factor [-]
    double diameter; ///< m
    double flowRate; ///< m³/s
    double reynolds; ///< [-]; ≤ 0 when the solve found no valid flow (Bad Data)
};

struct PipeRunInputs {
    double length = 0;                              ///< m
    FittingSet fittings;                            ///< fittings and other K
    double elevationRise = 0;                       ///< m, outlet above inlet positive
    double pumpEfficiency = kDefaultPumpEfficiency; ///< fraction, 0.01 to 1
};

struct PipeRunResult {
    double sumK = 0;              ///< Σ K of the fittings at this flow [-]
    double frictionLoss = 0;      ///< f·L/D·ρV²/2 [Pa]
    double fittingsLoss = 0;      ///< ΣK·ρV²/2 [Pa]
    double staticPressure = 0;    ///< ρ·g·Δz [Pa]
    double totalPressureDrop = 0; ///< the sum of the three [Pa]; negative when the run falls
    double totalHead = 0;         ///< total / (ρ·g): metres of the water at its own density
    bool needsPump = false;       ///< total > 0; a falling run needs no pump and has no powers
    double pumpPower = 0;         ///< hydraulic Q·Δp [W]; 0 without a pump
    double shaftPower = 0;        ///< pump power / efficiency [W]; 0 without a pump
};

/// The run's losses, head and powers for a solved flow. The friction loss is the length times
/// the solve's own pressure gradient (PressureGradient), so a run of 1 m loses exactly the
/// gradient. Without a valid flow (Re ≤ 0) the friction and fittings losses are 0, as the
/// solve's gradient is then. Throws Exception for an efficiency outside 1 % to 100 %, and the
/// floating-point errors for a fault.
PipeRunResult SolvePipeRun(const FlowState& flow, const PipeRunInputs& run);

/// Whether the run loses pressure to the flow: it has length or fittings. A run without either
/// only rises or falls, and its total pressure drop is the same for every flowrate and diameter.
bool LosesPressureToFlow(const PipeRunInputs& run);

} // namespace corvel
