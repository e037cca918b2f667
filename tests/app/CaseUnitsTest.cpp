// The flow case in chosen units: what the grid and the results list show, and that switching
// units never changes the case.
#include "app/FlowCase.h"
#include "app/Results.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace corvel {
namespace {

using test::NearRel;

// 100 usgpm in a 4 inch pipe at 60 °F is 6.309 l/s in 101.6 mm at 15.56 °C: the same physics.
TEST(CaseUnits, UsCustomaryInputsSolveTheSameCaseAsTheirSiEquivalents) {
    const UnitChoices us = UnitChoices::UsCustomary();
    FlowCase usCase;
    usCase.Units = us;
    usCase.ShowInputs();
    InputTexts texts = usCase.ShowInputs();
    texts[0] = "100.0";
    texts[2] = "4.00";
    texts[3] = "60.0";
    usCase.ReadInputs(texts);
    usCase.ApplyEdit(kDiameterRow);
    ASSERT_TRUE(usCase.Solve().solved);

    FlowCase si;
    si.SetInputs(100 * 0.003785411784 / 60, 4 * 0.0254, (60 - 32) / 1.8, usCase.Roughness);
    ASSERT_TRUE(si.Solve().solved);
    EXPECT_TRUE(NearRel(usCase.PressureDrop, si.PressureDrop, 1e-9));
    EXPECT_TRUE(NearRel(usCase.Reynolds, si.Reynolds, 1e-9));
    EXPECT_TRUE(NearRel(usCase.Density, si.Density, 1e-12));

    const ResultRows rows = MakeResultRows(usCase);
    EXPECT_EQ(rows[0].units, "ft/s");
    EXPECT_EQ(rows[12].units, "psi/100 ft");
    EXPECT_EQ(rows[9].units, "-"); // the Reynolds number keeps its own
    EXPECT_EQ(rows[8].units, "cm²/s");
    EXPECT_TRUE(NearRel(ResultValues(usCase)[12],
                        si.PressureDrop * 1000 * 30.48 / 6894.757293168361, 1e-9));
}

TEST(CaseUnits, DesignedUnitsShowExactlyTheDesignedGridAndResults) {
    FlowCase c;
    EXPECT_EQ(c.ShowInputs(), (InputTexts{"24.000", "3.06", "100.0", "9.0", "0.03000"}));
    ASSERT_TRUE(c.Solve().solved);
    const ResultRows rows = MakeResultRows(c);
    EXPECT_EQ(rows[3].units, "mg/m-s");
    EXPECT_EQ(rows[12].value, "0.8141");
    EXPECT_EQ(InputGridLines()[1], "Water Flowrate; %0.4f; l/s; NPE; 0.01; 5000");
}

TEST(CaseUnits, AChosenUnitConvertsTheRowsRangeAndFormat) {
    UnitChoices units;
    units.setUnit(Quantity::Temperature, 1); // °F
    EXPECT_EQ(InputGridLine(kTemperatureRow, units), "Mean Temperature; %0.1f; °F; NPE; -4; 392");
    const auto [low, high] = InputRowRange(kFlowRateRow, UnitChoices::UsCustomary());
    EXPECT_TRUE(NearRel(low, 0.15850323141488905, 1e-12));
    EXPECT_TRUE(NearRel(high, 79251.6157074, 1e-12));
}

// Any sequence of unit switches, each followed by the grid showing and reading its texts back
// unchanged, leaves every input exactly as it was.
TEST(CaseUnits, SwitchingUnitsBackAndForthNeverChangesTheCase) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 100; ++trial) {
        FlowCase c;
        c.SetInputs(0.001 + 0.5 * std::uniform_real_distribution<double>()(random),
                    0.01 + std::uniform_real_distribution<double>()(random),
                    std::uniform_real_distribution<double>(-20, 200)(random), 0.0000123456789);
        const FlowCase before = c;
        for (int step = 0; step < 10; ++step) {
            const auto quantity = static_cast<Quantity>(random() % kQuantityCount);
            c.Units.setUnit(quantity,
                            static_cast<int>(random() % UnitCount(QuantityOf(quantity).category)));
            c.ReadInputs(c.ShowInputs());
        }
        EXPECT_EQ(c.FlowRate, before.FlowRate);
        EXPECT_EQ(c.Diameter, before.Diameter);
        EXPECT_EQ(c.Temperature, before.Temperature);
        EXPECT_EQ(c.Roughness, before.Roughness);
    }
}

TEST(CaseUnits, TheReferencePropertiesAndNotesFollowTheCase) {
    FlowCase c;
    c.Temperature = 150;
    ASSERT_TRUE(c.Solve().solved);
    EXPECT_TRUE(c.Boiling); // 150 °C water boils at one atmosphere
    const auto notes = c.Notes();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(NoteCodes(notes), "boiling;hot-simple;fast");

    FlowCase reference;
    reference.Water = WaterModel::Iapws;
    reference.LinePressure = 1000;
    reference.Temperature = 150;
    ASSERT_TRUE(reference.Solve().solved);
    EXPECT_FALSE(reference.Boiling);
    EXPECT_NE(reference.Viscosity, c.Viscosity);
}

} // namespace
} // namespace corvel
