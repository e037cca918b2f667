#include "app/SolveCommand.h"

#include "CorvelVersion.h"
#include "app/CaseFile.h"
#include "app/CaseNoteCodes.h"
#include "app/CsvReader.h"
#include "app/FlowCase.h"
#include "app/PrintableText.h"
#include "app/Results.h"
#include "app/SolvePipeRun.h"
#include "physics/Validity.h"
#include "pipes/Sizing.h"
#include "platform/Errors.h"
#include "platform/PrivateProfile.h"
#include "units/NumberText.h"
#include "units/UnitChoices.h"

#include <algorithm>
#include <array>
#include <barrier>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <limits>
#include <optional>
#include <ostream>
#include <string_view>
#include <thread>

namespace corvel {

namespace {

constexpr std::string_view kProgram = "corvel-solve";

constexpr std::string_view kHelp = R"(Usage: corvel-solve [OPTION]...
Solve full water flow in a round pipe, as the Corvel calculator does.

Each case starts from the default case (24 l/s in a 100 mm pipe, water at 9 °C,
roughness 0.03 mm). Every value given is an edit of that row of the input grid,
applied in the order given: the two most recently given of flowrate, velocity
and diameter form the given pair and the third is derived from them.

  --flow L_S           water flowrate in l/s (0.01 to 5000)
  --velocity M_S       water velocity in m/s (0.01 to 50)
  --diameter MM        inside diameter in mm (0.1 to 5000)
  --temperature C      mean water temperature in °C (-20 to 200)
  --roughness MM       surface roughness in mm (0.0001 to 200)
  --units si|us        give and show every quantity in SI units, as designed
                       (the default), or in US customary units
  --unit QUANTITY=KEY  give and show QUANTITY in the unit KEY of the list
                       below; may be repeated, and applies over --units
  --water simple|iapws take the water properties from the simple correlations
                       (the default) or from the IAPWS reference formulations
  --line-pressure KPA  absolute pressure in the pipe in kPa (0.1 to 100000;
                       default 101.325): the water boils below its saturation
                       pressure, and the IAPWS properties are taken at it
  --length M           length of a pipe run in m (0 to 100000)
  --elevation M        rise of the run from inlet to outlet in m (-10000 to
                       10000; negative where it falls)
  --fittings-k K       a fixed sum of loss coefficients K of the run (0 to 1e6)
  --fittings TEXT      the run's fittings, each a fitting's name (or the start
                       of exactly one) with a count, such as
                       "Valve gate*2;Elbow 90 deg threaded standard*4"
  --pump-efficiency PCT
                       efficiency of the run's pump in % (1 to 100; default 70)
  --size-for dp_rate=X|dp_total=X
                       size the case for a pressure drop rate (in the unit it
                       is shown in) or a run's total pressure drop in kPa ...
  --find flow|diameter ... by finding its flowrate or its diameter, and print
                       the case solved with the answer
  --table NAME         with --find diameter, the smallest size of a pipe table
                       that meets the limit, such as "ASME B36.10M 40"; its
                       nominal size follows as a line "Pipe Size,SIZE,NAME"
  --batch [FILE]       solve every row of a CSV file (standard input when FILE
                       is absent or "-") and write the results as CSV
  --case FILE          solve the case saved in FILE by the calculator instead of
                       the default case; may be repeated, one block of lines
                       per case, the blocks separated by a blank line
  --batch-cases FILE...
                       solve the case of each FILE into one CSV row, led by a
                       column "case" with the file's name
  --keep NAME[,NAME]   in a batch, copy these columns of the file unchanged to
                       the front of the output (a case id, for example)
  --precise            solve the values as given instead of as the grid shows
                       them, and write every number in full: 17 significant
                       digits for one case, in a batch the shortest text that
                       reads back as the same double
  -h, --help           show this help and exit
  --version            show the version and exit

The five input options take their values in the chosen units, the ranges
above converted into them; the inputs are rounded with the chosen unit's format.

Without --batch the five inputs as the grid shows them and the 13 results are
printed one per line as "caption,value,units", as the calculator copies them to
the clipboard. The grid shows each input in its display format (the diameter to
0.1 mm, for example) and the case is solved with the values shown; a note on
standard error tells when a value given was rounded so. The notes below of
caution and warning (all but fast and slow) follow the results on standard
error as "note [CODE]: text".

With any of the five pipe-run options, seven lines follow the results: Friction
Loss, Fittings Loss, Static Pressure and Total Pressure Drop in kPa, Total Head
in m of the water, Pump Power (hydraulic) and Shaft Power in kW, or "no pump
needed" where the run loses height overall. A batch takes the columns
length_m, elevation_m, fittings_k, fittings and pump_efficiency_pct (length and
elevation also as length[KEY] and elevation[KEY] with KEY a unit of
"Length - Primary", e.g. length[ft]), and with
any of them writes friction_loss, fittings_loss, static_pressure,
total_pressure_drop, total_head, pump_power and shaft_power before the status.

A case file is the calculator's: section [Store] with the keys Q (m³/s), d (m),
t (°C) and k (m). A key missing or out of range takes its default value, as the
calculator takes it; a file with none of the keys is no case, and its block
stays empty or its row fails. A case is solved with its values as saved and
shown as the calculator shows it opened. A case file that does not exist or
cannot be read is an error (exit status 2) with --case, a failed row with
--batch-cases.

A batch header names any of the columns flow_lps, velocity_mps, diameter_mm,
temperature_c and roughness_mm, and the columns given to --keep. Each row starts
from the default case and applies its non-empty cells as edits in column order.
The output holds the kept columns, the five inputs after derivation, the 13
results (velocity, density, heat_capacity, dynamic_viscosity, conductivity,
prandtl_number, enthalpy, saturation_pressure, diffusion_coefficient,
reynolds_number, friction_factor, moody_diagram, pressure_drop_rate) and a
status column: "Solved", or the input line and why the row failed, and a notes
column: the codes of the notes below that a solved row earns, separated by
";", empty when every figure is sound. A column line_pressure_kpa gives each
row its line pressure. A failed row
keeps its input cells as given and does not stop the batch. Batch files follow
RFC 4180; blanks around cells are ignored and a row may be at most 1 MiB long.

An input column may also be named flow, velocity, diameter, temperature or
roughness, in the chosen unit, or name its unit by key in brackets, such as
flow[usgpm], diameter[inches] or temperature[degF], which acts as --unit for
that quantity; the names flow_lps and so on read the SI units. With --units,
--unit or a bracketed column, every output column of a quantity with a unit
names it in brackets: flow[usgpm], pressure_drop_rate[Psi/ft].

Values are plain decimal numbers with "." as the decimal point; a value outside
its range is an error, never clamped. A case whose derived flowrate, velocity or
diameter lies outside that row's range fails.

Exit status: 0 solved; 1 the solve or at least one batch row failed, or the
output could not be written; 2 a bad option, value, batch file or header, or a
case file of --case that does not exist or cannot be read.
)";

/// The help's list of the note codes with their summaries.
std::string notesHelp() {
    std::string text = "\nNotes (the codes of the notes column):\n";
    for (const NoteKind& kind : kNoteKinds) {
        std::string line = "  " + std::string(kind.code);
        line.resize(std::max<std::size_t>(line.size() + 1, 17), ' ');
        // Summaries wrap at 80 columns, continued under their first word.
        std::size_t start = 0;
        const std::string_view summary = kind.summary;
        while (start < summary.size()) {
            std::size_t end = summary.size();
            if (line.size() + (end - start) > 79) {
                end = summary.rfind(' ', start + (79 - line.size()));
                if (end == std::string_view::npos || end <= start)
                    end = summary.size();
            }
            line += summary.substr(start, end - start);
            text += line + '\n';
            line = std::string(17, ' ');
            start = end < summary.size() ? end + 1 : end;
        }
    }
    return text;
}

/// The help's list of the units of each quantity, by key, marking the SI and US ones.
std::string unitsHelp() {
    std::string text = "\nUnits of --unit QUANTITY=KEY (SI: as designed, US: of --units us):\n";
    for (const QuantityInfo& info : Quantities()) {
        std::string line = "  " + std::string(info.key) + ":";
        for (int unit = 0; unit < UnitCount(info.category); ++unit) {
            std::string item = ' ' + UnitKey(info.category, unit);
            if (unit == info.designedUnit)
                item += " (SI)";
            if (unit == info.usUnit)
                item += " (US)";
            if (unit + 1 < UnitCount(info.category))
                item += ',';
            // Lines wrap at 80 columns, continued under the first key.
            if (line.size() + item.size() > 79) {
                text += line + '\n';
                line = std::string(info.key.size() + 3, ' ');
            }
            line += item;
        }
        text += line + '\n';
    }
    return text;
}

/// The option or batch column for each input row, in row order.
struct InputName {
    int row;
    std::string_view option;
    std::string_view column; ///< the column named in the designed unit
    std::string_view stem;   ///< the column named in the chosen unit, "stem" or "stem[key]"
};

constexpr InputName kInputNames[] = {
    {kFlowRateRow, "--flow", "flow_lps", "flow"},
    {kVelocityRow, "--velocity", "velocity_mps", "velocity"},
    {kDiameterRow, "--diameter", "diameter_mm", "diameter"},
    {kTemperatureRow, "--temperature", "temperature_c", "temperature"},
    {kRoughnessRow, "--roughness", "roughness_mm", "roughness"},
};

constexpr std::string_view kResultColumns =
    "velocity,density,heat_capacity,dynamic_viscosity,conductivity,prandtl_number,enthalpy,"
    "saturation_pressure,diffusion_coefficient,reynolds_number,friction_factor,moody_diagram,"
    "pressure_drop_rate";

/// The result columns one by one, in list order.
constexpr std::array<std::string_view, kResultCount> kResultNames = {"velocity",
                                                                     "density",
                                                                     "heat_capacity",
                                                                     "dynamic_viscosity",
                                                                     "conductivity",
                                                                     "prandtl_number",
                                                                     "enthalpy",
                                                                     "saturation_pressure",
                                                                     "diffusion_coefficient",
                                                                     "reynolds_number",
                                                                     "friction_factor",
                                                                     "moody_diagram",
                                                                     "pressure_drop_rate"};

/// The batch column of the line pressure [kPa].
constexpr std::string_view kLinePressureColumn = "line_pressure_kpa";

/// The line pressures corvel-solve takes [kPa]: up to the 100 MPa the reference formulation
/// of liquid water covers.
constexpr double kMinLinePressure = 0.1;
constexpr double kMaxLinePressure = 100000;

/// A bad option, batch file or batch header: reported on one line, exit code 2.
class UsageError : public Exception {
public:
    using Exception::Exception;
};

const InputRowInfo& rowInfo(int row) {
    return kInputRows[static_cast<std::size_t>(row - 1)];
}

/// `value` with 17 significant digits, enough to read back as the same double.
std::string fullText(double value) {
    std::array<char, 40> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::general, 17);
    return std::string(buffer.data(), ec == std::errc() ? end : buffer.data());
}

