#include "app/SolveCommand.h"
#include "app/CaseFile.h"
#include "app/FlowCase.h"
#include "app/Results.h"
#include "physics/Validity.h"
#include "units/NumberText.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

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

TEST(SolveCommand, DefaultCasePrintsTheInputsAndResultsAsClipboardLines) {
    const SolveRun run = solve({});
    EXPECT_EQ(run.code, kExitSolved);
    EXPECT_EQ(run.err, "");
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 18u);
    const std::vector<std::string> inputs(out.begin(), out.begin() + 5);
    EXPECT_EQ(inputs,
              (std::vector<std::string>{"Water Flowrate,24.000,l/s", "Water Velocity,3.06,m/s",
                                        "Inside Diameter,100.0,mm", "Mean Temperature,9.0,°C",
                                        "Surface Roughness,0.03000,mm"}));
    EXPECT_EQ(out[5], "Velocity,3.06,m/s");
    EXPECT_EQ(out[15], "Friction Factor,0.01744,D'arcy");
    EXPECT_EQ(out.back(), "Pressure Drop Rate,0.8141,kPa/m");
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
}

TEST(SolveCommand, InputLinesShowTheValuesSolvedAndANoteTellsOfRounding) {
    struct Case {
        std::vector<std::string> args;
        const char* inputLine; ///< the input line of the row concerned
        std::string note;      ///< what stderr says, if anything
    };
    const std::string precise = "; use --precise to solve the value as given\n";
    const Case cases[] = {
        {{"--diameter", "100.04"},
         "Inside Diameter,100.0,mm",
         "corvel-solve: note: Inside Diameter 100.04 mm is solved as 100.0 mm" + precise},
        {{"--flow", " 24.0004 "},
         "Water Flowrate,24.000,l/s",
         "corvel-solve: note: Water Flowrate 24.0004 l/s is solved as 24.000 l/s" + precise},
        {{"--flow", "30", "--velocity", "2.005"},
         "Water Velocity,2.01,m/s",
         "corvel-solve: note: Water Velocity 2.005 m/s is solved as 2.01 m/s" + precise},
        {{"--temperature", "9.04", "--roughness", "0.030004"},
         "Mean Temperature,9.0,°C",
         "corvel-solve: note: Mean Temperature 9.04 °C is solved as 9.0 °C, Surface Roughness "
         "0.030004 mm is solved as 0.03000 mm; use --precise to solve the values as given\n"},
        // Values shown as given need no note, whatever their spelling.
        {{"--diameter", "1e2"}, "Inside Diameter,100.0,mm", ""},
        {{"--flow", "30.0000"}, "Water Flowrate,30.000,l/s", ""},
        // A value given but then derived from the two given after it is not the value solved.
        {{"--diameter", "100.04", "--flow", "30", "--velocity", "3"},
         "Inside Diameter,112.8,mm",
         ""},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args);
        EXPECT_EQ(run.code, kExitSolved) << c.inputLine;
        EXPECT_EQ(run.err, c.note);
        const auto out = lines(run.out);
        ASSERT_EQ(out.size(), 18u);
        EXPECT_NE(std::find(out.begin(), out.begin() + 5, c.inputLine), out.begin() + 5)
            << c.inputLine << "\n"
            << run.out;
    }
    // The note's case and the case of the value it names have the same results. (The grid's
    // velocity is the one derived before the diameter was rounded, 3.05 m/s; the solve
    // derives it again.)
    const auto rounded = lines(solve({"--diameter", "100.04"}).out);
    const auto named = lines(solve({"--diameter", "100.0"}).out);
    EXPECT_EQ(std::vector(rounded.begin() + 5, rounded.end()),
              std::vector(named.begin() + 5, named.end()));
}

/// The value of the line of `out` starting with `caption`.
double lineValue(const std::string& out, const std::string& caption) {
    for (const std::string& line : lines(out))
        if (line.starts_with(caption + ","))
            return readReal(line.substr(caption.size() + 1, line.rfind(',') - caption.size() - 1));
    ADD_FAILURE() << "no line " << caption;
    return 0;
}

TEST(SolveCommand, PreciseSingleCaseSolvesTheValuesAsGivenInFull) {
    const SolveRun run = solve({"--precise", "--diameter", "100.04"});
    ASSERT_EQ(run.code, kExitSolved);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("\nInside Diameter,100.04000000000001,mm\n"), std::string::npos)
        << run.out;
    // An independent velocity: 24 l/s through a 100.04 mm circle.
    const double area = 3.14159265358979323846 * 0.10004 * 0.10004 / 4;
    EXPECT_NEAR(lineValue(run.out, "Velocity") / (0.024 / area), 1, 1e-14);
    EXPECT_NEAR(lineValue(run.out, "Water Velocity") / (0.024 / area), 1, 1e-14);
    // The regime stays a name, every other value has its full digits.
    EXPECT_NE(run.out.find("\nMoody Diagram,Transition,Zone\n"), std::string::npos);
    EXPECT_NE(run.out.find("\nPressure Drop Rate,0.81249609357978"), std::string::npos) << run.out;
    EXPECT_NE(solve({"--diameter", "100.04"}).out.find("Pressure Drop Rate,0.8141,"),
              std::string::npos);
}

TEST(SolveCommand, DerivedValueOutsideItsRangeFailsTheCase) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--velocity", "50", "--diameter", "0.1"},
         "corvel-solve: Derived Water Flowrate 0.000 l/s is outside 0.01 to 5000\n"},
        {{"--flow", "5", "--diameter", "1"},
         "corvel-solve: Derived Water Velocity 6366.20 m/s is outside 0.01 to 50\n"},
        {{"--flow", "0.01", "--diameter", "5000"},
         "corvel-solve: Derived Water Velocity 0.00 m/s is outside 0.01 to 50\n"},
        {{"--flow", "5000", "--velocity", "0.01"},
         "corvel-solve: Derived Inside Diameter 25231.3 mm is outside 0.1 to 5000\n"},
        {{"--precise", "--velocity", "50", "--diameter", "0.1"},
         "corvel-solve: Derived Water Flowrate 0.0003926990816987242 l/s is outside 0.01 to "
         "5000\n"},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args);
        EXPECT_EQ(run.code, kExitCaseFailed) << c.message;
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(run.out, "");
    }
    // The limit applies to the value shown and solved: 12.7 m/s in a 1 mm pipe derive
    // 0.009975 l/s, shown and solved as 0.010; 12 m/s derive 0.009.
    EXPECT_EQ(solve({"--diameter", "1", "--velocity", "12.7"}).code, kExitSolved);
    EXPECT_EQ(solve({"--diameter", "1", "--velocity", "12"}).err,
              "corvel-solve: Derived Water Flowrate 0.009 l/s is outside 0.01 to 5000\n");
}

TEST(SolveCommand, OptionsAreEditsInCommandLineOrder) {
    // Velocity then diameter: velocity and diameter are given, so the flowrate follows.
    const auto a = lines(solve({"--velocity", "2", "--diameter", "150"}).out);
    // Diameter then velocity: the same pair, so the same case.
    const auto b = lines(solve({"--diameter=150", "--velocity=2"}).out);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a[5], "Velocity,2.00,m/s");
    // Flowrate then velocity: the diameter follows instead.
    const auto c = lines(solve({"--flow", "24", "--velocity", "2"}).out);
    EXPECT_EQ(c[5], "Velocity,2.00,m/s");
    EXPECT_NE(c, a);
}

