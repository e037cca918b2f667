#include "app/FlowCase.h"

#include "TestSupport.h"
#include "physics/QxFlow.h"
#include "platform/Errors.h"
#include "units/NumberText.h"

#include <cmath>

namespace corvel {
namespace {

using test::NearRel;

/// Commits `text` to `row` as the window does after the grid's editor accepted it.
void commit(FlowCase& c, int row, const std::string& text) {
    InputTexts texts = c.ShowInputs();
    texts[static_cast<std::size_t>(row - 1)] = text;
    c.ReadInputs(texts);
    c.ApplyEdit(row);
}

TEST(FlowCase, DefaultCaseSolves) {
    FlowCase c;
    c.ReadInputs(c.ShowInputs());
    const SolveOutcome outcome = c.Solve();
    ASSERT_TRUE(outcome.solved) << outcome.message;
    EXPECT_STREQ(outcome.statusText(), "Solved...");
    EXPECT_TRUE(NearRel(c.Velocity, 3.0558, 1e-4));
    EXPECT_EQ(std::lround(c.Reynolds), 229239);
    EXPECT_EQ(c.Regime, kRegimeTransition);
    EXPECT_TRUE(NearRel(c.Friction, 0.017443, 1e-4));
    EXPECT_TRUE(NearRel(c.PressureDrop, 0.8141, 1e-4));
}

TEST(FlowCase, ShowInputsUsesTheGridFormats) {
    FlowCase c;
    const InputTexts expected = {"24.000", "3.06", "100.0", "9.0", "0.03000"};
    EXPECT_EQ(c.ShowInputs(), expected);
    EXPECT_EQ(c.GivenPairText(), "Flowrate, Diameter");
}

TEST(FlowCase, ZeroFlowrateSolvesToBadData) {
    FlowCase c;
    c.ReadInputs({"0", "0", "100", "9", "0.03"});
    ASSERT_TRUE(c.Solve().solved);
    EXPECT_EQ(c.Velocity, 0);
    EXPECT_EQ(c.Reynolds, 0);
    EXPECT_EQ(c.Regime, kRegimeBadData);
    EXPECT_EQ(c.Friction, 0);
    EXPECT_EQ(c.PressureDrop, 0);
}

TEST(FlowCase, ZeroDiameterSolvesToBadData) {
    FlowCase c;
    c.SetInputs(0.024, 0, 9, 0.00003);
    ASSERT_TRUE(c.Solve().solved);
    EXPECT_EQ(c.Area, kMinArea);
    EXPECT_TRUE(NearRel(c.Velocity, 2.4e11));
    EXPECT_EQ(c.Reynolds, 0);
    EXPECT_EQ(c.Regime, kRegimeBadData);
    EXPECT_EQ(c.Friction, 0);
    EXPECT_EQ(c.PressureDrop, 0);
}

TEST(FlowCase, FailedSolveTakesTheRecoveryInputs) {
    FlowCase c;
    c.SetInputs(0.05, 0.2, 50, 0.001);
    const SolveOutcome outcome = c.Solve([] { throw EConvertError("cannot show"); });
    EXPECT_FALSE(outcome.solved);
    EXPECT_STREQ(outcome.statusText(), "Error...");
    EXPECT_EQ(outcome.message, "cannot show");
    EXPECT_EQ(c.FlowRate, 0.024);
    EXPECT_EQ(c.Diameter, 0.1);
    EXPECT_EQ(c.Temperature, 9);
    EXPECT_EQ(c.Roughness, 0.00003);
}

TEST(FlowCase, FloatingPointFaultInTheSolveIsCaught) {
    FlowCase c;
    c.SetInputs(0.024, 0.1, -237.3, 0.00003); // the vapour pressure divides by zero
    const SolveOutcome outcome = c.Solve();
    EXPECT_FALSE(outcome.solved);
    EXPECT_EQ(outcome.message, "Floating point division by zero");
    EXPECT_EQ(c.Temperature, 9);
}

TEST(FlowCase, AreaHasAFloorAndDiameterFollowsIt) {
    FlowCase c;
    c.Diameter = 0;
    c.UpdateArea();
    EXPECT_EQ(c.Area, 1e-13);
    c.Area = 0;
    c.UpdateDiameter();
    EXPECT_EQ(c.Area, 1e-13);
    EXPECT_TRUE(NearRel(c.Diameter, std::sqrt(4e-13 / M_PI)));
    c.Diameter = 0.1;
    c.UpdateArea();
    EXPECT_TRUE(NearRel(c.Area, M_PI * 0.01 / 4, 1e-15));
}

struct OrderStep {
    char letter;
    const char* order;
    int derived;
};

TEST(FlowCase, NoteEditedKeepsTheTwoMostRecentEdits) {
    const OrderStep steps[] = {
        {'Q', "QDV", 0}, {'V', "VQD", 2}, {'D', "DVQ", 1}, {'D', "DVQ", 1},
        {'V', "VDQ", 1}, {'Q', "QVD", 2}, {'D', "DQV", 0}, {'X', "DQV", 0},
    };
    FlowCase c;
    for (const OrderStep& step : steps) {
        c.NoteEdited(step.letter);
        EXPECT_EQ(c.EditOrder, step.order) << "after " << step.letter;
        EXPECT_EQ(c.Derived, step.derived) << "after " << step.letter;
    }
}

TEST(FlowCase, DamagedEditOrderStartsAfresh) {
    FlowCase c;
    c.EditOrder = "QQX";
    c.NoteEdited('X');
    EXPECT_EQ(c.EditOrder, "QDV");
    EXPECT_EQ(c.Derived, 0);
}

TEST(FlowCase, QuantityNames) {
    EXPECT_EQ(FlowCase::QuantityName('D'), "Diameter");
    EXPECT_EQ(FlowCase::QuantityName('Q'), "Flowrate");
    EXPECT_EQ(FlowCase::QuantityName('V'), "Velocity");
    EXPECT_EQ(FlowCase::QuantityName('x'), "");
}

TEST(FlowCase, EditingVelocityThenDiameterFollowsTheGivenPair) {
    FlowCase c;
    commit(c, kVelocityRow, "2.000");
    EXPECT_EQ(c.EditOrder, "VQD");
    EXPECT_EQ(c.Derived, 2);
    EXPECT_EQ(c.GivenPairText(), "Velocity, Flowrate");
    // The diameter follows flowrate / velocity: 24 l/s at 2 m/s needs 123.6 mm.
    EXPECT_EQ(c.ShowInputs()[2], "123.6");
    EXPECT_TRUE(NearRel(c.FlowRate, 0.024));

    commit(c, kDiameterRow, "150.00");
    EXPECT_EQ(c.EditOrder, "DVQ");
    EXPECT_EQ(c.Derived, 1);
    // Velocity stays 2 m/s; the flowrate follows velocity × area.
    EXPECT_TRUE(NearRel(c.Velocity, 2.0, 1e-12));
    EXPECT_TRUE(NearRel(c.FlowRate, 2.0 * M_PI * 0.15 * 0.15 / 4, 1e-12));
}

TEST(FlowCase, EditingFlowrateDerivesVelocityFromTheDefaultOrder) {
    FlowCase c;
    commit(c, kFlowRateRow, "30.0000");
    EXPECT_EQ(c.Derived, 0);
    EXPECT_EQ(c.ShowInputs()[1], "3.82");
    EXPECT_EQ(c.Diameter, 0.1);
}

TEST(FlowCase, TemperatureAndRoughnessNeverMoveTheOtherInputs) {
    FlowCase c;
    commit(c, kVelocityRow, "2.000");
    const InputTexts before = c.ShowInputs();
    commit(c, kTemperatureRow, "60.0");
    commit(c, kRoughnessRow, "0.10000");
    const InputTexts after = c.ShowInputs();
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1], before[1]);
    EXPECT_EQ(after[2], before[2]);
    EXPECT_EQ(after[3], "60.0");
    EXPECT_EQ(c.EditOrder, "VQD");
}

