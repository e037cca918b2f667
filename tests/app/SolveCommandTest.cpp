#include "app/SolveCommand.h"
#include "units/NumberText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corvel {
namespace {

struct SolveRun {
    int code;
    std::string out;
    std::string err;
};

SolveRun solve(const std::vector<std::string>& args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = RunSolveCommand(args, in, out, err);
    return {code, out.str(), err.str()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

TEST(SolveCommand, DefaultCasePrintsTheClipboardLines) {
    const SolveRun run = solve({});
    EXPECT_EQ(run.code, kExitSolved);
    EXPECT_EQ(run.err, "");
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 13u);
    EXPECT_EQ(out.front(), "Velocity,3.06,m/s");
    EXPECT_EQ(out[10], "Friction Factor,0.01744,D'arcy");
    EXPECT_EQ(out.back(), "Pressure Drop Rate,0.8141,kPa/m");
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
}

TEST(SolveCommand, OptionsAreEditsInCommandLineOrder) {
    // Velocity then diameter: velocity and diameter are given, so the flowrate follows.
    const auto a = lines(solve({"--velocity", "2", "--diameter", "150"}).out);
    // Diameter then velocity: the same pair, so the same case.
    const auto b = lines(solve({"--diameter=150", "--velocity=2"}).out);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a[0], "Velocity,2.00,m/s");
    // Flowrate then velocity: the diameter follows instead.
    const auto c = lines(solve({"--flow", "24", "--velocity", "2"}).out);
    EXPECT_EQ(c[0], "Velocity,2.00,m/s");
    EXPECT_NE(c, a);
}

TEST(SolveCommand, BadValuesAreUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--flow", "abc"},
         "corvel-solve: Water Flowrate: 'abc' is not a valid floating point value\n"},
        {{"--flow", "6000"},
         "corvel-solve: Water Flowrate: 6000 is outside the range 0.01 to 5000 l/s\n"},
        {{"--temperature", "-21"},
         "corvel-solve: Mean Temperature: -21 is outside the range -20 to 200 °C\n"},
        {{"--roughness", "nan"},
         "corvel-solve: Surface Roughness: 'nan' is not a valid floating point value\n"},
        {{"--velocity", "1,5"},
         "corvel-solve: Water Velocity: '1,5' is not a valid floating point value\n"},
        {{"--diameter", "0.05"},
         "corvel-solve: Inside Diameter: 0.05 is outside the range 0.1 to 5000 mm\n"},
        {{"--bogus"}, "corvel-solve: unknown option '--bogus' (see --help)\n"},
        {{"--flow"}, "corvel-solve: option --flow needs a value\n"},
        {{"--precise"}, "corvel-solve: --precise applies to --batch only\n"},
        {{"--batch", "--flow", "3"},
         "corvel-solve: --batch takes its values from the batch file, not from options\n"},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args);
        EXPECT_EQ(run.code, kExitUsage) << c.args[0];
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(run.out, "");
    }
}

TEST(SolveCommand, RangeLimitsThemselvesAreAccepted) {
    EXPECT_EQ(solve({"--flow", "0.01"}).code, kExitSolved);
    EXPECT_EQ(solve({"--temperature", "-20", "--roughness", "200"}).code, kExitSolved);
}

