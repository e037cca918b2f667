#include "physics/Validity.h"

#include "physics/QxFlow.h"
#include "platform/Errors.h"
#include "platform/FloatFaults.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace corvel {

static_assert(kTransitionZone.low == kTurbulentReynolds,
              "the transition zone starts where the friction factor turns turbulent");

namespace {

/// x with at most `digits` significant digits, "." as the decimal point whatever the locale.
std::string number(double x, int digits = 6) {
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, digits);
    return std::string(buffer, end.ptr);
}

/// x rounded to a whole number.
std::string whole(double x) {
    return number(std::round(x), 15);
}

/// "at 200 °C viscosity -15 %, Prandtl number -10 %, …" for the deviations at temperatures
/// within [low, high].
std::string deviationText(double low, double high) {
    std::string text;
    double current = -1e300;
    for (const SimpleDeviation& d : kSimpleDeviations) {
        if (d.temperature < low || d.temperature > high)
            continue;
        if (d.temperature != current) {
            text += text.empty() ? "at " : "; at ";
            text += number(d.temperature) + " °C ";
            current = d.temperature;
        } else {
            text += ", ";
        }
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, d.percent,
                                       std::chars_format::fixed, d.decimals);
        text += std::string(d.property) + " " + (d.percent > 0 ? "+" : "") +
                std::string(buffer, end.ptr) + " %";
    }
    return text;
}

constexpr unsigned kPropertyLines = kLineDensity | kLineHeatCapacity | kLineViscosity |
                                    kLineConductivity | kLinePrandtl | kLineEnthalpy |
                                    kLineSaturationPressure;
constexpr unsigned kFrictionLines = kLineFriction | kLineMoodyZone | kLinePressureDrop;

NoteSeverity severityOf(std::string_view code) {
    for (const NoteKind& kind : kNoteKinds)
        if (kind.code == code)
            return kind.severity;
    return NoteSeverity::Hint;
}

void add(std::vector<ValidityNote>& notes, std::string_view code, unsigned lines,
         std::string text) {
    notes.push_back({code, severityOf(code), lines, std::move(text)});
}

/// The two friction factors the transition zone lies between.
struct TransitionValues {
    double laminar;
    double turbulent; ///< by the law the solve picks: smooth, Colebrook or fully rough
};

TransitionValues transitionValues(double reynolds, double relativeRoughness) {
    int regime = 0;
    return {LaminarFrictionFactor(reynolds),
            FrictionFactor(regime, false, 0, relativeRoughness, 1, reynolds)};
}

std::string transitionText(double reynolds, double relativeRoughness) {
    std::string text = "The Reynolds number " + number(reynolds) +
                       " lies in the transition zone between 2300 and 4000, where no friction "
                       "factor is reliable.";
    try {
        const auto [laminar, turbulent] = transitionValues(reynolds, relativeRoughness);
        text += " At this Reynolds number the laminar value 64/Re = " + number(laminar, 4) +
                " and the turbulent value " + number(turbulent, 4) + " used here differ by " +
                whole(std::fabs(TransitionSpread(reynolds, relativeRoughness))) +
                " %; the pressure drop may lie anywhere between them.";
    } catch (const EMathError&) {
        // A roughness the friction laws cannot take (an infinite k/D): the note stays without
        // the comparison rather than failing.
    }
    return text;
}

std::string derivedText(const ValidityCase& c) {
    std::string names;
    int count = 0;
    for (const auto& [flag, name] :
         {std::pair{c.flowRateOutOfRange, "flowrate"}, std::pair{c.velocityOutOfRange, "velocity"},
          std::pair{c.diameterOutOfRange, "diameter"}}) {
        if (!flag)
            continue;
        if (count++ > 0)
            names += " and ";
        names += name;
    }
    return "The derived " + names + (count > 1 ? " lie" : " lies") + " outside the range of " +
           (count > 1 ? "their rows" : "its row") +
           ": check the inputs, since the case cannot be entered back as it stands.";
}

} // namespace