TEST(FlowCase, UnreadableTextKeepsTheRowsReadBeforeIt) {
    FlowCase c;
    EXPECT_THROW(c.ReadInputs({"30", "2", "oops", "9", "0.03"}), EConvertError);
    EXPECT_TRUE(NearRel(c.FlowRate, 0.03));
    EXPECT_EQ(c.Velocity, 2);
    EXPECT_EQ(c.Diameter, 0.1);
}

TEST(FlowCase, ZeroVelocityWithDerivedDiameterIsAFault) {
    FlowCase c;
    c.NoteEdited('V'); // order VQD: the diameter is derived
    const double diameter = c.Diameter;
    c.ReadInputs({"30.0000", "0.00", "100.0", "9.0", "0.03000"});
    EXPECT_THROW(c.ApplyEdit(kFlowRateRow), EMathError);
    EXPECT_EQ(c.Diameter, diameter) << "nothing is derived from a fault";
}

TEST(FlowCase, CommittingAnUnchangedVelocityTextKeepsTheDiameter) {
    FlowCase c;
    // The grid commits the text it shows, "3.06", for a velocity of 3.0558 m/s.
    commit(c, kVelocityRow, c.ShowInputs()[1]);
    EXPECT_EQ(c.EditOrder, "VQD") << "the commit still counts as an edit of the velocity";
    EXPECT_TRUE(NearRel(c.Diameter, 0.1, 1e-12));
    EXPECT_EQ(c.ShowInputs()[2], "100.0");
}