/// The input row of the quantity the case derives from its given pair.
int derivedRow(const FlowCase& flowCase) {
    switch (flowCase.Derived) {
    case 1:
        return kFlowRateRow;
    case 2:
        return kDiameterRow;
    default:
        return kVelocityRow;
    }
}

/// What the input grid admits in each row in the chosen units: the range, the editor's format
/// and the unit's label.
struct RowUnit {
    double min = 0;
    double max = 0;
    std::string editFormat;
    std::string label;
};

/// The grid of the default case in chosen units, which every case of a run starts from.
class GridStart;

/// A case being edited as in the input grid: the case and the grid's value texts. A batch
/// solves many cases, so texts are formatted and read again only where they changed. A precise
/// case takes the values as given and has no texts. Values are given and shown in the units
/// the case's unit choices name.
class GridCase {
public:
    GridCase(const GridStart& start, bool precise);
    // The case points into its own grid.
    GridCase(const GridCase&) = delete;
    GridCase& operator=(const GridCase&) = delete;

    /// Commits `text` to `row` as the grid does: the number must lie in the row's range; the
    /// editor's text is read with all the others, the case recomputes and writes them back.
    void edit(int row, std::string_view text) {
        const InputRowInfo& info = rowInfo(row);
        const RowUnit& unit = rowUnit(row);
        const std::string_view value = TrimmedValue(text);
        double x = 0;
        try {
            x = readReal(value);
        } catch (const EConvertError&) {
            throw EConvertError(std::string(info.caption) + ": '" + printableText(value) +
                                "' is not a valid floating point value");
        }
        if (!(x >= unit.min && x <= unit.max))
            throw EConvertError(
                formatText("%s: %s is outside the range %0.6g to %0.6g %s",
                           {info.caption, printableText(value), unit.min, unit.max, unit.label}));
        if (precise_) {
            grid_.flowCase.InputValue(row) =
                grid_.flowCase.Units.fromDisplay(InputQuantity(row), x);
            grid_.flowCase.ApplyEdit(row);
            return;
        }
        const auto i = static_cast<std::size_t>(row - 1);
        grid_.texts[i] = formatText(unit.editFormat, {x});
        // The editor's text is not one the case made: it is written back whatever its value.
        grid_.shownValues[i] = std::numeric_limits<double>::quiet_NaN();
        readInputs();
        grid_.flowCase.ApplyEdit(row);
        showInputs();
    }

    /// Takes the inputs of a stored case, shown as the window shows an opened case: the texts
    /// are made from the values, and a text left as it was gives back the exact value.
    void load(const StoredCase& stored) {
        FlowCase& c = grid_.flowCase;
        stored.ApplyTo(c);
        for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
            const auto i = static_cast<std::size_t>(row - 1);
            const double value = c.InputValue(row);
            grid_.texts[i] = grid_.readTexts[i] = FlowCase::InputText(row, value, c.Units);
            grid_.shownValues[i] = grid_.readValues[i] = value;
        }
    }

    /// Sets the absolute line pressure from `text` in kPa; it must lie in its range.
    void setLinePressure(std::string_view text) {
        const std::string_view value = TrimmedValue(text);
        double x = 0;
        try {
            x = readReal(value);
        } catch (const EConvertError&) {
            throw EConvertError("Line Pressure: '" + printableText(value) +
                                "' is not a valid floating point value");
        }
        if (!(x >= kMinLinePressure && x <= kMaxLinePressure))
            throw EConvertError(
                formatText("Line Pressure: %s is outside the range %0.6g to %0.6g kPa",
                           {printableText(value), kMinLinePressure, kMaxLinePressure}));
        grid_.flowCase.LinePressure = x;
    }

    struct Outcome {
        bool solved;
        bool derivedOutOfRange; ///< the message tells which derived value and its range
        std::string message;    ///< empty when solved
    };

    /// Solves from the grid texts, as the window's solve does. A derived flowrate, velocity or
    /// diameter outside its row's range fails the case, which the window lets pass.
    Outcome solve() {
        if (!precise_)
            readInputs();
        FlowCase& c = grid_.flowCase;
        const int derived = derivedRow(c);
        if (derived != kVelocityRow)
            if (std::optional<std::string> message = checkDerived(derived))
                return {false, true, std::move(*message)};
        SolveOutcome outcome = c.Solve();
        if (outcome.solved && derived == kVelocityRow)
            if (std::optional<std::string> message = checkDerived(derived))
                return {false, true, std::move(*message)};
        return {outcome.solved, false, std::move(outcome.message)};
    }

    /// Sets one input of the pipe run; the case then has a run.
    void setRunInput(RunInput input, std::string_view text, int lengthUnit = -1) {
        if (lengthUnit < 0)
            SetRunInput(run_, input, text);
        else
            SetRunInput(run_, input, text, lengthUnit);
        hasRun_ = true;
    }
    bool hasRun() const { return hasRun_; }
    const PipeRunInputs& run() const { return run_; }

    bool precise() const { return precise_; }
    const FlowCase& flowCase() const { return grid_.flowCase; }
    const InputTexts& texts() const { return grid_.texts; }
    const RowUnit& rowUnit(int row) const;
    /// The value of input row `row` in its chosen unit.
    double displayValue(int row) const {
        return grid_.flowCase.Units.toDisplay(InputQuantity(row), grid_.flowCase.InputValue(row));
    }

    struct Grid {
        FlowCase flowCase;
        InputTexts texts;     ///< what the grid shows
        InputTexts readTexts; ///< the texts last read, with the values they gave
        std::array<double, 5> readValues{};
        std::array<double, 5> shownValues{}; ///< the values the texts were last made from
    };