TEST(SolveCommand, HelpAndVersion) {
    const SolveRun help = solve({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--batch [FILE]"), std::string::npos);
    const SolveRun version = solve({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("corvel-solve ", 0), 0u);
}

TEST(SolveCommand, BatchWithAFailingRowGoesOn) {
    const SolveRun run = solve({"--batch"}, "flow_lps, diameter_mm\n30,\n\n6000,\n,50\r\nabc,\n");
    EXPECT_EQ(run.code, kExitCaseFailed);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[0],
              "flow_lps,velocity_mps,diameter_mm,temperature_c,roughness_mm,velocity,density,"
              "heat_capacity,dynamic_viscosity,conductivity,prandtl_number,enthalpy,"
              "saturation_pressure,diffusion_coefficient,reynolds_number,friction_factor,"
              "moody_diagram,pressure_drop_rate,status");
    EXPECT_EQ(out[1], "30.000,3.82,100.0,9.0,0.03000,3.82,999.6,4.195,1333,585,9.55,37.75,1.147,"
                      "0.235,286548,0.01704,Transition,1.243,Solved");
    EXPECT_EQ(out[2],
              ",,,,,,,,,,,,,,,,,,Water Flowrate: 6000 is outside the range 0.01 to 5000 l/s");
    EXPECT_EQ(out[3].substr(0, 22), "24.000,12.22,50.0,9.0,");
    EXPECT_EQ(out[4],
              ",,,,,,,,,,,,,,,,,,Water Flowrate: 'abc' is not a valid floating point value");
}

TEST(SolveCommand, BatchRowsMatchTheSingleCase) {
    const SolveRun batch = solve({"--batch", "-"}, "velocity_mps,diameter_mm\n2,150\n");
    const auto single = lines(solve({"--velocity", "2", "--diameter", "150"}).out);
    const auto row = lines(batch.out).at(1);
    // The results in the row are the single case's values, in the same order.
    std::string expected;
    for (const std::string& line : single)
        expected += line.substr(line.find(',') + 1, line.rfind(',') - line.find(',') - 1) + ',';
    EXPECT_NE(row.find(expected + "Solved"), std::string::npos) << row;
}

TEST(SolveCommand, PreciseBatchReadsBackTheExactDoubles) {
    const SolveRun run = solve({"--batch", "--precise"}, "flow_lps\n24\n");
    ASSERT_EQ(run.code, kExitSolved);
    const auto row = lines(run.out).at(1);
    EXPECT_EQ(row.rfind("24,", 0), 0u) << row;
    EXPECT_NE(row.find(",Transition,"), std::string::npos);
    EXPECT_NE(row.find(",229238.7"), std::string::npos) << row;
}

TEST(SolveCommand, BadBatchHeadersAreUsageErrors) {
    EXPECT_EQ(solve({"--batch"}, "flow_lps,colour\n1,2\n").err,
              "corvel-solve: unknown column 'colour' in the batch header\n");
    EXPECT_EQ(solve({"--batch"}, "flow_lps,flow_lps\n").code, kExitUsage);
    EXPECT_EQ(solve({"--batch", "/nonexistent/cases.csv"}).code, kExitUsage);
}

TEST(SolveCommand, BatchRowShapesAndQuoting) {
    const SolveRun run = solve({"--batch"}, "\xEF\xBB\xBF\"flow_lps\"\n\"30\"\n1,2\n\"30\n");
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1].substr(out[1].size() - 7), ",Solved");
    EXPECT_EQ(out[2].substr(18), "the row has 2 cells but the header names 1");
    EXPECT_EQ(out[3].substr(18), "the row has an unterminated quote");
}

TEST(SolveCommand, EmptyBatchWritesTheHeaderOnly) {
    const SolveRun run = solve({"--batch"}, "");
    EXPECT_EQ(run.code, kExitSolved);
    EXPECT_EQ(lines(run.out).size(), 1u);
}

TEST(SolveCommand, BatchFromAFile) {
    const std::string path = ::testing::TempDir() + "corvel_batch.csv";
    std::ofstream(path) << "temperature_c\n20\n";
    const SolveRun run = solve({"--batch", path});
    EXPECT_EQ(run.code, kExitSolved);
    EXPECT_NE(lines(run.out).at(1).find(",20.0,"), std::string::npos);
    std::remove(path.c_str());
}

} // namespace
} // namespace corvel

namespace corvel {
namespace {

TEST(SolveCommand, LargeBatchKeepsRowOrderAcrossSlices) {
    // Enough rows to be solved in slices on several threads; each row's temperature names it.
    std::string input = "temperature_c,flow_lps\n";
    for (int i = 0; i < 3000; ++i)
        input += std::to_string(i % 200) + "," +
                 (i % 7 == 0 ? "6000" : std::to_string(1 + i % 40)) + "\n";
    const SolveRun run = solve({"--batch"}, input);
    EXPECT_EQ(run.code, kExitCaseFailed);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 3001u);
    for (int i = 0; i < 3000; i += 97) {
        const std::string& row = out[static_cast<std::size_t>(i) + 1];
        if (i % 7 == 0) {
            EXPECT_EQ(row.rfind(",,,", 0), 0u) << row;
            continue;
        }
        const auto single = lines(
            solve({"--temperature", std::to_string(i % 200), "--flow", std::to_string(1 + i % 40)})
                .out);
        EXPECT_NE(row.find("," + single.back().substr(19, single.back().size() - 25) + ",Solved"),
                  std::string::npos)
            << row << " vs " << single.back();
        EXPECT_NE(row.find(formatText("%0.1f,", {static_cast<double>(i % 200)})), std::string::npos)
            << row;
    }
}

} // namespace
} // namespace corvel
