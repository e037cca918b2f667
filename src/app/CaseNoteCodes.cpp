#include "app/CaseNoteCodes.h"

#include "app/FlowCase.h"
#include "physics/Validity.h"

#include <cmath>

namespace corvel {

void AppendNoteCodes(const FlowCase& c, std::string& out) {
    bool first = true;
    const auto add = [&](const char* code) {
        if (!first)
            out += ';';
        out += code;
        first = false;
    };
    // A derived flowrate, velocity or diameter is checked in the designed unit, as the notes
    // check it.
    const auto outside = [&c](int row) {
        const InputRowInfo& info = kInputRows[static_cast<std::size_t>(row - 1)];
        const double shown = c.InputValue(row) * info.displayScale;
        return !(shown >= info.min && shown <= info.max);
    };
    const double T = c.Temperature;
    const bool simple = c.Water == WaterModel::Simple;
    const double relativeRoughness = c.Diameter > 0 ? c.Roughness / c.Diameter : 0;
    if (kTransitionZone.contains(c.Reynolds))
        add("transition");
    if (c.Boiling)
        add("boiling");
    if ((c.Derived == 1 && outside(kFlowRateRow)) || (c.Derived == 0 && outside(kVelocityRow)) ||
        (c.Derived == 2 && outside(kDiameterRow)))
        add("derived-range");
    if (T < kFreezingPoint)
        add("supercooled");
    if (simple && T <= kFreezingPoint)
        add("cold-simple");
    if (simple && T > kSimpleWaterRange.high)
        add("hot-simple");
    if (relativeRoughness > kMoodyRoughnessRange.high)
        add("rough-kd");
    const double speed = std::fabs(c.Velocity);
    if (speed > kDesignVelocityRange.high)
        add("fast");
    if (speed < kDesignVelocityRange.low)
        add("slow");
}

} // namespace corvel