private:
    /// "Derived Water Flowrate 0.000 l/s is outside 0.01 to 5000" when the value of `row`
    /// that is solved lies outside the row's range.
    std::optional<std::string> checkDerived(int row) const {
        const InputRowInfo& info = rowInfo(row);
        const RowUnit& unit = rowUnit(row);
        const FlowCase& c = grid_.flowCase;
        const double value = c.InputValue(row);
        // The grid's flowrate and diameter are their texts; the velocity is always computed.
        const auto i = static_cast<std::size_t>(row - 1);
        const bool fromText = !precise_ && row != kVelocityRow;
        const double shown = fromText ? readReal(grid_.texts[i]) : displayValue(row);
        if (shown >= unit.min && shown <= unit.max)
            return std::nullopt;
        const std::string text = fromText   ? grid_.texts[i]
                                 : precise_ ? shortestRealText(shown)
                                            : FlowCase::InputText(row, value, c.Units);
        return formatText("Derived %s %s %s is outside %0.6g to %0.6g",
                          {info.caption, text, unit.label, unit.min, unit.max});
    }

    void readInputs() {
        for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
            const auto i = static_cast<std::size_t>(row - 1);
            if (grid_.texts[i] != grid_.readTexts[i]) {
                grid_.readValues[i] =
                    FlowCase::ReadInputText(row, grid_.texts[i], grid_.flowCase.Units);
                grid_.readTexts[i] = grid_.texts[i];
            }
            *inputs_[i] = grid_.readValues[i];
        }
    }

    void showInputs() {
        for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
            const auto i = static_cast<std::size_t>(row - 1);
            const double value = *inputs_[i];
            if (std::bit_cast<std::uint64_t>(value) !=
                std::bit_cast<std::uint64_t>(grid_.shownValues[i])) {
                grid_.texts[i] = FlowCase::InputText(row, value, grid_.flowCase.Units);
                grid_.shownValues[i] = value;
            }
        }
    }

    Grid grid_;
    /// The case's fields of input rows 1 to 5, looked up once: the grid reads and writes
    /// them at every edit.
    std::array<double*, 5> inputs_;
    const GridStart* start_;
    bool precise_;
    PipeRunInputs run_;
    bool hasRun_ = false;
};

class GridStart {
public:
    GridStart(const UnitChoices& units, WaterModel water) {
        grid.flowCase.Units = units;
        grid.flowCase.Water = water;
        grid.texts = grid.readTexts = grid.flowCase.ShowInputs();
        for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
            const auto i = static_cast<std::size_t>(row - 1);
            grid.shownValues[i] = grid.flowCase.InputValue(row);
            grid.readValues[i] = FlowCase::ReadInputText(row, grid.texts[i], units);
            const Quantity quantity = InputQuantity(row);
            const auto [min, max] = InputRowRange(row, units);
            rows[i] = {min, max,
                       units.isDesigned(quantity) ? rowInfo(row).editFormat
                                                  : units.format(quantity),
                       units.label(quantity)};
        }
    }

    GridCase::Grid grid;
    std::array<RowUnit, 5> rows;
};

GridCase::GridCase(const GridStart& start, bool precise)
    : grid_(start.grid), start_(&start), precise_(precise) {
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
        inputs_[static_cast<std::size_t>(row - 1)] = &grid_.flowCase.InputValue(row);
}

const RowUnit& GridCase::rowUnit(int row) const {
    return start_->rows[static_cast<std::size_t>(row - 1)];
}

/// "name[key]" with the key of the unit `units` show `quantity` in.
std::string columnName(std::string_view name, Quantity quantity, const UnitChoices& units) {
    return std::string(name) + '[' + UnitKey(QuantityOf(quantity).category, units.unit(quantity)) +
           ']';
}

/// The names of the output columns of a batch after any leading ones, with the line end: the
/// inputs, the results, the status and the notes. Columns name their units when `unitsGiven`.
void appendResultsHeader(const UnitChoices& units, bool unitsGiven, bool run, std::string& header) {
    if (!unitsGiven) {
        for (const InputName& input : kInputNames) {
            header += input.column;
            header += ',';
        }
        header += kResultColumns;
        header += ',';
        if (run)
            for (const RunResultLine& line : kRunResultLines) {
                header += line.column;
                header += ',';
            }
        header += "status,notes\n";
        return;
    }
    for (const InputName& input : kInputNames)
        header += columnName(input.stem, InputQuantity(input.row), units) + ',';
    for (std::size_t i = 0; i < kResultCount; ++i) {
        const std::optional<Quantity> quantity = ResultQuantity(i);
        header +=
            quantity ? columnName(kResultNames[i], *quantity, units) : std::string(kResultNames[i]);
        header += ',';
    }
    if (run)
        for (const RunResultLine& line : kRunResultLines)
            header += std::string(line.column) + '[' + line.units + "],";
    header += "status,notes\n";
}

/// The input and result cells of a solved case, each followed by a comma.
void appendCaseValues(const GridCase& gridCase, std::string& output) {
    const FlowCase& c = gridCase.flowCase();
    if (gridCase.precise()) {
        for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
            output += shortestRealText(gridCase.displayValue(row));
            output += ',';
        }
        const auto values = ResultValues(c);
        for (std::size_t i = 0; i < kResultCount; ++i) {
            output += i == kRegimeResultIndex ? RegimeName(c.Regime) : shortestRealText(values[i]);
            output += ',';
        }
        return;
    }
    for (const std::string& text : gridCase.texts()) {
        output += text;
        output += ',';
    }
    for (std::size_t i = 0; i < kResultCount; ++i) {
        // Written in place; a text that needs quotes (none of the number formats does) is
        // written again as a quoted cell.
        const std::size_t start = output.size();
        AppendResultValueText(c, i, output);
        const std::string_view text = std::string_view(output).substr(start);
        if (std::any_of(text.begin(), text.end(),
                        [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; })) {
            const std::string cell(text);
            output.resize(start);
            appendCsvCell(output, cell);
        }
        output += ',';
    }
}

/// The pipe run's result cells of a solved case, each followed by a comma.
void appendRunValues(const GridCase& gridCase, std::string& output) {
    const auto values = RunResultValues(gridCase.flowCase(), gridCase.run());
    for (std::size_t i = 0; i < kRunResultCount; ++i) {
        output += gridCase.precise() && !std::isnan(values[i]) ? shortestRealText(values[i])
                                                               : RunResultText(i, values[i]);
        output += ',';
    }
}

/// Writes the batch results: a header, then one line per row read.
class BatchSolver {
public:
    BatchSolver(CsvReader& reader, std::ostream& out, bool precise,
                const std::vector<std::string>& keep, const UnitChoices& units, bool unitsGiven,
                WaterModel water)
        : reader_(reader), out_(out), precise_(precise), keepNames_(keep), units_(units),
          unitsGiven_(unitsGiven), water_(water) {}

