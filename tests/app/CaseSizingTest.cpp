#include "app/CaseSizing.h"

#include "TestSupport.h"
#include "physics/QxFlow.h"

#include <gtest/gtest.h>

namespace corvel {
namespace {

using test::NearRel;

struct CaseRow {
    const char* name;
    double flowRate;    // m³/s
    double diameter;    // m
    double temperature; // °C
    double roughness;   // m
    WaterModel water;
    int regime;
};

// One row per regime, and the reference water whose properties differ from the simple ones.
const CaseRow kCases[] = {
    {"transition", 0.024, 0.1, 9, 0.00003, WaterModel::Simple, kRegimeTransition},
    {"laminar", 0.00002, 0.05, 60, 0.00003, WaterModel::Simple, kRegimeLaminar},
    {"smooth", 0.05, 0.2, 20, 0, WaterModel::Simple, kRegimeSmooth},
    {"fully rough", 0.3, 0.3, 15, 0.003, WaterModel::Simple, kRegimeRough},
    {"reference water", 0.024, 0.1, 80, 0.00003, WaterModel::Iapws, kRegimeTransition},
};

FlowCase solvedCase(const CaseRow& row) {
    FlowCase flow;
    flow.Water = row.water;
    flow.SetInputs(row.flowRate, row.diameter, row.temperature, row.roughness);
    EXPECT_TRUE(flow.Solve().solved) << row.name;
    EXPECT_EQ(flow.Regime, row.regime) << row.name;
    return flow;
}

TEST(CaseSizing, SizingForTheCasesOwnGradientGivesItsDiameterAndFlowrateBack) {
    for (const CaseRow& row : kCases) {
        const FlowCase flow = solvedCase(row);
        const double gradient = flow.PressureDrop * 1000;
        const SizingAnswer diameter = SizeCase(flow, {SizingTarget::kDiameter, gradient, nullptr});
        ASSERT_TRUE(diameter.found()) << row.name;
        EXPECT_TRUE(NearRel(diameter.value, row.diameter, 1e-8)) << row.name;
        const SizingAnswer flowRate = SizeCase(flow, {SizingTarget::kFlowRate, gradient, nullptr});
        ASSERT_TRUE(flowRate.found()) << row.name;
        EXPECT_TRUE(NearRel(flowRate.value, row.flowRate, 1e-8)) << row.name;
    }
}

TEST(CaseSizing, ASizedCaseSolvesBackToTheLimit) {
    for (const CaseRow& row : kCases) {
        FlowCase flow = solvedCase(row);
        const double limit = flow.PressureDrop * 1000 * 0.7;
        for (SizingTarget target : {SizingTarget::kDiameter, SizingTarget::kFlowRate}) {
            FlowCase sized = flow;
            const SizingAnswer answer = SizeCase(sized, {target, limit, nullptr});
            ASSERT_TRUE(answer.found()) << row.name;
            ApplySizing(sized, target, answer);
            ASSERT_TRUE(sized.Solve().solved) << row.name;
            if (!answer.inJump) {
                EXPECT_TRUE(NearRel(sized.PressureDrop * 1000, limit, 1e-8)) << row.name;
            }
        }
    }
}

TEST(CaseSizing, TheFlowrateFoundPairsWithTheHeldDiameter) {
    FlowCase flow = solvedCase(kCases[0]);
    flow.NoteEdited('V'); // flowrate and velocity given: a flowrate edit alone would move D
    const SizingAnswer answer =
        SizeCase(flow, {SizingTarget::kFlowRate, flow.PressureDrop * 500, nullptr});
    ApplySizing(flow, SizingTarget::kFlowRate, answer);
    EXPECT_EQ(flow.Diameter, 0.1);
    EXPECT_EQ(flow.FlowRate, answer.value);
    EXPECT_EQ(flow.GivenPairText(), "Flowrate, Diameter");
    EXPECT_TRUE(NearRel(flow.Velocity, answer.value / flow.Area));
}

TEST(CaseSizing, TheDiameterFoundPairsWithTheHeldFlowrate) {
    FlowCase flow = solvedCase(kCases[0]);
    flow.NoteEdited('V');
    flow.NoteEdited('D'); // diameter and velocity given: a diameter edit alone would move Q
    const SizingAnswer answer =
        SizeCase(flow, {SizingTarget::kDiameter, flow.PressureDrop * 500, nullptr});
    ApplySizing(flow, SizingTarget::kDiameter, answer);
    EXPECT_EQ(flow.Diameter, answer.value);
    EXPECT_TRUE(NearRel(flow.FlowRate, 0.024, 1e-15));
    EXPECT_EQ(flow.GivenPairText(), "Diameter, Flowrate");
}

TEST(CaseSizing, TheTablePicksTheSmallestSizeThatMeetsTheLimit) {
    const FlowCase flow = solvedCase(kCases[0]);
    for (const char* name : {"ASME B36.10M 40", "ASTM B88 L", "ISO 4427-2 PE100 SDR11"}) {
        const PipeTable* table = FindPipeTable(name);
        ASSERT_NE(table, nullptr) << name;
        for (double limit : {200.0, 800.0, 3000.0}) { // Pa/m
            const SizingAnswer answer = SizeCase(flow, {SizingTarget::kTableSize, limit, table});
            ASSERT_TRUE(answer.found()) << name << " " << limit;
            // Checked with the flow case's own solve at every size of the table.
            const PipeSize* expected = nullptr;
            for (const PipeSize* size : table->byInsideDiameter()) {
                FlowCase trial = flow;
                trial.SetInputs(flow.FlowRate, size->insideDiameter, flow.Temperature,
                                flow.Roughness);
                ASSERT_TRUE(trial.Solve().solved);
                if (trial.PressureDrop * 1000 <= limit) {
                    expected = size;
                    break;
                }
            }
            ASSERT_NE(expected, nullptr);
            EXPECT_EQ(answer.size, expected) << name << " " << limit;
            EXPECT_EQ(answer.value, expected->insideDiameter);
        }
    }
}

struct FailureRow {
    const char* name;
    SizingTarget target;
    double gradient; // Pa/m
    const char* table;
    const char* message;
};

TEST(CaseSizing, FailuresAreSaidInWords) {
    const FailureRow rows[] = {
        {"a flowrate below 0.01 l/s", SizingTarget::kFlowRate, 1e-4, nullptr,
         "no flowrate in range\nNo flowrate from 0.01 to 5000 l/s reaches the allowed gradient "
         "in this diameter."},
        {"a table too small", SizingTarget::kTableSize, 1e-3, "ASTM B88 L",
         "no size in the table meets the limit\nEven the largest size of ASTM B88 L exceeds the "
         "allowed gradient at this flowrate."},
        {"a diameter above 5 m", SizingTarget::kDiameter, 1e-9, nullptr,
         "no diameter in range\nNo diameter from 0.1 to 5000 mm keeps this flowrate within the "
         "allowed gradient."},
        {"a zero gradient", SizingTarget::kDiameter, 0, nullptr,
         "no diameter in range\nThe allowed pressure gradient must be a number above zero."},
        {"no table", SizingTarget::kTableSize, 800, nullptr,
         "no size in the table meets the limit\nNo pipe table is chosen."},
    };
    const FlowCase flow = solvedCase(kCases[0]);
    for (const FailureRow& row : rows) {
        const CaseSizing request{row.target, row.gradient,
                                 row.table ? FindPipeTable(row.table) : nullptr};
        const SizingAnswer answer = SizeCase(flow, request);
        EXPECT_FALSE(answer.found()) << row.name;
        EXPECT_EQ(SizingFailureMessage(answer, request), row.message) << row.name;
    }
}

TEST(CaseSizing, ATotalThatNoSizeChangesIsNotSized) {
    // Without length or fittings the total is the static pressure for every diameter: a limit
    // equal to it would otherwise be "met" by whatever diameter the search tried first.
    const FlowCase flow = solvedCase(kCases[0]);
    for (const SizingTarget target : {SizingTarget::kDiameter, SizingTarget::kFlowRate}) {
        CaseSizing request{target, 0, nullptr, SizingLimitKind::kTotalPressureDrop};
        const SizingAnswer answer = SizeCase(flow, request);
        EXPECT_FALSE(answer.found());
        EXPECT_NE(SizingFailureMessage(answer, request).find("no length and no fittings"),
                  std::string::npos);
        request.run.length = 100;
        EXPECT_TRUE(SizeCase(flow, CaseSizing{target, 50000, nullptr,
                                              SizingLimitKind::kTotalPressureDrop, request.run})
                        .found());
    }
}

TEST(CaseSizing, AFailedAnswerLeavesTheCaseAsItWas) {
    FlowCase flow = solvedCase(kCases[0]);
    SizingAnswer failed;
    failed.status = SizingStatus::kNoFlowrateInRange;
    failed.value = 7;
    ApplySizing(flow, SizingTarget::kFlowRate, failed);
    EXPECT_EQ(flow.FlowRate, 0.024);
    EXPECT_EQ(flow.Diameter, 0.1);
}

} // namespace
} // namespace corvel