TEST(SolveCommand, BadValuesAreUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
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
        {{"--keep", "id"}, "corvel-solve: --keep applies to --batch only\n"},
        {{"--batch", "--keep", "id,,x"},
         "corvel-solve: option --keep needs column names separated by commas\n"},
        {{"--batch", "--keep=id,id"}, "corvel-solve: column 'id' is given to --keep twice\n"},
        {{"--flow", "\x1B[2J"},
         "corvel-solve: Water Flowrate: '\\x1B[2J' is not a valid floating point value\n"},
        {{"--flow", std::string(1200, '9')},
         "corvel-solve: Water Flowrate: '" + std::string(1000, '9') +
             "…' is not a valid floating point value\n"},
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
    EXPECT_EQ(solve({"--flow", "0.01", "--diameter", "1"}).code, kExitSolved);
    EXPECT_EQ(solve({"--temperature", "-20", "--roughness", "200"}).code, kExitSolved);
}

TEST(SolveCommand, HelpAndVersion) {
    const SolveRun help = solve({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--batch [FILE]"), std::string::npos);
    EXPECT_EQ(solve({"-h"}).out, help.out);
    EXPECT_EQ(solve({"--batch", "-h"}).out, help.out);
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
              "moody_diagram,pressure_drop_rate,status,notes");
    EXPECT_EQ(out[1], "30.000,3.82,100.0,9.0,0.03000,3.82,999.6,4.195,1333,585,9.55,37.75,1.147,"
                      "0.235,286548,0.01704,Transition,1.243,Solved,fast");
    // Failed rows keep their cells as given and name their line.
    EXPECT_EQ(out[2], "6000,,,,,,,,,,,,,,,,,,line 4: Water Flowrate: 6000 is outside the range "
                      "0.01 to 5000 l/s,");
    EXPECT_EQ(out[3].substr(0, 22), "24.000,12.22,50.0,9.0,");
    EXPECT_EQ(out[4],
              "abc,,,,,,,,,,,,,,,,,,line 6: Water Flowrate: 'abc' is not a valid floating point "
              "value,");
}

TEST(SolveCommand, BatchRowsMatchTheSingleCase) {
    const SolveRun batch = solve({"--batch", "-"}, "velocity_mps,diameter_mm\n2,150\n");
    auto single = lines(solve({"--velocity", "2", "--diameter", "150"}).out);
    single.erase(single.begin(), single.begin() + 5); // the input lines
    const auto row = lines(batch.out).at(1);
    // The results in the row are the single case's values, in the same order.
    std::string expected;
    for (const std::string& line : single)
        expected += line.substr(line.find(',') + 1, line.rfind(',') - line.find(',') - 1) + ',';
    EXPECT_NE(row.find(expected + "Solved"), std::string::npos) << row;
}

TEST(SolveCommand, PreciseBatchSolvesTheValuesAsGivenAndWritesExactDoubles) {
    const SolveRun run = solve({"--batch", "--precise"}, "flow_lps\n24\n");
    ASSERT_EQ(run.code, kExitSolved);
    const auto row = lines(run.out).at(1);
    EXPECT_EQ(row.rfind("24,", 0), 0u) << row;
    EXPECT_NE(row.find(",Transition,"), std::string::npos);
    EXPECT_NE(row.find(",229238.7"), std::string::npos) << row;
    // The values are solved as given, not as the grid would round them.
    const auto given = lines(solve({"--batch", "--precise"}, "diameter_mm\n100.04\n").out).at(1);
    EXPECT_EQ(given.rfind("24,3.0533317534285667,100.04,9,", 0), 0u) << given;
}

TEST(SolveCommand, BadBatchHeadersAreUsageErrors) {
    EXPECT_EQ(solve({"--batch"}, "flow_lps,colour\n1,2\n").err,
              "corvel-solve: unknown column 'colour' in the batch header\n");
    EXPECT_EQ(solve({"--batch"}, "flow_lps,flow_lps\n").code, kExitUsage);
    EXPECT_EQ(solve({"--batch", "/nonexistent/cases.csv"}).code, kExitUsage);
}

TEST(SolveCommand, BatchRowShapesAndQuoting) {
    const SolveRun run = solve({"--batch"}, "\xEF\xBB\xBF\"flow_lps\"\n\" 30 \"\n\n1,2\n\"30\n");
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[1].substr(out[1].size() - 12), ",Solved,fast");
    EXPECT_EQ(out[2], "1,,,,,,,,,,,,,,,,,,line 4: the row has 2 cells but the header names 1,");
    // The unterminated cell runs to the end of the input, its line break included.
    EXPECT_EQ(out[3] + '\n' + out[4],
              "\"30\n\",,,,,,,,,,,,,,,,,,line 5: the row has an unterminated quote,");
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
            EXPECT_EQ(row.rfind("6000,,,", 0), 0u) << row;
            continue;
        }
        const auto single = lines(
            solve({"--temperature", std::to_string(i % 200), "--flow", std::to_string(1 + i % 40)})
                .out);
        ASSERT_EQ(single.size(), 18u);
        EXPECT_NE(row.find("," + single.back().substr(19, single.back().size() - 25) + ",Solved"),
                  std::string::npos)
            << row << " vs " << single.back();
        EXPECT_NE(row.find(formatText("%0.1f,", {static_cast<double>(i % 200)})), std::string::npos)
            << row;
    }
}

} // namespace
} // namespace corvel

