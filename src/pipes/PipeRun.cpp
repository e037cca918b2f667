#include "pipes/PipeRun.h"

#include "physics/QxFlow.h"
#include "platform/FloatFaults.h"

#include <cmath>

namespace corvel {

bool LosesPressureToFlow(const PipeRunInputs& run) {
    return run.length > 0 || !run.fittings.empty();
}

PipeRunResult SolvePipeRun(const FlowState& flow, const PipeRunInputs& run) {
    if (!kPumpEfficiencyRange.contains(run.pumpEfficiency))
        throw Exception("The pump efficiency must lie between 1 % and 100 %.");
    PipeRunResult r;
    const bool flowing = std::isgreater(flow.reynolds, 0.0);
    FloatFaultScope scope;
    const long double rho = flow.density;
    const long double v = flow.velocity;
    const long double dynamicPressure = rho * v * v / 2;
    r.sumK = run.fittings.sumK(flow.reynolds, flow.diameter);
    if (flowing) {
        r.frictionLoss = scope.result(
            PressureGradient(flow.density, flow.friction, flow.velocity, flow.diameter) *
            static_cast<long double>(run.length));
        r.fittingsLoss = scope.result(r.sumK * dynamicPressure);
    }
    const long double rhoG = rho * kGravity;
    r.staticPressure = scope.result(rhoG * run.elevationRise);
    r.totalPressureDrop =
        scope.result(static_cast<long double>(r.frictionLoss) + r.fittingsLoss + r.staticPressure);
    r.totalHead = scope.result(r.totalPressureDrop / rhoG);
    r.needsPump = r.totalPressureDrop > 0;
    if (r.needsPump) {
        r.pumpPower = scope.result(static_cast<long double>(flow.flowRate) * r.totalPressureDrop);
        r.shaftPower = scope.result(r.pumpPower / static_cast<long double>(run.pumpEfficiency));
    }
    return r;
}

} // namespace corvel