TEST(FlowCase, ATypedTextIsReadEvenWhenItMeansTheShownValue) {
    FlowCase c;
    commit(c, kVelocityRow, "3.060"); // typed: the editor's three decimals
    EXPECT_EQ(c.Velocity, 3.06);
    EXPECT_EQ(c.ShowInputs()[2], "99.9");
}

TEST(FlowCase, ADerivedFlowrateThatShowsAsZeroSolvesWithItsExactValue) {
    FlowCase c;
    commit(c, kVelocityRow, "0.500");
    commit(c, kDiameterRow, "0.13");
    const InputTexts texts = c.ShowInputs();
    EXPECT_EQ(texts[0], "0.000");
    c.ReadInputs(texts);
    ASSERT_TRUE(c.Solve().solved);
    EXPECT_TRUE(NearRel(c.Velocity, 0.5, 1e-12));
    EXPECT_NE(c.Regime, kRegimeBadData);
    EXPECT_GT(c.Reynolds, 0);
}

TEST(FlowCase, ShownTextsReadBackAsTheValuesTheyShowAfterTheCaseMovedOn) {
    FlowCase c;
    commit(c, kFlowRateRow, "50.0000");
    const InputTexts texts = c.ShowInputs();
    c.SetInputs(kDefaultFlowRate, kDefaultDiameter, kDefaultTemperature, kDefaultRoughness);
    c.ReadInputs(texts); // the grid still shows 50 l/s: that is the case's flowrate
    EXPECT_EQ(c.FlowRate, 0.05);
    EXPECT_TRUE(NearRel(c.Velocity, 0.05 / (M_PI * 0.01 / 4), 1e-12));
}

struct PipeCase {
    double flowLps;
    double expectedMm;
};

TEST(FlowCase, PickPipeSizeChoosesTheSmallestSizeThatCarriesTheFlow) {
    const PipeCase cases[] = {
        {24, 100},   // x = 23, limit 25
        {0.2, 15},   // x negative
        {2000, 750}, // beyond the largest limit
        {25.5, 100}, // x = 24.5, limit 25
        {26.5, 125}, {1.25, 15}, {1.26, 20}, {1251, 750},
    };
    for (const PipeCase& pipe : cases) {
        FlowCase c;
        c.SetInputs(pipe.flowLps * 0.001, 0.05, 9, 0.00003);
        c.PickPipeSize();
        EXPECT_TRUE(NearRel(c.Diameter, pipe.expectedMm * 0.001)) << pipe.flowLps << " l/s";
        EXPECT_TRUE(NearRel(c.Velocity, c.FlowRate / c.Area));
        EXPECT_EQ(c.EditOrder, "DQV");
        EXPECT_EQ(c.Derived, 0);
    }
}

/// The pipe a flowrate typed as `text` (l/s, as the grid's editor formats it) picks [mm].
std::int32_t pickedPipe(const std::string& text) {
    FlowCase c;
    commit(c, kFlowRateRow, text);
    c.PickPipeSize();
    return static_cast<std::int32_t>(std::lround(c.Diameter * 1000));
}

TEST(FlowCase, PickPipeSizeHoldsEveryLimitAsADecimalNumber) {
    // Size i carries flowrates up to its limit + 1 l/s; 0.1 ml/s more needs the next size.
    for (std::size_t i = 0; i < kStandardPipeSizes.size(); ++i) {
        const StandardPipeSize& size = kStandardPipeSizes[i];
        const std::int32_t larger = i == 0 ? size.diameterMm : kStandardPipeSizes[i - 1].diameterMm;
        const double atLimit = size.flowLimit + 1;
        for (const auto& [flow, expected] :
             {std::pair{atLimit - 0.0001, size.diameterMm}, std::pair{atLimit, size.diameterMm},
              std::pair{atLimit + 0.0001, larger}}) {
            const std::string text = formatText("%0.4f", {flow});
            EXPECT_EQ(pickedPipe(text), expected) << text << " l/s";
        }
    }
}

TEST(FlowCase, PickPipeSizeAtTheLimitsTheFaultShowedUpOn) {
    EXPECT_EQ(pickedPipe("26.0000"), 100);
    EXPECT_EQ(pickedPipe("2.6000"), 32);
    EXPECT_EQ(pickedPipe("1.8000"), 25);
}

} // namespace
} // namespace corvel