    /// Reads the header; throws UsageError for an unknown or repeated column, a column to keep
    /// that the header lacks, or an unknown unit. A column named with a unit reads its values
    /// in that unit, and the output names the unit of every column that has one.
    void readHeader() {
        CsvReader::Chunk chunk;
        if (!reader_.read(chunk, 1)) {
            start_.emplace(units_, water_);
            return;
        }
        const CsvReader::Record& record = chunk.record(0);
        switch (record.error) {
        case CsvReader::RecordError::None:
            break;
        case CsvReader::RecordError::UnterminatedQuote:
            throw UsageError("the batch header has an unterminated quote");
        case CsvReader::RecordError::TextAfterQuote:
            throw UsageError("the batch header has text after a closing quote");
        case CsvReader::RecordError::TooLong:
            throw UsageError("the batch header is longer than 1 MiB");
        }
        columnCount_ = record.cellCount;
        for (std::size_t column = 0; column < record.cellCount; ++column) {
            const std::string_view name = chunk.cell(record, column);
            for (std::size_t other = 0; other < column; ++other)
                if (chunk.cell(record, other) == name)
                    throw UsageError("column '" + printableText(name) +
                                     "' appears twice in the batch header");
            bool known = false;
            for (const std::string& keep : keepNames_)
                if (keep == name)
                    known = true;
            if (name == kLinePressureColumn) {
                linePressureColumn_ = column;
                known = true;
            }
            for (const RunInputName& input : kRunInputNames)
                if (name == input.column) {
                    for (const RunColumn& other : runColumns_)
                        if (other.input == input.input)
                            throw UsageError("the batch header names the " +
                                             std::string(input.input == RunInput::Length
                                                             ? "length"
                                                             : "elevation") +
                                             " twice, in two units");
                    runColumns_.push_back({column, input.input, -1});
                    known = true;
                }
            // A length or rise in a unit of its own: "length[ft]", "elevation[ft]".
            try {
                int unit = -1;
                if (const std::optional<RunInput> input = RunLengthColumn(name, unit)) {
                    for (const RunColumn& other : runColumns_)
                        if (other.input == *input)
                            throw UsageError(
                                "the batch header names the " +
                                std::string(*input == RunInput::Length ? "length" : "elevation") +
                                " twice, in two units");
                    runColumns_.push_back({column, *input, unit});
                    known = true;
                }
            } catch (const EConvertError& error) {
                throw UsageError(printableText(error.what()));
            }
            // A column both kept and read as an input is both.
            known = readInputColumn(name, column) || known;
            if (!known)
                throw UsageError("unknown column '" + printableText(name) +
                                 "' in the batch header");
        }
        for (const std::string& keep : keepNames_) {
            std::size_t column = 0;
            while (column < record.cellCount && chunk.cell(record, column) != keep)
                ++column;
            if (column == record.cellCount)
                throw UsageError("column '" + printableText(keep) + "' to keep is not in the " +
                                 "batch header");
            keepColumns_.push_back(column);
        }
        for (std::size_t row = 0; row < inputColumns_.size(); ++row)
            if (inputColumns_[row] != kNoColumn)
                edits_.push_back({inputColumns_[row], static_cast<int>(row + 1)});
        // Cells are edits in column order.
        std::sort(edits_.begin(), edits_.end(),
                  [](const Edit& a, const Edit& b) { return a.column < b.column; });
        start_.emplace(units_, water_);
    }

    /// What run() found.
    struct Outcome {
        bool allSolved = true;
        bool writeFailed = false;
        int writeErrno = 0; ///< errno of the failed write, 0 when unknown
    };

    /// Solves every row and writes the results.
    Outcome run() {
        Outcome outcome;
        std::string header;
        for (const std::string& keep : keepNames_) {
            appendCsvCell(header, keep);
            header += ',';
        }
        if (!start_)
            start_.emplace(units_, water_);
        appendResultsHeader(units_, unitsGiven_, !runColumns_.empty(), header);
        if (!write(header, outcome))
            return outcome;

        // Rows are read in chunks and each chunk is solved in slices, one on every core, while
        // this thread writes the results of the chunk before and reads the chunk after: the
        // slices are written in order, so the output is the same as one row after the other,
        // and memory stays bounded by two chunks whatever the length of the batch. A batch
        // that fits one small chunk is solved here without starting any thread.
        std::array<CsvReader::Chunk, 2> chunks;
        std::array<std::vector<Slice>, 2> slices;
        if (!reader_.read(chunks[0], kChunkRows)) {
            write({}, outcome);
            return outcome;
        }
        if (chunks[0].size() < kMinRowsPerSlice * 2) {
            slices[0].resize(1);
            slices[0][0] = {0, chunks[0].size(), {}, true};
            solveSlice(chunks[0], slices[0][0]);
            if (writeSlices(slices[0], outcome) && !reader_.read(chunks[1], kChunkRows)) {
                write({}, outcome); // flushes
                return outcome;
            }
            if (outcome.writeFailed)
                return outcome;
            // More rows follow after all: the rest goes through the workers.
            std::swap(chunks[0], chunks[1]);
        }
        SliceWorkers workers(*this);
        std::size_t current = 0;
        bool solving = false;                     // whether the workers hold chunks[current]
        std::array<bool, 2> solved{false, false}; // slices solved and not yet written
        bool more = true;
        for (;;) {
            if (more) {
                workers.start(chunks[current], slices[current]);
                solving = true;
            }
            const std::size_t previous = 1 - current;
            // The slices keep their output buffers from chunk to chunk.
            if (solved[previous] && !writeSlices(slices[previous], outcome))
                break;
            solved[previous] = false;
            if (!more)
                break;
            more = reader_.read(chunks[previous], kChunkRows);
            workers.finish();
            solving = false;
            solved[current] = true;
            current = previous;
        }
        if (solving)
            workers.finish();
        if (!outcome.writeFailed)
            write({}, outcome); // flushes
        return outcome;
    }

private:
    static constexpr std::size_t kChunkRows = 8192;
    static constexpr std::size_t kMinRowsPerSlice = 256;
    static constexpr std::size_t kNoColumn = std::numeric_limits<std::size_t>::max();

    /// Rows first to last of a chunk and what solving them wrote.
    struct Slice {
        std::size_t first = 0;
        std::size_t last = 0;
        std::string output;
        bool allSolved = true;
    };

    /// Writes the slices' results in order; false when writing failed.
    bool writeSlices(const std::vector<Slice>& chunkSlices, Outcome& outcome) {
        for (const Slice& slice : chunkSlices) {
            if (!slice.output.empty() && !write(slice.output, outcome))
                return false;
            outcome.allSolved &= slice.allSolved;
        }
        return true;
    }

    /// One thread for each core, kept for the whole batch, each solving its slice of a chunk.
    /// Threads that live as long as the batch keep what they remember of the water
    /// properties.
    class SliceWorkers {
    public:
        explicit SliceWorkers(const BatchSolver& solver)
            : solver_(solver), count_(std::clamp(std::thread::hardware_concurrency(), 1U, 8U)),
              started_(static_cast<std::ptrdiff_t>(count_) + 1),
              finished_(static_cast<std::ptrdiff_t>(count_) + 1) {
            for (unsigned k = 0; k < count_; ++k)
                threads_.emplace_back([this, k] { work(k); });
        }
        ~SliceWorkers() {
            stopping_ = true;
            started_.arrive_and_wait();
            for (std::thread& thread : threads_)
                thread.join();
        }
        SliceWorkers(const SliceWorkers&) = delete;
        SliceWorkers& operator=(const SliceWorkers&) = delete;

