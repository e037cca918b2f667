// The note codes a batch writes are exactly the codes of the notes the case earns.
#include "app/CaseNoteCodes.h"
#include "app/FlowCase.h"
#include "physics/Validity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

namespace corvel {
namespace {

std::string codes(const FlowCase& c) {
    std::string text;
    AppendNoteCodes(c, text);
    return text;
}

// Random cases over every region the notes tell apart: frost, heat and boiling with either water
// model, laminar to turbulent flow, rough pipes and derived values outside their rows.
TEST(CaseNoteCodes, MatchTheCodesOfTheCasesNotes) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit;
    std::set<std::string> seen;
    int solved = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        FlowCase c;
        c.Water = trial % 2 ? WaterModel::Iapws : WaterModel::Simple;
        c.LinePressure = 1 + 3000 * unit(random);
        const double diameter = std::pow(10, -3.5 + 4 * unit(random)); // 0.3 mm to 3 m
        c.SetInputs(std::pow(10, -7 + 7 * unit(random)), diameter, -25 + 400 * unit(random),
                    diameter * 0.1 * unit(random));
        if (trial % 3 == 0) {
            c.InputValue(kVelocityRow) = std::pow(10, -3 + 4 * unit(random));
            c.ApplyEdit(kVelocityRow);
        }
        if (!c.Solve().solved)
            continue;
        ++solved;
        const std::string expected = NoteCodes(c.Notes());
        EXPECT_EQ(codes(c), expected) << "trial " << trial;
        seen.insert(expected);
    }
    EXPECT_GT(solved, 10000);
    // Every kind of note turned up in some case.
    for (const NoteKind& kind : kNoteKinds) {
        bool found = false;
        for (const std::string& set : seen)
            found |=
                (";" + set + ";").find(";" + std::string(kind.code) + ";") != std::string::npos;
        EXPECT_TRUE(found) << kind.code;
    }
}

TEST(CaseNoteCodes, AppendToWhatIsThereAndWriteNothingForASoundCase) {
    FlowCase c;
    c.SetInputs(0.01, 0.1, 20, 0.00003); // 1.27 m/s at 20 °C: nothing doubtful
    ASSERT_TRUE(c.Solve().solved);
    std::string text = "Solved,";
    AppendNoteCodes(c, text);
    EXPECT_EQ(text, "Solved,");
}

} // namespace
} // namespace corvel
