#include "app/PipeRunCase.h"

#include "app/CaseFile.h"
#include "app/InputRows.h"
#include "shell/TempDir.h"

#include "SolvedCase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace corvel {
namespace {

using test::SolvedDefaultCase;

const Fitting& elbow() {
    return FindFitting("Elbow 90 deg threaded standard r/D=1");
}

TEST(PipeRunCase, ResultRowsMatchCorvelSolvesLinesForTheSameRun) {
    const FlowCase flow = SolvedDefaultCase();
    PipeRunCase run;
    run.Inputs.length = 100;
    run.Inputs.elevationRise = 10;
    run.Inputs.fittings.setCount(elbow(), 4);
    run.Solve(flow);
    const RunResultRows rows = run.ResultRows(flow.Units);
    const auto values = RunResultValues(flow, run.Inputs);
    for (std::size_t i = 0; i < kRunResultCount; ++i) {
        EXPECT_EQ(rows[i].caption, kRunResultLines[i].caption);
        EXPECT_EQ(rows[i].value, RunResultText(i, values[i])) << rows[i].caption;
        EXPECT_EQ(rows[i].units, kRunResultLines[i].units) << rows[i].caption;
    }
    EXPECT_EQ(rows[3].value, "189.053");
}

TEST(PipeRunCase, AFallingRunSaysNoPumpIsNeededAndAnUnsolvedOneShowsZeros) {
    const FlowCase flow = SolvedDefaultCase();
    PipeRunCase run;
    for (const ResultRow& row : run.ResultRows(flow.Units))
        EXPECT_EQ(row.value, "0") << row.caption;
    run.Inputs.length = 10;
    run.Inputs.elevationRise = -50;
    run.Solve(flow);
    const RunResultRows rows = run.ResultRows(flow.Units);
    EXPECT_EQ(rows[4].value.front(), '-') << "the head of a falling run is negative";
    EXPECT_EQ(rows[5].value, "no pump needed");
    EXPECT_EQ(rows[6].value, "no pump needed");
    run.Clear();
    EXPECT_EQ(run.ResultRows(flow.Units)[3].value, "0");
}

TEST(PipeRunCase, ResultsFollowTheChosenUnits) {
    FlowCase flow = SolvedDefaultCase();
    flow.Units = UnitChoices::UsCustomary();
    PipeRunCase run;
    run.Inputs.length = 100;
    run.Solve(flow);
    const RunResultRows rows = run.ResultRows(flow.Units);
    EXPECT_EQ(rows[0].units, "Psi");
    EXPECT_EQ(rows[4].units, "InchWg");
    EXPECT_EQ(rows[5].units, "HP");
    // 81.412 kPa of friction is 11.81 psi.
    EXPECT_NEAR(std::stod(rows[0].value), 81.412 / 6.89476, 1e-3);
}

TEST(PipeRunCase, RowsShowAndReadBackTheRunAndTheLinePressure) {
    FlowCase flow = SolvedDefaultCase();
    PipeRunCase run;
    run.Inputs.length = 1.0 / 3;
    run.Inputs.fittings.setCount(elbow(), 5);
    const RunTexts texts = run.ShowInputs(flow);
    EXPECT_EQ(
        texts,
        (RunTexts{"0.33", FittingsSumText(run.Inputs.fittings.sumK(flow.Reynolds, flow.Diameter)),
                  "0.00", "70.0", "101.325"}));
    // An unchanged text gives back the value it was made from at full precision.
    run.ReadInputs(texts, flow);
    EXPECT_EQ(run.Inputs.length, 1.0 / 3);
    EXPECT_EQ(run.Inputs.pumpEfficiency, 0.7);
    RunTexts typed = texts;
    typed[0] = "250";
    typed[2] = "-12.5";
    typed[3] = "55";
    typed[4] = "500";
    run.ReadInputs(typed, flow);
    EXPECT_EQ(run.Inputs.length, 250);
    EXPECT_EQ(run.Inputs.elevationRise, -12.5);
    EXPECT_EQ(run.Inputs.pumpEfficiency, 0.55);
    EXPECT_EQ(flow.LinePressure, 500);
    typed[0] = "x";
    EXPECT_THROW(run.ReadInputs(typed, flow), EConvertError);
}

TEST(PipeRunCase, ACheckValveBelowItsFullOpeningVelocityEarnsANoteOnTheRunsTotals) {
    FlowCase flow = SolvedDefaultCase();
    const Fitting& valve = FindFitting("Valve check swing");
    ASSERT_GT(valve.fullOpeningVelocity(flow.Density), 0);
    PipeRunCase run;
    run.Inputs.fittings.setCount(valve, 1);
    run.Inputs.fittings.setCount(elbow(), 2);
    EXPECT_TRUE(run.Notes(flow).empty()) << "no notes before a solve";
    run.Solve(flow);
    EXPECT_TRUE(run.Notes(flow).empty()) << "3.06 m/s opens the valve fully";

    flow.FlowRate = 0.001; // 0.13 m/s in the 100 mm pipe
    ASSERT_TRUE(flow.Solve().solved);
    run.Solve(flow);
    const std::vector<ValidityNote> notes = run.Notes(flow);
    ASSERT_EQ(notes.size(), 1U) << "the elbows earn none";
    EXPECT_EQ(notes[0].code, "check-valve");
    // Fittings Loss, Total Pressure Drop, Total Head, Pump Power and Shaft Power.
    const unsigned first = kFirstRunLineBit;
    EXPECT_EQ(notes[0].lines, (1U << (first + 1)) | (1U << (first + 3)) | (1U << (first + 4)) |
                                  (1U << (first + 5)) | (1U << (first + 6)));
    EXPECT_NE(notes[0].text.find("Valve check swing is not fully open at 0.13 m/s"),
              std::string::npos)
        << notes[0].text;
}

TEST(PipeRunCase, FittingsCountTextSaysHowManyAndWhetherAnOtherKIsSet) {
    FittingSet set;
    EXPECT_EQ(FittingsCountText(set), "no fittings");
    set.setCount(elbow(), 1);
    EXPECT_EQ(FittingsCountText(set), "1 fitting");
    set.setCount(elbow(), 4);
    EXPECT_EQ(FittingsCountText(set), "4 fittings");
    set.otherK = 0.5;
    EXPECT_EQ(FittingsCountText(set), "4 fittings + K");
    set.setCount(elbow(), 0);
    EXPECT_EQ(FittingsCountText(set), "other K");
    EXPECT_EQ(FittingsSumText(3.214), "ΣK 3.21");
}

TEST(InputRows, PipeRunRowsFollowTheFiveOnlyWhenAsked) {
    EXPECT_EQ(InputGridLines(), InputGridLines({}, false));
    const std::vector<std::string> lines = InputGridLines({}, true);
    ASSERT_EQ(lines.size(), 11U);
    EXPECT_EQ(lines[kPipeLengthRow], "Pipe Length; %0.3f; m; NPE; 0; 100000");
    EXPECT_EQ(lines[kFittingsRow], "Fittings; %S; ; PE");
    EXPECT_EQ(lines[kElevationRiseRow], "Elevation Rise; %0.3f; m; NPE; -10000; 10000");
    EXPECT_EQ(lines[kPumpEfficiencyRow], "Pump Efficiency; %0.1f; %; NPE; 1; 100");
    EXPECT_EQ(lines[kLinePressureRow], "Line Pressure; %0.3f; kPa; NPE; 1; 100000");
    const std::vector<std::string> us = InputGridLines(UnitChoices::UsCustomary(), true);
    EXPECT_EQ(us[kPipeLengthRow], "Pipe Length; %0.3f; ft; NPE; 0; 328083.989501");
    EXPECT_EQ(us[kPumpEfficiencyRow], lines[kPumpEfficiencyRow]) << "per cent in every preset";
}

class CaseFileRunTest : public ::testing::Test {
protected:
    std::string path() const { return folder_.file("run.ini"); }
    std::string text() const {
        std::ifstream file(path());
        std::stringstream content;
        content << file.rdbuf();
        return content.str();
    }
    test::TempDir folder_;
};

TEST_F(CaseFileRunTest, ARunIsWrittenOnlyWhenGivenAndReadBackExactly) {
    const CaseFile file(path());
    file.Write(StoredCase{});
    EXPECT_EQ(text(), "[Store]\nQ=0.024000\nd=0.100000\nt=9.000000\nk=0.000030\n");
    EXPECT_EQ(file.ReadRun(), std::nullopt);

    StoredRun run;
    run.length = 1.0 / 3;
    run.elevationRise = -7.25;
    run.pumpEfficiency = 0.65;
    run.linePressure = 300;
    run.fittings.setCount(elbow(), 4);
    run.fittings.otherK = 0.1;
    file.Write(StoredCase{}, run);
    EXPECT_NE(text().find("[Run]\nFittings=Elbow 90 deg threaded standard r/D=1*4\n"),
              std::string::npos)
        << text();
    EXPECT_EQ(file.ReadRun(), run);
    const CaseReading reading = file.ReadCase();
    EXPECT_EQ(reading.run, run);
    EXPECT_TRUE(reading.fellBack.empty());
}

TEST_F(CaseFileRunTest, RunValuesThatMakeNoSenseTakeTheirDefaultsAndAreListed) {
    {
        std::ofstream out(path());
        out << "[Store]\nQ=0.03\nd=0.1\nt=9\nk=0.00003\n"
               "[run]\nLength=-5\nRise=abc\nFittings=Teapot*2\nPumpEfficiency=0.5\n";
    }
    const CaseReading reading = CaseFile(path()).ReadCase();
    ASSERT_TRUE(reading.run.has_value());
    EXPECT_EQ(reading.run->length, 0);
    EXPECT_EQ(reading.run->elevationRise, 0);
    EXPECT_TRUE(reading.run->fittings.empty());
    EXPECT_EQ(reading.run->pumpEfficiency, 0.5);
    EXPECT_EQ(reading.run->linePressure, kStandardLinePressure);
    EXPECT_EQ(reading.fellBack, (std::vector<std::string>{"Run/Fittings", "Run/Length", "Run/Rise",
                                                          "Run/LinePressure", "Run/OtherK"}));
    EXPECT_EQ(reading.stored.flowRate, 0.03);
}

} // namespace
} // namespace corvel