        /// Hands every worker its slice of `chunk`; returns at once.
        void start(const CsvReader::Chunk& chunk, std::vector<Slice>& slices) {
            const std::size_t rows = chunk.size();
            const std::size_t perSlice = (rows + count_ - 1) / count_;
            slices.resize(count_);
            for (std::size_t k = 0; k < count_; ++k) {
                slices[k].first = std::min(rows, k * perSlice);
                slices[k].last = std::min(rows, slices[k].first + perSlice);
            }
            chunk_ = &chunk;
            slices_ = &slices;
            started_.arrive_and_wait();
        }
        /// Waits until every slice of the chunk is solved.
        void finish() { finished_.arrive_and_wait(); }

    private:
        void work(std::size_t k) {
            for (;;) {
                started_.arrive_and_wait();
                if (stopping_)
                    return;
                solver_.solveSlice(*chunk_, (*slices_)[k]);
                finished_.arrive_and_wait();
            }
        }

        const BatchSolver& solver_;
        unsigned count_;
        std::barrier<> started_;  ///< the chunk is handed over (or the batch is done)
        std::barrier<> finished_; ///< every slice is solved
        const CsvReader::Chunk* chunk_ = nullptr;
        std::vector<Slice>* slices_ = nullptr;
        bool stopping_ = false; ///< set before the last start, read after it
        std::vector<std::thread> threads_;
    };

    /// A column that edits an input row.
    struct Edit {
        std::size_t column;
        int row;
    };

    /// Takes column `column` named `name` as an input column when it is one: "flow_lps" and
    /// the other designed names, "flow" in the chosen unit, or "flow[usgpm]" in the unit named.
    bool readInputColumn(std::string_view name, std::size_t column) {
        const InputName* input = nullptr;
        std::optional<int> unit;
        for (const InputName& candidate : kInputNames) {
            const Quantity quantity = InputQuantity(candidate.row);
            if (name == candidate.column) {
                input = &candidate;
                unit = QuantityOf(quantity).designedUnit;
            } else if (name == candidate.stem) {
                input = &candidate;
            } else if (name.starts_with(candidate.stem) &&
                       name.substr(candidate.stem.size()).starts_with('[') && name.ends_with(']')) {
                input = &candidate;
                const std::string_view key =
                    name.substr(candidate.stem.size() + 1, name.size() - candidate.stem.size() - 2);
                const UnitCategory category = QuantityOf(quantity).category;
                const int found = FindUnitByKey(category, key);
                if (found < 0)
                    throw UsageError("unknown unit '" + printableText(key) + "' in column '" +
                                     printableText(name) + "' (the units of " +
                                     std::string(candidate.stem) + " are " + UnitKeyList(category) +
                                     ")");
                unit = found;
                unitsGiven_ = true;
            }
            if (input)
                break;
        }
        if (!input)
            return false;
        std::size_t& slot = inputColumns_[static_cast<std::size_t>(input->row - 1)];
        if (slot != kNoColumn)
            throw UsageError("the batch header names the " +
                             std::string(rowInfo(input->row).caption) + " twice");
        slot = column;
        if (unit)
            units_.setUnit(InputQuantity(input->row), *unit);
        return true;
    }

    /// Writes `text`, or flushes when it is empty; false when writing failed.
    bool write(std::string_view text, Outcome& outcome) {
        errno = 0;
        if (text.empty())
            out_.flush();
        else
            out_.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (out_)
            return true;
        outcome.writeFailed = true;
        outcome.writeErrno = errno;
        return false;
    }

    void solveSlice(const CsvReader::Chunk& chunk, Slice& slice) const {
        slice.output.clear();
        slice.allSolved = true;
        for (std::size_t i = slice.first; i < slice.last; ++i)
            slice.allSolved &= solveRow(chunk, chunk.record(i), slice.output);
    }

    bool solveRow(const CsvReader::Chunk& chunk, const CsvReader::Record& record,
                  std::string& output) const {
        GridCase gridCase(*start_, precise_);
        std::string failure;
        try {
            switch (record.error) {
            case CsvReader::RecordError::None:
                break;
            case CsvReader::RecordError::UnterminatedQuote:
                throw EConvertError("the row has an unterminated quote");
            case CsvReader::RecordError::TextAfterQuote:
                throw EConvertError("the row has text after a closing quote");
            case CsvReader::RecordError::TooLong:
                throw EConvertError("the row is longer than 1 MiB");
            }
            if (record.cellCount > columnCount_)
                throw EConvertError(formatText("the row has %d cells but the header names %d",
                                               {static_cast<long long>(record.cellCount),
                                                static_cast<long long>(columnCount_)}));
            if (linePressureColumn_ != kNoColumn)
                if (const std::string_view cell = chunk.cell(record, linePressureColumn_);
                    !cell.empty())
                    gridCase.setLinePressure(cell);
            for (const Edit& edit : edits_)
                if (const std::string_view cell = chunk.cell(record, edit.column); !cell.empty())
                    gridCase.edit(edit.row, cell);
            for (const RunColumn& run : runColumns_)
                if (const std::string_view cell = chunk.cell(record, run.column); !cell.empty())
                    gridCase.setRunInput(run.input, cell, run.lengthUnit);
            const GridCase::Outcome outcome = gridCase.solve();
            if (!outcome.solved)
                failure = outcome.message;
        } catch (const std::exception& error) {
            failure = error.what();
        }
        for (std::size_t column : keepColumns_) {
            appendCsvCell(output, chunk.cell(record, column));
            output += ',';
        }
        const std::size_t mark = output.size();
        if (failure.empty()) {
            try {
                appendCaseValues(gridCase, output);
                if (!runColumns_.empty())
                    appendRunValues(gridCase, output);
            } catch (const std::exception& error) {
                // A run that faults fails its row whole.
                output.resize(mark);
                failure = error.what();
            }
        }
        if (failure.empty()) {
            output += "Solved,";
            AppendNoteCodes(gridCase.flowCase(), output);
            output += '\n';
            return true;
        }
        // A failed row keeps its inputs as given, so that it can be found and mended.
        for (std::size_t column : inputColumns_) {
            if (column != kNoColumn)
                appendCsvCell(output, chunk.cell(record, column));
            output += ',';
        }
        output.append(kResultCount + (runColumns_.empty() ? 0 : kRunResultCount), ',');
        appendCsvCell(
            output,
            printableText(formatText("line %d: %s", {static_cast<long long>(record.line), failure}),
                          std::string::npos));
        output += ",\n";
        return false;
    }

    CsvReader& reader_;
    std::ostream& out_;
    bool precise_;
    const std::vector<std::string>& keepNames_;
    UnitChoices units_;
    bool unitsGiven_;
    WaterModel water_;
    std::size_t linePressureColumn_ = kNoColumn;
    /// A column of the pipe run: its input, and for a length or rise named with a unit
    /// ("length[ft]") that unit of "Length - Primary", else -1.
    struct RunColumn {
        std::size_t column;
        RunInput input;
        int lengthUnit;
    };
    std::vector<RunColumn> runColumns_; ///< the pipe run's columns
    std::optional<GridStart> start_;    ///< made once the header has named the units
    std::size_t columnCount_ = 0;
    std::array<std::size_t, 5> inputColumns_{kNoColumn, kNoColumn, kNoColumn, kNoColumn, kNoColumn};
    std::vector<Edit> edits_;
    std::vector<std::size_t> keepColumns_;
};

struct Options {
    std::vector<std::pair<int, std::string>> edits; ///< row and value text, in command order
    bool batch = false;
    std::optional<std::string> batchFile;
    std::vector<std::string> keep;      ///< batch columns copied to the output
    std::vector<std::string> caseFiles; ///< of --case, or of --batch-cases when batchCases
    bool batchCases = false;
    UnitChoices units;
    bool unitsGiven = false; ///< --units or --unit was given: columns name their units
    WaterModel water = WaterModel::Simple;
    std::optional<std::string> linePressure;                ///< kPa, as given
    std::vector<std::pair<RunInput, std::string>> runEdits; ///< the pipe run's inputs given
    std::optional<std::string> sizeFor;                     ///< dp_rate=X or dp_total=X
    std::optional<std::string> find;                        ///< flow or diameter
    std::optional<std::string> table;                       ///< a pipe table's name
    bool precise = false;
    bool help = false;
    bool version = false;
};