namespace corvel {
namespace {

/// The status cell of a batch output line (the last cell; statuses here hold no commas).
/// The status cell of a results row, the one before the notes.
std::string status(const std::string& line) {
    const std::size_t notes = line.rfind(',');
    const std::size_t start = line.rfind(',', notes - 1) + 1;
    return line.substr(start, notes - start);
}

TEST(SolveCommand, BatchOfManyChunksWritesWhatShortBatchesOfItsRowsWrite) {
    // 40,000 varied rows go through the worker threads in several chunks; batches of 400 rows
    // are each solved on the calling thread. Both must write the same lines.
    const std::string header = "flow_lps,velocity_mps,diameter_mm,temperature_c,roughness_mm\n";
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> pick(0, 999999);
    std::vector<std::string> rows;
    for (int i = 0; i < 40000; ++i) {
        const double r = pick(rng) / 1e6;
        rows.push_back(formatText("%0.3f,%s,%s,%0.1f,%0.4f\n",
                                  {0.1 + 600 * r, i % 3 == 0 ? formatText("%0.2f", {5 * r}) : "",
                                   i % 3 != 0 ? formatText("%0.1f", {15 + 735 * r}) : "",
                                   -20 + 220 * ((i * 7919) % 2201) / 2200.0, 2 * r}));
    }
    std::string whole = header;
    for (const std::string& row : rows)
        whole += row;
    const SolveRun all = solve({"--batch"}, whole);
    std::string expected;
    for (std::size_t first = 0; first < rows.size(); first += 400) {
        std::string part = header;
        for (std::size_t i = first; i < first + 400; ++i)
            part += rows[i];
        const std::string out = solve({"--batch"}, part).out;
        // Line numbers in failure messages count from the start of each part.
        expected += first == 0 ? out : out.substr(out.find('\n') + 1);
    }
    const auto got = lines(all.out);
    const auto want = lines(expected);
    ASSERT_EQ(got.size(), want.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i] && got[i].find("line ") == std::string::npos && ++differing <= 3)
            ADD_FAILURE() << "line " << i << ": " << got[i] << " vs " << want[i];
}

/// FNV-1a of a text: a fingerprint of a whole batch output.
std::uint64_t fingerprint(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

TEST(SolveCommand, GridOfCasesSolvesToTheFiguresItAlwaysHad) {
    // 25,272 cases over every regime, temperatures from −20 to 200 °C and derived values in and
    // out of range. The fingerprints are those of the outputs before the solve and the number
    // texts were made faster (remembered water properties, integer formatting, the short
    // decimal reader): the formatted and the exact (--precise) figures must stay bit for bit.
    const char* flows[] = {"0.01", "0.05", "0.3", "1",   "2.5",  "7",
                           "20",   "55",   "150", "400", "1200", "4999"};
    const char* velocities[] = {"0.01", "0.3", "1", "3", "12", "50"};
    const char* diameters[] = {"0.1", "1",   "6",   "15",  "25",   "50",
                               "100", "150", "300", "750", "2000", "5000"};
    const char* temperatures[] = {"-20",  "-5", "0",    "0.05", "4",   "9",  "20",
                                  "37.5", "60", "99.9", "100",  "150", "200"};
    const char* roughnesses[] = {"0", "0.0001", "0.0015", "0.03", "0.26", "1", "5", "50", "200"};
    std::string input = "flow_lps,velocity_mps,diameter_mm,temperature_c,roughness_mm\n";
    for (const char* d : diameters)
        for (const char* t : temperatures)
            for (const char* e : roughnesses) {
                const std::string rest = std::string(d) + ',' + t + ',' + e + '\n';
                for (const char* q : flows)
                    input += std::string(q) + ",," + rest;
                for (const char* v : velocities)
                    input += std::string(",") + v + ',' + rest;
            }
    const SolveRun shown = solve({"--batch"}, input);
    EXPECT_EQ(shown.out.size(), 2898918U);
    EXPECT_EQ(fingerprint(shown.out), 0xb0b0774866ac9cfcULL);
    const SolveRun exact = solve({"--batch", "--precise"}, input);
    EXPECT_EQ(exact.out.size(), 4588737U);
    EXPECT_EQ(fingerprint(exact.out), 0x50dc818df8bba1daULL);
}

TEST(SolveCommand, BatchReadsRfc4180Files) {
    struct Case {
        const char* name;
        std::string input;
    };
    const Case cases[] = {
        {"quoted header, CR LF", "\"flow_lps\",\"diameter_mm\"\r\n\"24\",\"100\"\r\n"},
        {"lone CR", "flow_lps,diameter_mm\r24,100\r"},
        {"blanks inside and around quotes", " \"flow_lps \" , diameter_mm\n\" 24\"  ,\"100\"\n"},
        {"no final line end", "flow_lps,diameter_mm\n24,100"},
    };
    const std::string expected =
        lines(solve({"--batch"}, "flow_lps,diameter_mm\n24,100\n").out).at(1);
    ASSERT_EQ(status(expected), "Solved");
    for (const Case& c : cases) {
        const SolveRun run = solve({"--batch"}, c.input);
        EXPECT_EQ(run.code, kExitSolved) << c.name << ": " << run.err;
        const auto out = lines(run.out);
        ASSERT_EQ(out.size(), 2u) << c.name;
        EXPECT_EQ(out[1], expected) << c.name;
    }
}

TEST(SolveCommand, FailedBatchRowsNameTheirInputLine) {
    // Blank lines, lone CRs and line breaks inside quotes all count as lines.
    const SolveRun run = solve({"--batch", "--keep", "note"},
                               "note,flow_lps\r\n\r\n\"two\nlines\",6000\r1,2,3\n\n,x\n");
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 5u) << run.out;
    EXPECT_EQ(out[2], "lines\",6000,,,,,,,,,,,,,,,,,,line 3: Water Flowrate: 6000 is outside the "
                      "range 0.01 to 5000 l/s,");
    EXPECT_EQ(status(out[3]), "line 5: the row has 3 cells but the header names 2");
    EXPECT_EQ(status(out[4]), "line 7: Water Flowrate: 'x' is not a valid floating point value");
}

TEST(SolveCommand, DerivedValueOutsideItsRangeFailsTheBatchRow) {
    const SolveRun run =
        solve({"--batch"}, "velocity_mps,diameter_mm,flow_lps\n50,0.1\n2,150\n,1,5\n");
    EXPECT_EQ(run.code, kExitCaseFailed);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1], ",50,0.1,,,,,,,,,,,,,,,,line 2: Derived Water Flowrate 0.000 l/s is outside "
                      "0.01 to 5000,");
    EXPECT_EQ(status(out[2]), "Solved");
    EXPECT_EQ(out[3], "5,,1,,,,,,,,,,,,,,,,line 4: Derived Water Velocity 6366.20 m/s is "
                      "outside 0.01 to 50,");
}

TEST(SolveCommand, KeptColumnsLeadTheOutputUnchanged) {
    const SolveRun run =
        solve({"--batch", "--keep=case,site"},
              "site,flow_lps,case\nWest,30,A1\n\"North, 2\",6000,\"B \"\"2\"\"\"\n");
    EXPECT_EQ(run.code, kExitCaseFailed);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].substr(0, 24), "case,site,flow_lps,veloc");
    EXPECT_EQ(out[1].substr(0, 25), "A1,West,30.000,3.82,100.0");
    EXPECT_EQ(status(out[1]), "Solved");
    EXPECT_EQ(out[2].substr(0, 30), "\"B \"\"2\"\"\",\"North, 2\",6000,,,,,");
    // Columns neither read nor kept stay an error, and so does a kept column that is missing.
    EXPECT_EQ(solve({"--batch", "--keep", "case"}, "case,site\n").err,
              "corvel-solve: unknown column 'site' in the batch header\n");
    const SolveRun missing = solve({"--batch", "--keep", "id"}, "flow_lps\n1\n");
    EXPECT_EQ(missing.code, kExitUsage);
    EXPECT_EQ(missing.err, "corvel-solve: column 'id' to keep is not in the batch header\n");
    EXPECT_EQ(missing.out, "");
}

TEST(SolveCommand, MessagesNeverHoldControlCharactersAndCutLongCells) {
    const std::string longCell(1500, '7');
    const SolveRun run = solve({"--batch"}, "flow_lps\n\"\x1B]0;x\x07\"\n" + longCell +
                                                "e\n\xC2\x9B"
                                                "1\n");
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(status(out[1]),
              "line 2: Water Flowrate: '\\x1B]0;x\\x07' is not a valid floating point value");
    // The cell stays whole in its column; the message holds its first 1,000 characters.
    EXPECT_EQ(out[2].substr(0, 1502), longCell + "e,");
    EXPECT_EQ(status(out[2]), "line 3: Water Flowrate: '" + longCell.substr(0, 1000) +
                                  "…' is not a valid floating point value");
    EXPECT_EQ(status(out[3]), "line 4: Water Flowrate: '\\u009B1' is not a valid floating point "
                              "value");
    const SolveRun header = solve({"--batch"}, "\"flow\x1B[2J\"\n");
    EXPECT_EQ(header.err, "corvel-solve: unknown column 'flow\\x1B[2J' in the batch header\n");
}

TEST(SolveCommand, OverlongLineFailsItsRowOnly) {
    const std::string input = "flow_lps,temperature_c\n30," + std::string(3 << 20, '1') + "\n,20\n";
    const SolveRun run = solve({"--batch"}, input);
    EXPECT_EQ(run.code, kExitCaseFailed);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1], ",,,,,,,,,,,,,,,,,,line 2: the row is longer than 1 MiB,");
    EXPECT_EQ(status(out[2]), "Solved");
    EXPECT_EQ(solve({"--batch"}, std::string(2 << 20, 'x') + "\n").err,
              "corvel-solve: the batch header is longer than 1 MiB\n");
}

