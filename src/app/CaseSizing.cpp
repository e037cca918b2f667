#include "app/CaseSizing.h"

#include "app/InputRows.h"

#include <cmath>

namespace corvel {

SizingProblem SizingProblemOf(const FlowCase& flow, double gradient) {
    SizingProblem problem;
    problem.temperature = flow.Temperature;
    problem.roughness = flow.Roughness;
    problem.water = flow.Water;
    problem.linePressure = flow.LinePressure;
    problem.limitKind = SizingLimitKind::kPressureGradient;
    problem.limit = gradient;
    return problem;
}

namespace {

/// A total pressure drop that no size changes: no size meets it better than another.
bool totalIgnoresTheFlow(const CaseSizing& request) {
    return request.limitKind == SizingLimitKind::kTotalPressureDrop &&
           !LosesPressureToFlow(request.run);
}

} // namespace

SizingAnswer SizeCase(const FlowCase& flow, const CaseSizing& request) {
    if (totalIgnoresTheFlow(request)) {
        SizingAnswer none;
        none.status = request.target == SizingTarget::kFlowRate   ? SizingStatus::kNoFlowrateInRange
                      : request.target == SizingTarget::kDiameter ? SizingStatus::kNoDiameterInRange
                                                                  : SizingStatus::kNoSizeInTable;
        return none;
    }
    SizingProblem problem = SizingProblemOf(flow, request.gradient);
    problem.limitKind = request.limitKind;
    problem.run = request.run;
    switch (request.target) {
    case SizingTarget::kFlowRate:
        return FindFlowRate(problem, flow.Diameter);
    case SizingTarget::kDiameter:
        return FindDiameter(problem, flow.FlowRate);
    case SizingTarget::kTableSize:
        break;
    }
    if (!request.table) {
        SizingAnswer none;
        none.status = SizingStatus::kNoSizeInTable;
        return none;
    }
    return FindTableSize(problem, flow.FlowRate, *request.table);
}

std::string SizingFailureMessage(const SizingAnswer& answer, const CaseSizing& request) {
    if (answer.found())
        return {};
    // The outcome's own words first, then why, as a sentence.
    const std::string text = std::string(answer.failureText()) + "\n";
    const bool total = request.limitKind == SizingLimitKind::kTotalPressureDrop;
    const std::string limit = total ? "total pressure drop" : "gradient";
    if (!total && (!(request.gradient > 0) || !std::isfinite(request.gradient)))
        return text + "The allowed pressure gradient must be a number above zero.";
    if (total && !std::isfinite(request.gradient))
        return text + "The allowed total pressure drop must be a number.";
    if (totalIgnoresTheFlow(request))
        return text +
               "The run has no length and no fittings, so its total pressure drop is its "
               "static pressure whatever the " +
               (request.target == SizingTarget::kFlowRate ? "flowrate." : "diameter.");
    switch (request.target) {
    case SizingTarget::kFlowRate:
        return text + "No flowrate from 0.01 to 5000 l/s reaches the allowed " + limit +
               " in this diameter.";
    case SizingTarget::kDiameter:
        return text + "No diameter from 0.1 to 5000 mm keeps this flowrate within the allowed " +
               limit + ".";
    case SizingTarget::kTableSize:
        break;
    }
    if (!request.table)
        return text + "No pipe table is chosen.";
    return text + "Even the largest size of " + request.table->name() + " exceeds the allowed " +
           limit + " at this flowrate.";
}

void ApplySizing(FlowCase& flow, SizingTarget target, const SizingAnswer& answer) {
    if (!answer.found())
        return;
    if (target == SizingTarget::kFlowRate) {
        // The diameter is held: noted first, so the flowrate's edit pairs with it.
        flow.NoteEdited('D');
        flow.FlowRate = answer.value;
        flow.ApplyEdit(kFlowRateRow);
    } else {
        ApplyDiameter(flow, answer.value);
    }
}

void ApplyDiameter(FlowCase& flow, double diameter) {
    // The flowrate is held: noted first, so the diameter's edit pairs with it.
    flow.NoteEdited('Q');
    flow.Diameter = diameter;
    flow.ApplyEdit(kDiameterRow);
}

} // namespace corvel