/// QUANTITY=KEY of --unit as a quantity and a unit index of its category.
std::pair<Quantity, int> parseUnitOption(std::string_view value) {
    const std::size_t eq = value.find('=');
    const std::string_view name = value.substr(0, std::min(eq, value.size()));
    // The pipe run's quantities are the window's: corvel-solve prints the run in kPa, m and kW.
    std::optional<Quantity> quantity = FindQuantity(name);
    if (quantity && static_cast<int>(*quantity) >= kCaseQuantityCount)
        quantity.reset();
    if (!quantity) {
        std::string known;
        for (const QuantityInfo& info : Quantities())
            known += (known.empty() ? "" : ", ") + std::string(info.key);
        throw UsageError("unknown quantity '" + printableText(name) +
                         "' for --unit (the quantities are " + known + ")");
    }
    if (eq == value.npos)
        throw UsageError("option --unit needs QUANTITY=KEY, for example flow=usgpm");
    const std::string_view key = value.substr(eq + 1);
    const UnitCategory category = QuantityOf(*quantity).category;
    const int unit = FindUnitByKey(category, key);
    if (unit < 0)
        throw UsageError("unknown unit '" + printableText(key) + "' for " + std::string(name) +
                         " (its units are " + UnitKeyList(category) + ")");
    return {*quantity, unit};
}

Options parseOptions(const std::vector<std::string>& args) {
    Options options;
    std::string preset;                              // the last --units
    std::vector<std::pair<Quantity, int>> unitEdits; // every --unit, applied over the preset
    bool caseGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::optional<std::string> attached; // the value of --name=value
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != arg.npos) {
            attached = std::string(arg.substr(eq + 1));
            arg = arg.substr(0, eq);
        }
        if (arg == "-h")
            arg = "--help";
        if (arg == "--help" || arg == "--version" || arg == "--precise") {
            if (attached)
                throw UsageError("option " + std::string(arg) + " takes no value");
            (arg == "--help"      ? options.help
             : arg == "--version" ? options.version
                                  : options.precise) = true;
            if (options.help || options.version)
                return options;
            continue;
        }
        if (arg == "--batch-cases") {
            options.batchCases = true;
            if (attached)
                options.caseFiles.push_back(*attached);
            while (i + 1 < args.size() && !args[i + 1].starts_with("-"))
                options.caseFiles.push_back(args[++i]);
            continue;
        }
        if (arg == "--batch") {
            options.batch = true;
            if (attached)
                options.batchFile = *attached;
            else if (i + 1 < args.size() && (args[i + 1] == "-" || !args[i + 1].starts_with("-")))
                options.batchFile = args[++i];
            continue;
        }
        const bool keep = arg == "--keep";
        const bool unitOption = arg == "--units" || arg == "--unit";
        const bool waterOption = arg == "--water" || arg == "--line-pressure";
        const bool caseOption = arg == "--case";
        const bool sizingOption = arg == "--size-for" || arg == "--find" || arg == "--table";
        const RunInputName* runInput = nullptr;
        for (const RunInputName& name : kRunInputNames)
            if (name.option == arg)
                runInput = &name;
        const InputName* input = nullptr;
        for (const InputName& name : kInputNames)
            if (name.option == arg)
                input = &name;
        if (!input && !keep && !unitOption && !waterOption && !caseOption && !runInput &&
            !sizingOption)
            throw UsageError("unknown option '" + printableText(arg) + "' (see --help)");
        if (!attached && i + 1 >= args.size())
            throw UsageError("option " + std::string(arg) + " needs a value");
        const std::string value = attached ? *attached : args[++i];
        if (input) {
            options.edits.emplace_back(input->row, value);
            continue;
        }
        if (arg == "--units") {
            if (value != "si" && value != "us")
                throw UsageError("option --units takes si or us, not '" + printableText(value) +
                                 "'");
            preset = value;
            options.unitsGiven = true;
            continue;
        }
        if (runInput) {
            options.runEdits.emplace_back(runInput->input, value);
            continue;
        }
        if (sizingOption) {
            (arg == "--size-for" ? options.sizeFor
             : arg == "--find"   ? options.find
                                 : options.table) = value;
            continue;
        }
        if (caseOption) {
            caseGiven = true;
            options.caseFiles.push_back(value);
            continue;
        }
        if (arg == "--water") {
            if (value != "simple" && value != "iapws")
                throw UsageError("option --water takes simple or iapws, not '" +
                                 printableText(value) + "'");
            options.water = value == "iapws" ? WaterModel::Iapws : WaterModel::Simple;
            continue;
        }
        if (arg == "--line-pressure") {
            options.linePressure = value;
            continue;
        }
        if (arg == "--unit") {
            unitEdits.push_back(parseUnitOption(value));
            options.unitsGiven = true;
            continue;
        }
        for (std::size_t start = 0;;) {
            const std::size_t comma = std::min(value.find(',', start), value.size());
            const std::string_view name =
                TrimmedValue(std::string_view(value).substr(start, comma - start));
            if (name.empty())
                throw UsageError("option --keep needs column names separated by commas");
            if (std::find(options.keep.begin(), options.keep.end(), name) != options.keep.end())
                throw UsageError("column '" + printableText(name) + "' is given to --keep twice");
            options.keep.emplace_back(name);
            if (comma == value.size())
                break;
            start = comma + 1;
        }
    }
    options.units = preset == "us" ? UnitChoices::UsCustomary() : UnitChoices::Designed();
    for (const auto& [quantity, unit] : unitEdits)
        options.units.setUnit(quantity, unit);
    const bool cases = !options.caseFiles.empty() || options.batchCases;
    if (options.batch && cases)
        throw UsageError("--batch reads a CSV file; --case and --batch-cases read case files");
    if (options.batchCases && caseGiven)
        throw UsageError("--case and --batch-cases cannot be given together");
    if (options.batchCases && options.caseFiles.empty())
        throw UsageError("option --batch-cases needs at least one case file");
    if (cases && (!options.edits.empty() || !options.runEdits.empty()))
        throw UsageError(std::string(options.batchCases ? "--batch-cases" : "--case") +
                         " takes its values from the case files, not from options");
    if (options.sizeFor || options.find || options.table) {
        if (!options.sizeFor || !options.find)
            throw UsageError("--size-for and --find go together");
        if (*options.find != "flow" && *options.find != "diameter")
            throw UsageError("option --find takes flow or diameter, not '" +
                             printableText(*options.find) + "'");
        if (options.table && *options.find != "diameter")
            throw UsageError("--table applies to --find diameter only");
        if (options.table && !FindPipeTable(*options.table))
            throw UsageError("unknown pipe table '" + printableText(*options.table) +
                             "' (the tables are " + PipeTableNames() + ")");
        if (options.batch || cases)
            throw UsageError("--size-for sizes a single case");
        if (options.water != WaterModel::Simple)
            throw UsageError("--size-for sizes with the simple water properties only");
    }
    if (options.batch &&
        (!options.edits.empty() || options.linePressure || !options.runEdits.empty()))
        throw UsageError("--batch takes its values from the batch file, not from options");
    if (!options.keep.empty() && !options.batch)
        throw UsageError("--keep applies to --batch only");
    return options;
}