TEST(SolveCommand, DirectoryAsBatchFileIsRefusedOnOneLine) {
    const std::string folder = ::testing::TempDir();
    const SolveRun run = solve({"--batch", folder});
    EXPECT_EQ(run.code, kExitUsage);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "corvel-solve: cannot read '" + folder + "': Is a directory\n");
}

std::string repeated(std::string_view text, int count) {
    std::string result;
    for (int i = 0; i < count; ++i)
        result += text;
    return result;
}

/// An output that takes `room` bytes and then fails, as a full disk does.
class FullBuffer : public std::streambuf {
public:
    explicit FullBuffer(std::size_t room) : room_(room) {}

protected:
    int_type overflow(int_type c) override {
        if (room_ == 0)
            return traits_type::eof();
        --room_;
        return traits_type::not_eof(c);
    }

private:
    std::size_t room_;
};

TEST(SolveCommand, FailedWriteIsReportedAndFails) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        std::size_t room;
    };
    const Case cases[] = {
        {{}, "", 0},
        {{"--flow", "30"}, "", 100},
        {{"--help"}, "", 10},
        {{"--batch"}, "flow_lps\n30\n", 0},
        {{"--batch"}, "flow_lps\n30\n", 300},
        {{"--batch"}, "flow_lps\n" + repeated("30\n", 100), 2000},
        // Several chunks solved by the worker threads, the output failing in the second.
        {{"--batch"}, "flow_lps\n" + repeated("30\n", 40000), 4000000},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.input);
        FullBuffer full(c.room);
        std::ostream out(&full);
        std::ostringstream err;
        EXPECT_EQ(RunSolveCommand(c.args, in, out, err), kExitCaseFailed) << c.room;
        const std::string message = err.str();
        EXPECT_EQ(message.rfind("corvel-solve: cannot write the output", 0), 0u) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    }
}

} // namespace
} // namespace corvel

namespace corvel {
namespace {

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        result.push_back(line.substr(start, comma - start));
    result.push_back(line.substr(start));
    return result;
}

TEST(SolveCommandUnits, UsOptionsTakeAndShowUsCustomaryUnits) {
    const SolveRun run =
        solve({"--units", "us", "--flow", "100", "--diameter", "4", "--temperature", "60"});
    ASSERT_EQ(run.code, kExitSolved) << run.err;
    EXPECT_EQ(run.err, "");
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 18u);
    EXPECT_EQ(out[0], "Water Flowrate,100.0,usgpm");
    EXPECT_EQ(out[1], "Water Velocity,2.55,ft/s");
    EXPECT_EQ(out[2], "Inside Diameter,4.00,inch");
    EXPECT_EQ(out[3], "Mean Temperature,60.0,°F");
    EXPECT_EQ(out[5], "Velocity,2.55,ft/s");
    EXPECT_EQ(out[14], "Reynolds Number,70728,-");
    EXPECT_EQ(out[17], "Pressure Drop Rate,0.2708,psi/100 ft");
}

TEST(SolveCommandUnits, OneUnitOptionChangesOnlyItsQuantity) {
    const auto out = lines(
        solve({"--unit", "pressure_drop_rate=Psi/ft", "--unit=flow=usgpm", "--flow", "380.4"}).out);
    ASSERT_EQ(out.size(), 18u);
    EXPECT_EQ(out[0], "Water Flowrate,380.4,usgpm");
    EXPECT_EQ(out[2], "Inside Diameter,100.0,mm");
    EXPECT_EQ(out[17].rfind("Pressure Drop Rate,0.0359", 0), 0u) << out[17];
    EXPECT_EQ(out[17].substr(out[17].rfind(',')), ",Psi/ft");
    // --unit applies over --units whatever their order.
    EXPECT_EQ(lines(solve({"--unit", "flow=lps", "--units", "us"}).out).at(0),
              "Water Flowrate,24.000,l/s");
}

TEST(SolveCommandUnits, RangesRoundingAndMessagesNameTheChosenUnit) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err;
    };
    const Case cases[] = {
        {{"--units", "us", "--flow", "0.1"},
         kExitUsage,
         "corvel-solve: Water Flowrate: 0.1 is outside the range 0.158503 to 79251.6 usgpm\n"},
        {{"--units", "us", "--diameter", "4.004"},
         kExitSolved,
         "corvel-solve: note: Inside Diameter 4.004 inch is solved as 4.00 inch; use --precise "
         "to solve the value as given\n"},
        {{"--units", "us", "--diameter", "0.01"},
         kExitCaseFailed,
         "corvel-solve: Derived Water Velocity 1553925.20 ft/s is outside 0.0328084 to "
         "164.042\n"},
        {{"--units", "metric"},
         kExitUsage,
         "corvel-solve: option --units takes si or us, not 'metric'\n"},
        {{"--unit", "colour=red"},
         kExitUsage,
         "corvel-solve: unknown quantity 'colour' for --unit (the quantities are flow, velocity, "
         "diameter, temperature, roughness, density, heat_capacity, dynamic_viscosity, "
         "conductivity, enthalpy, saturation_pressure, pressure_drop_rate)\n"},
        // The window's pipe-run units are not corvel-solve's: its run prints in kPa, m and kW.
        {{"--unit", "power=HP"},
         kExitUsage,
         "corvel-solve: unknown quantity 'power' for --unit (the quantities are flow, velocity, "
         "diameter, temperature, roughness, density, heat_capacity, dynamic_viscosity, "
         "conductivity, enthalpy, saturation_pressure, pressure_drop_rate)\n"},
        {{"--unit", "flow=gpm"},
         kExitUsage,
         "corvel-solve: unknown unit 'gpm' for flow (its units are lps, lpm, dm3phr, cmh, cms, "
         "usgpm)\n"},
        {{"--unit", "flow"},
         kExitUsage,
         "corvel-solve: option --unit needs QUANTITY=KEY, for example flow=usgpm\n"},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args);
        EXPECT_EQ(run.code, c.code) << c.args.back();
        EXPECT_EQ(run.err, c.err);
    }
}

TEST(SolveCommandUnits, BatchColumnsNameTheirUnitsInBrackets) {
    const SolveRun run =
        solve({"--batch"}, "flow[usgpm],diameter[inches],temperature[degF]\n100,4,60\n");
    ASSERT_EQ(run.code, kExitSolved) << run.err;
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0],
              "flow[usgpm],velocity[mpers],diameter[inches],temperature[degF],"
              "roughness[millimetres],velocity[mpers],density[kgperm3],heat_capacity[kJperkgK],"
              "dynamic_viscosity[uPas],conductivity[mWpermK],prandtl_number,enthalpy[kJperkg],"
              "saturation_pressure[kPa],diffusion_coefficient,reynolds_number,friction_factor,"
              "moody_diagram,pressure_drop_rate[kPa/m],status,notes");
    EXPECT_EQ(out[1].rfind("100.0,0.78,4.00,60.0,0.03000,", 0), 0u) << out[1];
    EXPECT_NE(out[1].find(",70728,"), std::string::npos) << out[1];

    // Bare names read the chosen units; the designed names keep reading the designed ones.
    const auto us = lines(solve({"--batch", "--units", "us"}, "flow,diameter_mm\n100,100\n").out);
    EXPECT_EQ(us.at(0).rfind("flow[usgpm],velocity[ftpers],diameter[millimetres],", 0), 0u);
    EXPECT_EQ(us.at(1).rfind("100.0,", 0), 0u) << us.at(1);
    EXPECT_NE(us.at(1).find(",100.0,48.2,1.181,"), std::string::npos) << us.at(1);
}

