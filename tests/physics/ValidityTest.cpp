#include "physics/Validity.h"

#include "physics/QxFlow.h"

#include "TestSupport.h"
#include "platform/Errors.h"

#include <cctype>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace corvel {
namespace {

using test::NearRel;

/// A case that earns no note: 20 °C, Re 1e5, k/D 1e-4, 1 m/s, simple correlations.
ValidityCase soundCase() {
    ValidityCase c;
    c.temperature = 20;
    c.reynolds = 1e5;
    c.relativeRoughness = 1e-4;
    c.velocity = 1;
    return c;
}

struct EdgeRow {
    const char* name;
    void (*change)(ValidityCase&);
    const char* codes;
};

void PrintTo(const EdgeRow& row, std::ostream* out) {
    *out << row.name;
}

constexpr EdgeRow kEdges[] = {
    {"Re2299_99IsLaminar", [](ValidityCase& c) { c.reynolds = 2299.99; }, ""},
    {"Re2300EntersTheTransitionZone", [](ValidityCase& c) { c.reynolds = 2300; }, "transition"},
    {"Re3999_99IsStillTransition", [](ValidityCase& c) { c.reynolds = 3999.99; }, "transition"},
    {"Re4000IsTurbulent", [](ValidityCase& c) { c.reynolds = 4000; }, ""},
    {"NaNReynoldsEarnsNothing",
     [](ValidityCase& c) { c.reynolds = std::numeric_limits<double>::quiet_NaN(); }, ""},
    {"SimpleAt0CIsCold", [](ValidityCase& c) { c.temperature = 0; }, "cold-simple"},
    {"SimpleAt0_1CIsSound", [](ValidityCase& c) { c.temperature = 0.1; }, ""},
    {"SimpleAt100CIsSound", [](ValidityCase& c) { c.temperature = 100; }, ""},
    {"SimpleAt100_1CIsHot", [](ValidityCase& c) { c.temperature = 100.1; }, "hot-simple"},
    {"SimpleBelow0CIsSupercooledAndCold", [](ValidityCase& c) { c.temperature = -0.1; },
     "supercooled;cold-simple"},
    {"IapwsAt0CIsSound",
     [](ValidityCase& c) {
         c.water = WaterModel::Iapws;
         c.temperature = 0;
     },
     ""},
    {"IapwsBelow0CIsOnlySupercooled",
     [](ValidityCase& c) {
         c.water = WaterModel::Iapws;
         c.temperature = -0.1;
     },
     "supercooled"},
    {"IapwsAt200CIsSound",
     [](ValidityCase& c) {
         c.water = WaterModel::Iapws;
         c.temperature = 200;
     },
     ""},
    {"BoilingIsNoted", [](ValidityCase& c) { c.boiling = true; }, "boiling"},
    {"RoughnessAt0_05IsOnTheChart", [](ValidityCase& c) { c.relativeRoughness = 0.05; }, ""},
    {"RoughnessAbove0_05IsOffTheChart", [](ValidityCase& c) { c.relativeRoughness = 0.0500001; },
     "rough-kd"},
    {"Velocity3IsSound", [](ValidityCase& c) { c.velocity = 3; }, ""},
    {"VelocityAbove3IsFast", [](ValidityCase& c) { c.velocity = 3.0001; }, "fast"},
    {"Velocity0_3IsSound", [](ValidityCase& c) { c.velocity = 0.3; }, ""},
    {"VelocityBelow0_3IsSlow", [](ValidityCase& c) { c.velocity = 0.2999; }, "slow"},
    {"ZeroVelocityIsSlow", [](ValidityCase& c) { c.velocity = 0; }, "slow"},
    {"ReversedFastFlowIsFast", [](ValidityCase& c) { c.velocity = -4; }, "fast"},
    {"DerivedFlowRateOutOfRange", [](ValidityCase& c) { c.flowRateOutOfRange = true; },
     "derived-range"},
    {"DerivedVelocityOutOfRange", [](ValidityCase& c) { c.velocityOutOfRange = true; },
     "derived-range"},
    {"DerivedDiameterOutOfRange", [](ValidityCase& c) { c.diameterOutOfRange = true; },
     "derived-range"},
};

class NoteEdgeTest : public ::testing::TestWithParam<EdgeRow> {};

TEST_P(NoteEdgeTest, EarnsExactlyTheExpectedNotes) {
    ValidityCase c = soundCase();
    GetParam().change(c);
    EXPECT_EQ(NoteCodes(ValidityNotes(c)), GetParam().codes);
}

INSTANTIATE_TEST_SUITE_P(Edges, NoteEdgeTest, ::testing::ValuesIn(kEdges),
                         [](const ::testing::TestParamInfo<EdgeRow>& info) {
                             return std::string(info.param.name);
                         });

TEST(ValidityNotes, SoundCaseEarnsNoNote) {
    const auto notes = ValidityNotes(soundCase());
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(MostSeriousNote(notes), nullptr);
    EXPECT_EQ(NoteCodes(notes), "");
}

/// A case that earns every note but hot-simple (which excludes cold-simple).
ValidityCase troubledCase() {
    ValidityCase c;
    c.temperature = -5;
    c.reynolds = 3000;
    c.relativeRoughness = 0.08;
    c.velocity = 0.1;
    c.boiling = true;
    c.diameterOutOfRange = true;
    return c;
}

TEST(ValidityNotes, NotesComeInTheOrderOfTheCatalogueWithItsSeverity) {
    const auto notes = ValidityNotes(troubledCase());
    EXPECT_EQ(NoteCodes(notes), "transition;boiling;derived-range;supercooled;cold-simple;"
                                "rough-kd;slow");
    for (const ValidityNote& note : notes) {
        bool found = false;
        for (const NoteKind& kind : kNoteKinds)
            if (kind.code == note.code) {
                found = true;
                EXPECT_EQ(note.severity, kind.severity) << note.code;
            }
        EXPECT_TRUE(found) << note.code;
    }
}

TEST(ValidityNotes, EveryTextIsCompleteSentences) {
    ValidityCase hot = soundCase();
    hot.temperature = 150;
    hot.velocity = 5;
    auto notes = ValidityNotes(troubledCase());
    for (ValidityNote& note : ValidityNotes(hot))
        notes.push_back(note);
    ASSERT_EQ(notes.size(), 9U);
    for (const ValidityNote& note : notes) {
        ASSERT_FALSE(note.text.empty()) << note.code;
        EXPECT_TRUE(std::isupper(static_cast<unsigned char>(note.text.front()))) << note.code;
        EXPECT_EQ(note.text.back(), '.') << note.code;
        EXPECT_EQ(note.text.find("nan"), std::string::npos) << note.code;
        EXPECT_NE(note.lines, 0U) << note.code;
    }
}

TEST(ValidityNotes, TheMostSeriousIsTheFirstWarning) {
    ValidityCase c = soundCase();
    c.velocity = 5;
    c.relativeRoughness = 0.1;
    c.flowRateOutOfRange = true;
    const auto notes = ValidityNotes(c);
    ASSERT_EQ(NoteCodes(notes), "derived-range;rough-kd;fast");
    EXPECT_EQ(MostSeriousNote(notes)->code, "derived-range");

    c.flowRateOutOfRange = false;
    EXPECT_EQ(MostSeriousNote(ValidityNotes(c))->code, "rough-kd");
    c.boiling = true;
    c.reynolds = 3000;
    EXPECT_EQ(MostSeriousNote(ValidityNotes(c))->code, "transition"); // first of two warnings
}

TEST(ValidityNotes, NotesMarkTheLinesTheyConcern) {
    const auto notes = ValidityNotes(troubledCase());
    auto linesOf = [&](std::string_view code) {
        for (const ValidityNote& note : notes)
            if (note.code == code)
                return note.lines;
        return 0U;
    };
    EXPECT_EQ(linesOf("transition"), kLineFriction | kLineMoodyZone | kLinePressureDrop);
    EXPECT_EQ(linesOf("derived-range"), unsigned{kLineDiameter});
    EXPECT_EQ(linesOf("slow"), unsigned{kLineVelocity});
    EXPECT_NE(linesOf("cold-simple") & kLineConductivity, 0U);
    EXPECT_NE(linesOf("boiling") & kLineDensity, 0U);
}

TEST(ValidityNotes, DerivedNoteNamesTheDerivedQuantity) {
    ValidityCase c = soundCase();
    c.velocityOutOfRange = true;
    const auto notes = ValidityNotes(c);
    ASSERT_EQ(notes.size(), 1U);
    EXPECT_NE(notes[0].text.find("derived velocity lies outside"), std::string::npos);
    EXPECT_EQ(notes[0].lines, unsigned{kLineVelocity});
}

TEST(ValidityNotes, SimpleTemperatureNotesQuoteTheMeasuredDeviations) {
    ValidityCase c = soundCase();
    c.temperature = 150;
    const std::string hot = ValidityNotes(c)[0].text;
    EXPECT_NE(hot.find("at 200 °C viscosity -15 %"), std::string::npos) << hot;
    EXPECT_NE(hot.find("enthalpy +19 %"), std::string::npos) << hot;
    EXPECT_NE(hot.find("at 100 °C viscosity -2.6 %, saturation pressure +0.7 %"), std::string::npos)
        << hot;
    c.temperature = -1;
    const std::string cold = ValidityNotes(c)[1].text;
    EXPECT_NE(cold.find("conductivity +27 %, Prandtl number -21 %"), std::string::npos) << cold;
}

/// Darcy friction factor of a smooth pipe by bisection of 1/√f = 2·log10(Re·√f) − 0.8.
double smoothByBisection(double reynolds) {
    double low = 1, high = 30; // bounds on x = 1/√f
    for (int i = 0; i < 200; ++i) {
        const double x = 0.5 * (low + high);
        (x - (2 * std::log10(reynolds / x) - 0.8) < 0 ? low : high) = x;
    }
    const double x = 0.5 * (low + high);
    return 1 / (x * x);
}

TEST(TransitionSpread, ComparesTheLaminarValueWithTheTurbulentOneUsed) {
    for (double re : {2300.0, 3000.0, 3999.0}) {
        const double laminar = 64 / re;
        const double turbulent = smoothByBisection(re);
        EXPECT_TRUE(NearRel(TransitionSpread(re, 0), (turbulent - laminar) / turbulent * 100, 1e-4))
            << re;
    }
    // a rough pipe uses Colebrook, whose value lies above the smooth one
    EXPECT_GT(TransitionSpread(3000, 0.01), TransitionSpread(3000, 0));
}

TEST(TransitionSpread, TheNoteStatesItInWholePercent) {
    ValidityCase c = soundCase();
    c.reynolds = 3000;
    const std::string text = ValidityNotes(c)[0].text;
    const std::string percent = std::to_string(std::lround(TransitionSpread(3000, 1e-4))) + " %";
    EXPECT_NE(text.find("differ by " + percent), std::string::npos) << text;
    EXPECT_NE(text.find("64/Re = 0.02133"), std::string::npos) << text;
}

TEST(TransitionSpread, NegativeRoughnessComparesAsSmoothInsteadOfFaulting) {
    ValidityCase c = soundCase();
    c.reynolds = 3000;
    c.relativeRoughness = -0.01;
    EXPECT_EQ(NoteCodes(ValidityNotes(c)), "transition");
}

TEST(TransitionSpread, AnInfiniteRoughnessLeavesTheComparisonOutInsteadOfThrowing) {
    ValidityCase c = soundCase();
    c.reynolds = 3000;
    c.relativeRoughness = std::numeric_limits<double>::infinity();
    std::vector<ValidityNote> notes;
    ASSERT_NO_THROW(notes = ValidityNotes(c));
    EXPECT_EQ(NoteCodes(notes), "transition;rough-kd");
    EXPECT_EQ(notes[0].text.find("differ"), std::string::npos);
    EXPECT_EQ(notes[0].text.back(), '.');
    EXPECT_THROW(TransitionSpread(3000, std::numeric_limits<double>::infinity()), EMathError);
}

TEST(ValidityRanges, EndsAreOpenOrClosedAsDeclared) {
    EXPECT_FALSE(kSimpleWaterRange.contains(0));
    EXPECT_TRUE(kSimpleWaterRange.contains(100));
    EXPECT_TRUE(kTransitionZone.contains(2300));
    EXPECT_FALSE(kTransitionZone.contains(4000));
    EXPECT_TRUE(kTurbulentRange.contains(4000));
    EXPECT_FALSE(kLaminarRange.contains(2300));
    EXPECT_FALSE(kMoodyRoughnessRange.contains(std::numeric_limits<double>::quiet_NaN()));
    for (const CorrelationValidity& v : kCorrelationValidity) {
        EXPECT_LT(v.range.low, v.range.high) << v.name;
        EXPECT_FALSE(v.source.empty()) << v.name;
    }
}

} // namespace
} // namespace corvel