void reportWriteFailure(std::ostream& err, int error) {
    err << kProgram << ": cannot write the output"
        << (error ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
}

/// Writes `text` and flushes it; a failed write (a full disk, a closed pipe) is reported on
/// `err`, since it must not pass for success.
bool writeOutput(std::string_view text, std::ostream& out, std::ostream& err) {
    errno = 0;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (out)
        return true;
    reportWriteFailure(err, errno);
    return false;
}

/// The note on values given that the grid's display formats rounded, empty when none was.
std::string roundingNote(const Options& options, const GridCase& gridCase) {
    // The text last given for each row, if any.
    std::array<const std::string*, 5> given{};
    for (const auto& [row, text] : options.edits)
        given[static_cast<std::size_t>(row - 1)] = &text;
    const std::string& order = gridCase.flowCase().EditOrder;
    std::string changes;
    int count = 0;
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
        const auto i = static_cast<std::size_t>(row - 1);
        if (!given[i])
            continue;
        // Of flowrate, velocity and diameter only the given pair keeps what was given.
        const char letter = row == kFlowRateRow ? 'Q' : row == kVelocityRow ? 'V' : 'D';
        if (row <= kDiameterRow && order.substr(0, 2).find(letter) == std::string::npos)
            continue;
        const std::string_view text = TrimmedValue(*given[i]);
        const std::string& shown = gridCase.texts()[i];
        if (readReal(text) == readReal(shown))
            continue;
        const std::string& label = gridCase.rowUnit(row).label;
        if (count++ > 0)
            changes += ", ";
        changes += formatText("%s %s %s is solved as %s %s",
                              {rowInfo(row).caption, printableText(text), label, shown, label});
    }
    if (count == 0)
        return {};
    return "note: " + changes + "; use --precise to solve " +
           (count == 1 ? "the value" : "the values") + " as given";
}

/// The lines of a solved case, "caption,value,units" as the clipboard holds them.
std::string caseLines(const GridCase& gridCase) {
    const FlowCase& c = gridCase.flowCase();
    std::string text;
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
        text += rowInfo(row).caption;
        text += ',';
        text += gridCase.precise() ? fullText(gridCase.displayValue(row))
                                   : gridCase.texts()[static_cast<std::size_t>(row - 1)];
        text += ',';
        text += gridCase.rowUnit(row).label;
        text += '\n';
    }
    const ResultRows rows = MakeResultRows(c);
    const auto values = ResultValues(c);
    for (std::size_t i = 0; i < kResultCount; ++i) {
        const bool exact = gridCase.precise() && i != kRegimeResultIndex;
        text += rows[i].caption + ',' + (exact ? fullText(values[i]) : rows[i].value) + ',' +
                rows[i].units + '\n';
    }
    return text;
}

/// Solves `gridCase`; false, with why on `err` after `who` ("corvel-solve: "), when it failed.
bool solveGridCase(GridCase& gridCase, std::string_view who, std::ostream& err) {
    GridCase::Outcome outcome;
    try {
        outcome = gridCase.solve();
    } catch (const std::exception& error) {
        outcome = {false, false, error.what()};
    }
    if (!outcome.solved)
        err << who << (outcome.derivedOutOfRange ? "" : "the case could not be solved: ")
            << outcome.message << '\n';
    return outcome.solved;
}

/// The notes on figures less reliable than usual, on `err` after `who`. Design hints (a fast or
/// slow flow) are left to the batch's notes column, since the default case itself earns one.
void writeNotes(const FlowCase& c, std::string_view who, std::ostream& err) {
    for (const ValidityNote& note : c.Notes())
        if (note.severity >= NoteSeverity::Caution)
            err << who << "note [" << note.code << "]: " << note.text << '\n';
}

/// Sizes the case of `gridCase` for the limit of --size-for and loads the answer into it.
/// Returns nothing for an exact answer, "Pipe Size,<nominal>,<table>\n" for a table's size, or
/// the words of a failed sizing. Throws UsageError for a bad limit.
std::optional<std::string> sizeCase(const Options& options, GridCase& gridCase) {
    const std::string& request = *options.sizeFor;
    const std::size_t eq = request.find('=');
    const std::string kind = request.substr(0, std::min(eq, request.size()));
    if (eq == request.npos || (kind != "dp_rate" && kind != "dp_total"))
        throw UsageError("option --size-for takes dp_rate=X or dp_total=X, not '" +
                         printableText(request) + "'");
    double x = 0;
    try {
        x = readReal(TrimmedValue(std::string_view(request).substr(eq + 1)));
    } catch (const EConvertError&) {
        throw UsageError("the limit of --size-for must be a number, not '" +
                         printableText(request.substr(eq + 1)) + "'");
    }
    if (!(x > 0) || !std::isfinite(x))
        throw UsageError("the limit of --size-for must be above 0");
    const FlowCase& c = gridCase.flowCase();
    SizingProblem problem;
    problem.temperature = c.Temperature;
    problem.roughness = c.Roughness;
    problem.run = gridCase.run();
    if (kind == "dp_rate") {
        // In the unit the pressure drop rate is shown in; the case keeps kPa/m.
        problem.limitKind = SizingLimitKind::kPressureGradient;
        problem.limit = c.Units.fromDisplay(Quantity::PressureDropRate, x) * 1000;
    } else {
        problem.limitKind = SizingLimitKind::kTotalPressureDrop;
        problem.limit = x * 1000; // kPa
    }
    SizingAnswer answer;
    StoredCase sized{c.FlowRate, c.Diameter, c.Temperature, c.Roughness};
    if (*options.find == "flow") {
        answer = FindFlowRate(problem, c.Diameter);
        sized.flowRate = answer.value;
    } else {
        answer = FindDiameter(problem, c.FlowRate);
        if (answer.found() && options.table)
            answer = FindTableSize(problem, c.FlowRate, *FindPipeTable(*options.table), answer);
        sized.diameter = answer.value;
    }
    if (!answer.found())
        return std::string(answer.failureText());
    gridCase.load(sized);
    if (answer.size)
        return "Pipe Size," + std::string(answer.size->nominal) + ',' + *options.table + '\n';
    return std::nullopt;
}

int solveOneCase(const Options& options, std::ostream& out, std::ostream& err) {
    const GridStart start(options.units, options.water);
    GridCase gridCase(start, options.precise);
    try {
        if (options.linePressure)
            gridCase.setLinePressure(*options.linePressure);
        for (const auto& [row, text] : options.edits)
            gridCase.edit(row, text);
        for (const auto& [input, text] : options.runEdits)
            gridCase.setRunInput(input, text);
    } catch (const std::exception& error) {
        err << kProgram << ": " << printableText(error.what(), std::string::npos) << '\n';
        return kExitUsage;
    }
    if (!options.precise)
        if (const std::string note = roundingNote(options, gridCase); !note.empty())
            err << kProgram << ": " << note << '\n';
    const std::string who = std::string(kProgram) + ": ";
    std::string sizeLine;
    if (options.sizeFor) {
        // The answer is taken as a case opened with it: solved exactly, shown as the grid shows.
        try {
            if (const std::optional<std::string> answer = sizeCase(options, gridCase)) {
                if (!answer->starts_with("Pipe Size,")) {
                    err << who << *answer << '\n';
                    return kExitCaseFailed;
                }
                sizeLine = *answer;
            }
        } catch (const UsageError& error) {
            err << who << error.what() << '\n';
            return kExitUsage;
        } catch (const std::exception& error) {
            err << who << "the sizing failed: " << error.what() << '\n';
            return kExitCaseFailed;
        }
    }
    if (!solveGridCase(gridCase, who, err))
        return kExitCaseFailed;
    std::string text = caseLines(gridCase);
    if (gridCase.hasRun()) {
        try {
            const auto values = RunResultValues(gridCase.flowCase(), gridCase.run());
            for (std::size_t i = 0; i < kRunResultCount; ++i) {
                const RunResultLine& line = kRunResultLines[i];
                text += std::string(line.caption) + ',' +
                        (options.precise && !std::isnan(values[i]) ? fullText(values[i])
                                                                   : RunResultText(i, values[i])) +
                        ',' + line.units + '\n';
            }
        } catch (const std::exception& error) {
            err << who << "the pipe run could not be solved: " << error.what() << '\n';
            return kExitCaseFailed;
        }
    }
    text += sizeLine;
    // The notes follow the output, so that a failed write stays the only message.
    if (!writeOutput(text, out, err))
        return kExitCaseFailed;
    writeNotes(gridCase.flowCase(), who, err);
    return kExitSolved;
}