TEST(SolveCommandUnits, WithoutUnitOptionsTheBatchHeaderIsUnchanged) {
    EXPECT_EQ(lines(solve({"--batch"}, "flow_lps\n").out).at(0),
              "flow_lps,velocity_mps,diameter_mm,temperature_c,roughness_mm,velocity,density,"
              "heat_capacity,dynamic_viscosity,conductivity,prandtl_number,enthalpy,"
              "saturation_pressure,diffusion_coefficient,reynolds_number,friction_factor,"
              "moody_diagram,pressure_drop_rate,status,notes");
    // --units si names the units while keeping the designed ones.
    EXPECT_EQ(lines(solve({"--batch", "--units", "si"}, "flow_lps\n").out)
                  .at(0)
                  .rfind("flow[lps],velocity[mpers],diameter[millimetres],", 0),
              0u);
}

TEST(SolveCommandUnits, BadUnitColumnsAreUsageErrors) {
    EXPECT_EQ(solve({"--batch"}, "flow[gpm]\n1\n").err,
              "corvel-solve: unknown unit 'gpm' in column 'flow[gpm]' (the units of flow are lps, "
              "lpm, dm3phr, cmh, cms, usgpm)\n");
    EXPECT_EQ(solve({"--batch"}, "flow_lps,flow[usgpm]\n1,2\n").err,
              "corvel-solve: the batch header names the Water Flowrate twice\n");
    EXPECT_EQ(solve({"--batch"}, "flow[usgpm\n1\n").code, kExitUsage);
}

TEST(SolveCommandUnits, HelpListsTheUnitsOfEveryQuantity) {
    const std::string help = solve({"--help"}).out;
    EXPECT_NE(help.find("  flow: lps (SI), lpm, dm3phr, cmh, cms, usgpm (US)\n"),
              std::string::npos);
    EXPECT_NE(help.find("  pressure_drop_rate: Pa/m, kPa/m (SI), iwg/100', Psi/ft, "
                        "psiper100ft (US)\n"),
              std::string::npos);
    for (const auto& line : lines(help))
        EXPECT_LE(line.size(), 80u) << line;
}

/// Whether the cells of a results row tell of a solved row: its status precedes the notes.
bool solvedRow(const std::vector<std::string>& cells) {
    return cells.size() >= 2 && cells[cells.size() - 2] == "Solved";
}

/// Half a unit in the last place a text shows, with room for binary rounding.
double halfLastPlace(const std::string& text) {
    const std::size_t point = text.find('.');
    const int decimals = point == std::string::npos ? 0 : int(text.size() - point - 1);
    return 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + 1e-12;
}

// 1,000 random cases in US customary units agree with the same cases converted into SI by hand
// and solved in SI: values solved as given within 1e-9, and the US texts within their display
// rounding of the SI values converted back.
TEST(SolveCommandUnits, UsCustomaryAgreesWithSiRunsConvertedByHand) {
    constexpr double kGallon = 0.003785411784; // m³
    constexpr double kInch = 0.0254;           // m
    constexpr double kPsi = 6.894757293168361; // kPa
    std::mt19937 random(13);
    std::uniform_real_distribution<double> flow(1, 4000), diameter(1, 30), temperature(33, 390),
        roughness(0.01, 100);
    std::string us = "flow,diameter,temperature,roughness\n";
    std::vector<std::array<double, 4>> given;
    for (int i = 0; i < 1000; ++i) {
        given.push_back({flow(random), diameter(random), temperature(random), roughness(random)});
        us += shortestRealText(given.back()[0]) + ',' + shortestRealText(given.back()[1]) + ',' +
              shortestRealText(given.back()[2]) + ',' + shortestRealText(given.back()[3]) + '\n';
    }
    // SI inputs from US ones: l/s, mm, °C, mm.
    const auto toSi = [&](const std::array<double, 4>& v) {
        return shortestRealText(v[0] * kGallon / 60 * 1000) + ',' +
               shortestRealText(v[1] * kInch * 1000) + ',' + shortestRealText((v[2] - 32) / 1.8) +
               ',' + shortestRealText(v[3] * kInch) + '\n';
    };
    // US result values from SI ones, by list index; the rest keep their units.
    const auto toUs = [&](std::size_t i, double si) {
        switch (i) {
        case 0:
            return si / 0.3048; // ft/s
        case 1:
            return si / 16.018463373960138; // lb/ft³
        case 2:
            return si * 0.23883448770002388; // Btu/lb°F, the catalogue's factor
        case 3:
            return si / 1000; // mg/m-s to cP
        case 4:
            return si * 577.7 / 1e6; // mW/m-K to Btu/hr·ft°F, the catalogue's factor
        case 6:
            return si * 0.4299226139294927; // Btu/lb
        case 7:
            return si / 6.89476; // Psi, the catalogue's factor
        case 12:
            return si * 30.48 / kPsi; // psi/100 ft
        default:
            return si;
        }
    };
    const std::string siHeader = "flow_lps,diameter_mm,temperature_c,roughness_mm\n";

    // Solved exactly as given.
    std::string si = siHeader;
    for (const auto& v : given)
        si += toSi(v);
    const auto usRows = lines(solve({"--batch", "--units", "us", "--precise"}, us).out);
    const auto siRows = lines(solve({"--batch", "--precise"}, si).out);
    ASSERT_EQ(usRows.size(), 1001u);
    ASSERT_EQ(siRows.size(), 1001u);
    int solved = 0;
    for (std::size_t row = 1; row <= 1000; ++row) {
        const auto u = cells(usRows[row]);
        const auto s = cells(siRows[row]);
        ASSERT_EQ(solvedRow(u), solvedRow(s)) << usRows[row] << '\n' << siRows[row];
        if (!solvedRow(u))
            continue;
        EXPECT_EQ(u.back(), s.back()) << "row " << row; // the same notes in any unit
        ++solved;
        for (std::size_t i = 0; i < kResultCount; ++i) {
            if (i == kRegimeResultIndex)
                EXPECT_EQ(u[5 + i], s[5 + i]);
            else
                EXPECT_TRUE(test::NearRel(readReal(u[5 + i]), toUs(i, readReal(s[5 + i])), 1e-9))
                    << "row " << row << " result " << i;
        }
    }
    EXPECT_GT(solved, 900);

    // As the grid shows them: the US inputs as shown, converted and solved exactly in SI.
    const auto shownRows = lines(solve({"--batch", "--units", "us"}, us).out);
    ASSERT_EQ(shownRows.size(), 1001u);
    std::string shownSi = siHeader;
    for (std::size_t row = 1; row <= 1000; ++row) {
        const auto u = cells(shownRows[row]);
        shownSi += toSi({readReal(u[0]), readReal(u[2]), readReal(u[3]), readReal(u[4])});
    }
    const auto exactRows = lines(solve({"--batch", "--precise"}, shownSi).out);
    for (std::size_t row = 1; row <= 1000; ++row) {
        const auto u = cells(shownRows[row]);
        const auto s = cells(exactRows[row]);
        if (!solvedRow(u) || !solvedRow(s))
            continue;
        for (std::size_t i = 0; i < kResultCount; ++i) {
            if (i == kRegimeResultIndex)
                continue;
            const double expected = toUs(i, readReal(s[5 + i]));
            EXPECT_NEAR(readReal(u[5 + i]), expected, halfLastPlace(u[5 + i]))
                << "row " << row << " result " << i << ": " << u[5 + i];
        }
    }
}

} // namespace
} // namespace corvel