double TransitionSpread(double reynolds, double relativeRoughness) {
    const auto [laminar, turbulent] = transitionValues(reynolds, relativeRoughness);
    FloatFaultScope scope;
    return scope.result((static_cast<long double>(turbulent) - laminar) / turbulent * 100);
}

std::vector<ValidityNote> ValidityNotes(const ValidityCase& c) {
    std::vector<ValidityNote> notes;
    const double T = c.temperature;
    const bool simple = c.water == WaterModel::Simple;

    if (kTransitionZone.contains(c.reynolds)) {
        // A roughness the friction laws cannot take (negative, NaN) compares as smooth here; the
        // solve has reported it already.
        const double kd = c.relativeRoughness >= 0 ? c.relativeRoughness : 0.0;
        add(notes, "transition", kFrictionLines, transitionText(c.reynolds, kd));
    }
    if (c.boiling)
        add(notes, "boiling", kPropertyLines,
            "The line pressure is below the saturation pressure at this temperature, so the "
            "water would boil. The properties shown are those of saturated liquid; they hold "
            "only where the pressure keeps the water liquid.");
    if (c.flowRateOutOfRange || c.velocityOutOfRange || c.diameterOutOfRange)
        add(notes, "derived-range",
            (c.flowRateOutOfRange ? kLineFlowRate : 0U) |
                (c.velocityOutOfRange ? kLineVelocity : 0U) |
                (c.diameterOutOfRange ? kLineDiameter : 0U),
            derivedText(c));
    if (T < kFreezingPoint)
        add(notes, "supercooled", kPropertyLines | kLineDiffusion,
            "At " + number(T) +
                " °C the water is supercooled: it stays liquid only while undisturbed and may "
                "freeze in the pipe. The properties are extrapolated below 0 °C.");
    if (simple && T <= kFreezingPoint)
        add(notes, "cold-simple", kLineViscosity | kLineConductivity | kLinePrandtl | kLineReynolds,
            "At or below 0 °C the simple correlations hold viscosity and conductivity at fixed "
            "values. Measured against the IAPWS reference: " +
                deviationText(0, 0) + ". The IAPWS reference choice is more accurate here.");
    if (simple && T > kSimpleWaterRange.high)
        add(notes, "hot-simple", kPropertyLines | kLineReynolds,
            "Above 100 °C the simple correlations drift from the IAPWS reference: " +
                deviationText(100, 1e300) + ". The IAPWS reference choice is more accurate here.");
    if (c.relativeRoughness > kMoodyRoughnessRange.high)
        add(notes, "rough-kd", kFrictionLines,
            "The relative roughness k/D = " + number(c.relativeRoughness, 4) +
                " lies beyond the Moody chart, which ends at 0.05: the turbulent friction "
                "factor is extrapolated.");
    const double speed = std::fabs(c.velocity);
    if (speed > kDesignVelocityRange.high)
        add(notes, "fast", kLineVelocity,
            "The velocity " + number(speed) +
                " m/s is above the usual 3 m/s for water lines: expect noise and erosion at "
                "fittings; a larger pipe lowers it.");
    if (speed < kDesignVelocityRange.low)
        add(notes, "slow", kLineVelocity,
            "The velocity " + number(speed) +
                " m/s is below the usual 0.3 m/s for water lines: solids may settle and air "
                "may collect; a smaller pipe raises it.");
    return notes;
}

const ValidityNote* MostSeriousNote(const std::vector<ValidityNote>& notes) {
    const ValidityNote* most = nullptr;
    for (const ValidityNote& note : notes)
        if (most == nullptr || note.severity > most->severity)
            most = &note;
    return most;
}

std::string NoteCodes(const std::vector<ValidityNote>& notes) {
    std::string codes;
    for (const ValidityNote& note : notes) {
        if (!codes.empty())
            codes += ';';
        codes += note.code;
    }
    return codes;
}

} // namespace corvel