/// A case file as corvel-solve reads it.
struct CaseFileRead {
    enum class Kind {
        Case,     ///< a case, in `stored`
        Missing,  ///< no file at the path
        Refused,  ///< a file that cannot be read, or no regular file
        NotACase, ///< a file without any of the keys of a case
    };
    Kind kind;
    StoredCase stored;
    std::string message; ///< why it is no case, naming the file
};

/// Reads the case file at `path`. A file with at least one of the keys Q, d, t and k in its
/// section [Store] is a case, each key missing or out of range taking its default as the window
/// takes it; a file with none of them (another ini file, a picture) is none, rather than passing
/// for the default case.
CaseFileRead readCaseFile(const std::string& path) {
    using Kind = CaseFileRead::Kind;
    const std::string name = "'" + printableText(path) + "'";
    std::string text;
    switch (ReadProfileFile(path, text)) {
    case ProfileFileRead::Missing:
        return {Kind::Missing, {}, "cannot open " + name + ": " + std::strerror(ENOENT)};
    case ProfileFileRead::Refused: {
        std::error_code error;
        const bool folder = std::filesystem::is_directory(path, error);
        return {Kind::Refused,
                {},
                "cannot read " + name + (folder ? std::string(": ") + std::strerror(EISDIR) : "")};
    }
    case ProfileFileRead::Read:
        break;
    }
    const ProfileText profile(std::move(text));
    bool hasKey = false;
    std::string value;
    // The section and keys the case file keeps its four inputs in.
    for (const char* key : {"Q", "d", "t", "k"})
        hasKey = profile.find("Store", key, value) || hasKey;
    if (!hasKey)
        return {Kind::NotACase,
                {},
                name + " is not a case file: its section [Store] has none of the keys Q, d, t "
                       "and k"};
    try {
        if (const std::optional<StoredCase> stored = CaseFile(path).Read())
            return {Kind::Case, *stored, {}};
        return {Kind::Missing, {}, "cannot open " + name + ": " + std::strerror(ENOENT)};
    } catch (const std::exception&) {
        return {Kind::Refused, {}, "cannot read " + name};
    }
}

/// Solves each case file of --case into a block of the single case's lines, the blocks
/// separated by a blank line; a case that fails leaves its block empty.
int solveCaseFiles(const Options& options, std::ostream& out, std::ostream& err) {
    std::vector<CaseFileRead> cases;
    bool unreadable = false;
    for (const std::string& path : options.caseFiles) {
        cases.push_back(readCaseFile(path));
        const CaseFileRead::Kind kind = cases.back().kind;
        if (kind == CaseFileRead::Kind::Missing || kind == CaseFileRead::Kind::Refused) {
            err << kProgram << ": " << cases.back().message << '\n';
            unreadable = true;
        }
    }
    if (unreadable)
        return kExitUsage;
    const GridStart start(options.units, options.water);
    bool allSolved = true;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string who =
            std::string(kProgram) + ": " + printableText(options.caseFiles[i]) + ": ";
        std::string text = i > 0 ? "\n" : "";
        GridCase gridCase(start, options.precise);
        bool solved = false;
        if (cases[i].kind != CaseFileRead::Kind::Case) {
            err << kProgram << ": " << cases[i].message << '\n';
        } else {
            if (options.linePressure)
                gridCase.setLinePressure(*options.linePressure); // checked before
            gridCase.load(cases[i].stored);
            solved = solveGridCase(gridCase, who, err);
            if (solved)
                text += caseLines(gridCase);
        }
        allSolved &= solved;
        if (!text.empty() && !writeOutput(text, out, err))
            return kExitCaseFailed;
        if (solved)
            writeNotes(gridCase.flowCase(), who, err);
    }
    return allSolved ? kExitSolved : kExitCaseFailed;
}

/// Solves each case file of --batch-cases into a CSV row led by the file's name.
int solveBatchCases(const Options& options, std::ostream& out, std::ostream& err) {
    const GridStart start(options.units, options.water);
    std::string text = "case,";
    appendResultsHeader(options.units, options.unitsGiven, false, text);
    bool allSolved = true;
    for (const std::string& path : options.caseFiles) {
        appendCsvCell(text, path);
        text += ',';
        const CaseFileRead read = readCaseFile(path);
        GridCase gridCase(start, options.precise);
        std::string failure = read.message;
        if (read.kind == CaseFileRead::Kind::Case) {
            try {
                if (options.linePressure)
                    gridCase.setLinePressure(*options.linePressure);
                gridCase.load(read.stored);
                const GridCase::Outcome outcome = gridCase.solve();
                if (!outcome.solved)
                    failure = outcome.message;
            } catch (const std::exception& error) {
                failure = error.what();
            }
        }
        if (failure.empty()) {
            appendCaseValues(gridCase, text);
            text += "Solved,";
            AppendNoteCodes(gridCase.flowCase(), text);
            text += '\n';
            continue;
        }
        allSolved = false;
        text.append(5 + kResultCount, ',');
        appendCsvCell(text, printableText(failure, std::string::npos));
        text += ",\n";
    }
    if (!writeOutput(text, out, err))
        return kExitCaseFailed;
    return allSolved ? kExitSolved : kExitCaseFailed;
}

int solveBatch(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
    std::ifstream file;
    std::istream* source = &in;
    if (options.batchFile && *options.batchFile != "-") {
        const std::string& path = *options.batchFile;
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            err << kProgram << ": cannot read '" << printableText(path)
                << "': " << std::strerror(EISDIR) << '\n';
            return kExitUsage;
        }
        file.open(path, std::ios::binary);
        if (!file) {
            err << kProgram << ": cannot open '" << printableText(path)
                << "': " << std::strerror(errno) << '\n';
            return kExitUsage;
        }
        source = &file;
    }
    CsvReader reader(*source);
    BatchSolver solver(reader, out, options.precise, options.keep, options.units,
                       options.unitsGiven, options.water);
    try {
        solver.readHeader();
    } catch (const UsageError& error) {
        err << kProgram << ": " << error.what() << '\n';
        return kExitUsage;
    }
    const BatchSolver::Outcome outcome = solver.run();
    if (outcome.writeFailed) {
        reportWriteFailure(err, outcome.writeErrno);
        return kExitCaseFailed;
    }
    if (reader.failed()) {
        err << kProgram << ": reading the batch failed\n";
        return kExitCaseFailed;
    }
    return outcome.allSolved ? kExitSolved : kExitCaseFailed;
}

} // namespace

int RunSolveCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err) {
    Options options;
    try {
        options = parseOptions(args);
    } catch (const UsageError& error) {
        err << kProgram << ": " << error.what() << '\n';
        return kExitUsage;
    }
    if (options.help)
        return writeOutput(std::string(kHelp) + notesHelp() + unitsHelp(), out, err)
                   ? kExitSolved
                   : kExitCaseFailed;
    if (options.version) {
        const std::string version = std::string(kProgram) + ' ' + CORVEL_VERSION + '\n';
        return writeOutput(version, out, err) ? kExitSolved : kExitCaseFailed;
    }
    if (options.linePressure && (options.batchCases || !options.caseFiles.empty())) {
        // A bad line pressure is the command's fault, not any case's.
        const GridStart start(options.units, options.water);
        try {
            GridCase(start, false).setLinePressure(*options.linePressure);
        } catch (const std::exception& error) {
            err << kProgram << ": " << printableText(error.what(), std::string::npos) << '\n';
            return kExitUsage;
        }
    }
    if (options.batchCases)
        return solveBatchCases(options, out, err);
    if (!options.caseFiles.empty())
        return solveCaseFiles(options, out, err);
    return options.batch ? solveBatch(options, in, out, err) : solveOneCase(options, out, err);
}

} // namespace corvel