namespace corvel {
namespace {

TEST(SolveCommandNotes, BatchRowsCarryTheCodesOfTheirNotes) {
    struct Case {
        const char* row; ///< flow_lps,diameter_mm,temperature_c,line_pressure_kpa
        const char* notes;
    };
    const Case cases[] = {
        {"10,100,20,", ""},                        // 1.27 m/s at 20 °C: nothing doubtful
        {"30,,,", "fast"},                         // 3.82 m/s
        {"0.5,100,20,", "slow"},                   // 0.064 m/s
        {"10,100,150,", "boiling;hot-simple"},     // 150 °C boils at one atmosphere
        {"10,100,150,1000", "hot-simple"},         // but not at 10 bar
        {"10,100,-5,", "supercooled;cold-simple"}, // below freezing
        {"10,100,0,", "cold-simple"},              // at freezing, the guard values
    };
    std::string input = "flow_lps,diameter_mm,temperature_c,line_pressure_kpa\n";
    for (const Case& c : cases)
        input += std::string(c.row) + '\n';
    const SolveRun run = solve({"--batch"}, input);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), std::size(cases) + 1);
    EXPECT_EQ(out[0].substr(out[0].size() - 13), ",status,notes");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto row = cells(out[i + 1]);
        EXPECT_EQ(row.at(row.size() - 2), "Solved") << cases[i].row;
        EXPECT_EQ(row.back(), cases[i].notes) << cases[i].row;
    }
}

TEST(SolveCommandNotes, TransitionZoneIsNotedInTheBatch) {
    // 0.03 l/s in a 10 mm pipe at 20 °C: 0.38 m/s, Reynolds number about 3800.
    const auto row = cells(lines(solve({"--batch"}, "flow_lps,diameter_mm,temperature_c\n"
                                                    "0.03,10,20\n")
                                     .out)
                               .at(1));
    const double reynolds = readReal(row.at(14));
    ASSERT_GE(reynolds, 2300);
    ASSERT_LT(reynolds, 4000);
    EXPECT_EQ(row.back(), "transition");
}

TEST(SolveCommandNotes, ReferenceWaterChangesThePropertiesAndDropsTheSimpleNotes) {
    const auto simple = cells(lines(solve({"--batch"}, "temperature_c\n150\n").out).at(1));
    const auto iapws =
        cells(lines(solve({"--batch", "--water", "iapws"}, "temperature_c\n150\n").out).at(1));
    EXPECT_EQ(simple.back(), "boiling;hot-simple;fast");
    EXPECT_EQ(iapws.back(), "boiling;fast");
    EXPECT_NE(simple.at(6), iapws.at(6)); // the density
    EXPECT_EQ(iapws.at(6), "917.0");
}

TEST(SolveCommandNotes, SingleCaseTellsCautionsOnStandardErrorAfterTheResults) {
    const SolveRun hot = solve({"--temperature", "150"});
    EXPECT_EQ(hot.code, kExitSolved);
    EXPECT_EQ(lines(hot.out).size(), 18u);
    const auto err = lines(hot.err);
    ASSERT_EQ(err.size(), 2u) << hot.err;
    EXPECT_EQ(err[0].rfind("corvel-solve: note [boiling]: The line pressure is below", 0), 0u);
    EXPECT_EQ(err[1].rfind("corvel-solve: note [hot-simple]: Above 100 °C", 0), 0u);
    // At 10 bar the water stays liquid; design hints such as "fast" stay off standard error.
    EXPECT_EQ(lines(solve({"--temperature", "150", "--line-pressure", "1000"}).err).size(), 1u);
    EXPECT_EQ(solve({}).err, "");
}

TEST(SolveCommandNotes, BadWaterOptionsAreUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        int code;
        std::string message; ///< standard error, or the batch row's status
    };
    const Case cases[] = {
        {{"--water", "steam"},
         "",
         kExitUsage,
         "corvel-solve: option --water takes simple or iapws, not 'steam'\n"},
        {{"--line-pressure", "0"},
         "",
         kExitUsage,
         "corvel-solve: Line Pressure: 0 is outside the range 0.1 to 100000 kPa\n"},
        {{"--line-pressure", "1e6"},
         "",
         kExitUsage,
         "corvel-solve: Line Pressure: 1e6 is outside the range 0.1 to 100000 kPa\n"},
        {{"--line-pressure", "high"},
         "",
         kExitUsage,
         "corvel-solve: Line Pressure: 'high' is not a valid floating point value\n"},
        {{"--batch", "--line-pressure", "200"},
         "",
         kExitUsage,
         "corvel-solve: --batch takes its values from the batch file, not from options\n"},
        {{"--batch"},
         "line_pressure_kpa\n-1\n",
         kExitCaseFailed,
         "line 2: Line Pressure: -1 is outside the range 0.1 to 100000 kPa"},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args, c.input);
        EXPECT_EQ(run.code, c.code) << c.args.back();
        if (c.input.empty())
            EXPECT_EQ(run.err, c.message);
        else
            EXPECT_EQ(status(lines(run.out).at(1)), c.message);
    }
}

TEST(SolveCommandNotes, HelpListsEveryNoteCodeWithItsSummary) {
    const std::string help = solve({"--help"}).out;
    for (const NoteKind& kind : kNoteKinds)
        EXPECT_NE(help.find("\n  " + std::string(kind.code) + " "), std::string::npos) << kind.code;
    EXPECT_NE(help.find("  fast           Velocity above 3 m/s: noise and erosion.\n"),
              std::string::npos);
}

} // namespace
} // namespace corvel

