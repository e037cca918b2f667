#pragma once

// Sizing the flow case for an allowed pressure gradient: the flowrate its diameter carries, or
// the diameter (exact, or the smallest size of a pipe table) its flowrate needs, found with the
// case's own water, temperature and roughness; and the answer written back into the case as the
// user's own edit of that row.

#include "app/FlowCase.h"
#include "pipes/Sizing.h"

#include <string>

namespace corvel {

/// What sizing finds for the case.
enum class SizingTarget {
    kFlowRate,  ///< the flowrate for the current diameter
    kDiameter,  ///< the exact diameter for the current flowrate
    kTableSize, ///< the smallest size of a pipe table for the current flowrate
};

struct CaseSizing {
    SizingTarget target = SizingTarget::kDiameter;
    double gradient = 0;              ///< allowed pressure gradient [Pa/m], or total drop [Pa]
    const PipeTable* table = nullptr; ///< for kTableSize
    /// What `gradient` limits: the pressure gradient, or the total pressure drop of `run`.
    SizingLimitKind limitKind = SizingLimitKind::kPressureGradient;
    PipeRunInputs run{}; ///< the run whose total drop is limited
};

/// The sizing problem of the case: its temperature, roughness, water model and line pressure
/// with an allowed gradient [Pa/m].
SizingProblem SizingProblemOf(const FlowCase& flow, double gradient);

/// Sizes the case as `request` asks. A gradient that is not a positive number, or a table
/// request without a table, is answered as not found. Floating-point faults propagate.
SizingAnswer SizeCase(const FlowCase& flow, const CaseSizing& request);

/// The words a failed sizing is reported with, a complete sentence; empty when found.
std::string SizingFailureMessage(const SizingAnswer& answer, const CaseSizing& request);

/// Writes a found answer into the case as the user's edit of the flowrate or diameter row: the
/// held quantity and the answer become the given pair and the velocity follows.
void ApplySizing(FlowCase& flow, SizingTarget target, const SizingAnswer& answer);

/// Sets the inside diameter [m] as the user's edit of the diameter row with the flowrate held,
/// as a pipe chosen from a table is taken.
void ApplyDiameter(FlowCase& flow, double diameter);

} // namespace corvel