namespace corvel {
namespace {

/// A folder of case files for one test, removed afterwards.
class SolveCaseFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::path(::testing::TempDir()) /
                  ("corvel_cases_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    /// The path of `name` in the folder, holding `text`.
    std::string file(const std::string& name, const std::string& text) const {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    /// The path of `name` in the folder, holding `stored` as the window saves it.
    std::string saved(const std::string& name, const StoredCase& stored) const {
        const std::string path = (folder_ / name).string();
        CaseFile(path).Write(stored);
        return path;
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

private:
    std::filesystem::path folder_;
};

// The lines the window shows and copies for a case it opened: its inputs as the grid shows
// them, then the clipboard's result lines.
std::vector<std::string> windowLines(const StoredCase& stored, WaterModel water = {}) {
    FlowCase c;
    c.Water = water;
    stored.ApplyTo(c);
    const InputTexts texts = c.ShowInputs();
    EXPECT_TRUE(c.Solve().solved);
    std::vector<std::string> result;
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
        result.push_back(std::string(kInputRows[row - 1].caption) + ',' + texts[row - 1] + ',' +
                         kInputRows[row - 1].units);
    std::string clipboard = ClipboardText(MakeResultRows(c));
    clipboard.erase(std::remove(clipboard.begin(), clipboard.end(), '\r'), clipboard.end());
    for (const std::string& line : lines(clipboard))
        result.push_back(line);
    return result;
}

TEST_F(SolveCaseFiles, SavedCaseSolvesAsTheWindowShowsItOpened) {
    // Values the grid's formats round: the solve takes them exact, as an opened case does.
    const StoredCase stored{0.0123456789, 0.0876543, 37.25, 0.0000456};
    const SolveRun run = solve({"--case", saved("pipe.ini", stored)});
    EXPECT_EQ(run.code, kExitSolved) << run.err;
    EXPECT_EQ(lines(run.out), windowLines(stored));
    EXPECT_EQ(run.err, "");

    const SolveRun iapws = solve({"--case", path("pipe.ini"), "--water", "iapws"});
    EXPECT_EQ(lines(iapws.out), windowLines(stored, WaterModel::Iapws));
}

TEST_F(SolveCaseFiles, EachCaseIsABlockAndAFailedCaseLeavesItsBlockEmpty) {
    const std::string a = saved("a.ini", {0.03, 0.1, 9, 0.00003});
    const std::string other = file("other.ini", "[Settings]\nQ=0.03\n");
    const std::string hot = file("hot.ini", "[Store]\nt=150\n"); // the rest takes defaults
    const SolveRun run = solve({"--case", a, "--case=" + other, "--case", hot});
    EXPECT_EQ(run.code, kExitCaseFailed);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 18u + 1 + 1 + 18);
    EXPECT_EQ(out[0], "Water Flowrate,30.000,l/s");
    EXPECT_EQ(out[18], "");
    EXPECT_EQ(out[19], "");
    EXPECT_EQ(out[20], "Water Flowrate,24.000,l/s");
    EXPECT_EQ(out[23], "Mean Temperature,150.0,°C");
    const auto err = lines(run.err);
    ASSERT_EQ(err.size(), 3u) << run.err;
    EXPECT_EQ(err[0], "corvel-solve: '" + other +
                          "' is not a case file: its section [Store] has none of the keys Q, d, "
                          "t and k");
    EXPECT_EQ(err[1].rfind("corvel-solve: " + hot + ": note [boiling]: ", 0), 0u) << err[1];
}

TEST_F(SolveCaseFiles, MissingOrUnreadableCaseFileIsAUsageError) {
    const std::string a = saved("a.ini", {});
    const SolveRun missing = solve({"--case", a, "--case", path("none.ini")});
    EXPECT_EQ(missing.code, kExitUsage);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err,
              "corvel-solve: cannot open '" + path("none.ini") + "': No such file or directory\n");
    const SolveRun folder = solve({"--case", ::testing::TempDir()});
    EXPECT_EQ(folder.code, kExitUsage);
    EXPECT_NE(folder.err.find("Is a directory"), std::string::npos) << folder.err;
}

TEST_F(SolveCaseFiles, BatchOfCaseFilesWritesARowPerFileLedByItsName) {
    const std::string a = saved("a.ini", {0.5, 0.25, 20, 0.0005});
    const std::string bad = file("bad.ini", "not an ini file at all");
    const std::string none = path("none.ini");
    const SolveRun run = solve({"--batch-cases", a, bad, none});
    EXPECT_EQ(run.code, kExitCaseFailed);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 4u) << run.out;
    const auto header = lines(solve({"--batch"}, "flow_lps\n").out).at(0);
    EXPECT_EQ(out[0], "case," + header);
    // The row holds what a batch row of the same inputs holds.
    const auto same = lines(solve({"--batch"}, "flow_lps,diameter_mm,temperature_c,roughness_mm\n"
                                               "500,250,20,0.5\n")
                                .out)
                          .at(1);
    EXPECT_EQ(out[1], a + "," + same);
    EXPECT_EQ(out[2], bad + ",,,,,,,,,,,,,,,,,,,\"'" + bad +
                          "' is not a case file: its section [Store] has none of the keys Q, d, "
                          "t and k\",");
    EXPECT_EQ(out[3],
              none + ",,,,,,,,,,,,,,,,,,,cannot open '" + none + "': No such file or directory,");
    // Units and the water choice apply as in any batch.
    const auto us = lines(solve({"--batch-cases", a, "--units", "us"}).out);
    EXPECT_EQ(us.at(0).rfind("case,flow[usgpm],", 0), 0u);
}

TEST(SolveCommandCases, CaseOptionsThatCannotGoTogetherAreUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"--case", "a.ini", "--flow", "3"},
         "--case takes its values from the case files, not from options"},
        {{"--batch-cases", "a.ini", "--diameter", "3"},
         "--batch-cases takes its values from the case files, not from options"},
        {{"--batch-cases"}, "option --batch-cases needs at least one case file"},
        {{"--case", "a.ini", "--batch-cases", "b.ini"},
         "--case and --batch-cases cannot be given together"},
        {{"--batch", "--case", "a.ini"},
         "--batch reads a CSV file; --case and --batch-cases read case files"},
        {{"--case"}, "option --case needs a value"},
        {{"--case", "a.ini", "--line-pressure", "0"},
         "Line Pressure: 0 is outside the range 0.1 to 100000 kPa"},
        {{"--batch-cases", "a.ini", "--line-pressure", "x"},
         "Line Pressure: 'x' is not a valid floating point value"},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args);
        EXPECT_EQ(run.code, kExitUsage);
        EXPECT_EQ(run.err, "corvel-solve: " + c.err + "\n");
    }
}

} // namespace
} // namespace corvel

namespace corvel {
namespace {

// The run's figures agree with the pipe-flow formulas applied to the case's own printed results.
TEST(SolveCommandPipeRun, RunLinesFollowTheResultsAndAgreeWithTheFormulas) {
    const SolveRun run = solve({"--precise", "--flow", "30", "--length", "250", "--fittings-k",
                                "3.5", "--elevation", "12", "--pump-efficiency", "65"});
    ASSERT_EQ(run.code, kExitSolved) << run.err;
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 25u);
    EXPECT_EQ(out[18].rfind("Friction Loss,", 0), 0u);
    EXPECT_EQ(out[24].substr(out[24].size() - 3), ",kW");
    const double rho = lineValue(run.out, "Density");
    const double v = lineValue(run.out, "Velocity");
    const double gradient = lineValue(run.out, "Pressure Drop Rate"); // kPa/m
    const double friction = lineValue(run.out, "Friction Loss");
    const double fittings = lineValue(run.out, "Fittings Loss");
    const double rise = lineValue(run.out, "Static Pressure");
    const double total = lineValue(run.out, "Total Pressure Drop");
    EXPECT_TRUE(test::NearRel(friction, 250 * gradient, 1e-12));
    EXPECT_TRUE(test::NearRel(fittings, 3.5 * rho * v * v / 2 / 1000, 1e-12));
    EXPECT_TRUE(test::NearRel(rise, rho * 9.80665 * 12 / 1000, 1e-12));
    EXPECT_TRUE(test::NearRel(total, friction + fittings + rise, 1e-12));
    EXPECT_TRUE(
        test::NearRel(lineValue(run.out, "Total Head"), total * 1000 / (rho * 9.80665), 1e-12));
    EXPECT_TRUE(test::NearRel(lineValue(run.out, "Pump Power"), 0.030 * total, 1e-12));
    EXPECT_TRUE(test::NearRel(lineValue(run.out, "Shaft Power"), 0.030 * total / 0.65, 1e-12));
}

TEST(SolveCommandPipeRun, RunThatFallsNeedsNoPump) {
    const auto out = lines(solve({"--length", "100", "--elevation", "-50"}).out);
    ASSERT_EQ(out.size(), 25u);
    EXPECT_EQ(out[23], "Pump Power,no pump needed,kW");
    EXPECT_EQ(out[24], "Shaft Power,no pump needed,kW");
}

TEST(SolveCommandPipeRun, BatchWritesTheRunColumnsOnlyWithARunColumn) {
    const SolveRun run = solve({"--batch"}, "flow_lps,length_m,fittings,elevation_m\n"
                                            "30,100,Valve gate*2,\n"
                                            "10,,,-100\n"
                                            "5,-1,,\n");
    EXPECT_EQ(run.code, kExitCaseFailed);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_NE(out[0].find(",pressure_drop_rate,friction_loss,fittings_loss,static_pressure,"
                          "total_pressure_drop,total_head,pump_power,shaft_power,status,notes"),
              std::string::npos)
        << out[0];
    const auto solved = cells(out[1]);
    ASSERT_EQ(solved.size(), 27u);
    EXPECT_EQ(solved[18], "124.295"); // 100 m at 1.243 kPa/m, unrounded
    EXPECT_EQ(solved[20], "0.000");
    EXPECT_EQ(cells(out[2])[23], "no pump needed");
    EXPECT_EQ(status(out[3]), "line 4: Pipe Length: -1 is outside the range 0 to 100000 m");
    EXPECT_EQ(cells(out[3]).size(), 27u);
    // A line pressure column alone adds no run columns.
    EXPECT_EQ(cells(lines(solve({"--batch"}, "line_pressure_kpa\n200\n").out).at(0)).size(), 20u);
}

TEST(SolveCommandPipeRun, BatchLengthAndRiseInAUnitOfTheirOwnSolveAsInMetres) {
    // 328.084 ft is 100.0000032 m and 32.8084 ft is 10.00000032 m: the same run to the
    // digits shown.
    const std::string fittings = "\"Elbow 90 deg threaded standard r/D=1*4\"";
    const auto inFeet = lines(solve({"--batch"}, "length[feet],elevation[feet],fittings\n"
                                                 "328.084,32.8084," +
                                                     fittings + "\n")
                                  .out);
    const auto inMetres =
        lines(solve({"--batch"}, "length_m,elevation_m,fittings\n100,10," + fittings + "\n").out);
    ASSERT_EQ(inFeet.size(), 2u);
    ASSERT_EQ(inMetres.size(), 2u);
    EXPECT_EQ(inFeet[0], inMetres[0]) << "the output columns do not depend on the input unit";
    EXPECT_EQ(inFeet[1], inMetres[1]);
    EXPECT_EQ(cells(inFeet[1])[21], "189.053");

    // The range is checked and told in the unit given; a falling run in inches.
    const SolveRun bad = solve({"--batch"}, "length[feet],elevation[inches]\n400000,\n,-393700\n");
    EXPECT_EQ(bad.code, kExitCaseFailed);
    const auto out = lines(bad.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(status(out[1]), "line 2: Pipe Length: 400000 is outside the range 0 to 328084 ft");
    EXPECT_EQ(cells(out[2])[22], "-9999.98");
}

TEST(SolveCommandPipeRun, BatchRunColumnsInUnknownUnitsOrTwiceAreUsageErrors) {
    struct Case {
        const char* header;
        const char* err;
    };
    const Case cases[] = {
        {"length[furlongs]", "unknown unit 'furlongs' of length (known: metres, centimetres, "
                             "millimetres, inches, feet)"},
        {"elevation[]", "unknown unit '' of elevation (known: metres, centimetres, millimetres, "
                        "inches, feet)"},
        {"length[feet],length_m", "the batch header names the length twice, in two units"},
        {"elevation_m,elevation[metres]",
         "the batch header names the elevation twice, in two units"},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve({"--batch"}, std::string(c.header) + "\n1\n");
        EXPECT_EQ(run.code, kExitUsage) << c.header;
        EXPECT_EQ(run.err, "corvel-solve: " + std::string(c.err) + "\n") << c.header;
    }
}

TEST(SolveCommandPipeRun, BadRunValuesAreUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"--pump-efficiency", "0"}, "Pump Efficiency: 0 is outside the range 1 to 100 %"},
        {{"--elevation", "20000"}, "Elevation Rise: 20000 is outside the range -10000 to 10000 m"},
        {{"--fittings-k", "x"}, "Fittings K: 'x' is not a valid floating point value"},
        {{"--fittings", "Zzz*2"}, "Unknown fitting \"Zzz\"."},
        {{"--case", "a.ini", "--length", "3"},
         "--case takes its values from the case files, not from options"},
        {{"--batch", "--length", "3"},
         "--batch takes its values from the batch file, not from options"},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args);
        EXPECT_EQ(run.code, kExitUsage) << c.args.front();
        EXPECT_EQ(run.err, "corvel-solve: " + c.err + "\n");
    }
}

} // namespace
} // namespace corvel

namespace corvel {
namespace {

// A sized case solves back to its limit: its own Pressure Drop Rate line reads the limit.
TEST(SolveCommandSizing, SizedCaseSolvesBackToItsLimit) {
    struct Case {
        std::vector<std::string> args;
        const char* caption; ///< the line that must read the limit
        double limit;
    };
    const Case cases[] = {
        {{"--size-for", "dp_rate=0.5", "--find", "flow", "--precise"}, "Pressure Drop Rate", 0.5},
        {{"--flow", "12", "--size-for", "dp_rate=2", "--find", "diameter", "--precise"},
         "Pressure Drop Rate",
         2},
        {{"--flow", "30", "--length", "100", "--fittings-k", "2", "--size-for", "dp_total=50",
          "--find", "diameter", "--precise"},
         "Total Pressure Drop",
         50},
        // In US units the limit is in the unit the rate is shown in.
        {{"--units", "us", "--size-for", "dp_rate=3", "--find", "flow", "--precise"},
         "Pressure Drop Rate",
         3},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args);
        ASSERT_EQ(run.code, kExitSolved) << run.err;
        EXPECT_TRUE(test::NearRel(lineValue(run.out, c.caption), c.limit, 1e-8)) << c.caption;
    }
}

TEST(SolveCommandSizing, TableSizeIsTheSmallestThatMeetsTheLimit) {
    const SolveRun run = solve({"--flow", "30", "--size-for", "dp_rate=1", "--find", "diameter",
                                "--table", "ASME B36.10M 40"});
    ASSERT_EQ(run.code, kExitSolved) << run.err;
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 19u);
    EXPECT_EQ(out[2], "Inside Diameter,128.2,mm");
    EXPECT_EQ(out[18], "Pipe Size,5,ASME B36.10M 40");
    EXPECT_LE(lineValue(run.out, "Pressure Drop Rate"), 1);
    // The next smaller size, 4 inch (102.3 mm), exceeds the limit.
    EXPECT_GT(lineValue(solve({"--flow", "30", "--diameter", "102.26"}).out, "Pressure Drop Rate"),
              1);
}

TEST(SolveCommandSizing, BadSizingIsAUsageErrorAndNoAnswerFails) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err;
    };
    const Case cases[] = {
        {{"--size-for", "dp_rate=1"}, kExitUsage, "--size-for and --find go together"},
        {{"--size-for", "dp=1", "--find", "flow"},
         kExitUsage,
         "option --size-for takes dp_rate=X or dp_total=X, not 'dp=1'"},
        {{"--size-for", "dp_rate=0", "--find", "flow"},
         kExitUsage,
         "the limit of --size-for must be above 0"},
        {{"--size-for", "dp_rate=1", "--find", "speed"},
         kExitUsage,
         "option --find takes flow or diameter, not 'speed'"},
        {{"--size-for", "dp_rate=1", "--find", "flow", "--table", "ASME B36.10M 40"},
         kExitUsage,
         "--table applies to --find diameter only"},
        {{"--size-for", "dp_rate=1", "--find", "flow", "--water", "iapws"},
         kExitUsage,
         "--size-for sizes with the simple water properties only"},
        {{"--size-for", "dp_rate=1e-9", "--find", "flow"}, kExitCaseFailed, "no flowrate in range"},
    };
    for (const Case& c : cases) {
        const SolveRun run = solve(c.args);
        EXPECT_EQ(run.code, c.code) << c.err;
        EXPECT_EQ(run.err, "corvel-solve: " + c.err + "\n");
    }
    const SolveRun table = solve({"--size-for", "dp_rate=1", "--find", "diameter", "--table", "X"});
    EXPECT_EQ(table.code, kExitUsage);
    EXPECT_EQ(table.err.rfind("corvel-solve: unknown pipe table 'X' (the tables are ", 0), 0u);
}

} // namespace
} // namespace corvel
