#include "app/SolveCommand.h"

#include "CorvelVersion.h"
#include "app/FlowCase.h"
#include "app/Results.h"
#include "platform/Errors.h"
#include "units/NumberText.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
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
  --batch [FILE]       solve every row of a CSV file (standard input when FILE
                       is absent or "-") and write the results as CSV
  --precise            in a batch, write every number as the shortest text that
                       reads back as the same double, instead of display formats
  --help               show this help and exit
  --version            show the version and exit

Without --batch the 13 results are printed one per line as
"caption,value,units", as the calculator copies them to the clipboard.

A batch header names any of the columns flow_lps, velocity_mps, diameter_mm,
temperature_c and roughness_mm. Each row starts from the default case and
applies its non-empty cells as edits in column order. The output holds the five
inputs after derivation, the 13 results (velocity, density, heat_capacity,
dynamic_viscosity, conductivity, prandtl_number, enthalpy, saturation_pressure,
diffusion_coefficient, reynolds_number, friction_factor, moody_diagram,
pressure_drop_rate) and a status column: "Solved", or why the row failed. A
failed row does not stop the batch.

Values are plain decimal numbers with "." as the decimal point; a value outside
its range is an error, never clamped.

Exit status: 0 solved; 1 the solve or at least one batch row failed;
2 a bad option, value or batch header.
)";

/// The option or batch column for each input row, in row order.
struct InputName {
    int row;
    std::string_view option;
    std::string_view column;
};

constexpr InputName kInputNames[] = {
    {kFlowRateRow, "--flow", "flow_lps"},
    {kVelocityRow, "--velocity", "velocity_mps"},
    {kDiameterRow, "--diameter", "diameter_mm"},
    {kTemperatureRow, "--temperature", "temperature_c"},
    {kRoughnessRow, "--roughness", "roughness_mm"},
};

constexpr std::string_view kResultColumns =
    "velocity,density,heat_capacity,dynamic_viscosity,conductivity,prandtl_number,enthalpy,"
    "saturation_pressure,diffusion_coefficient,reynolds_number,friction_factor,moody_diagram,"
    "pressure_drop_rate";

/// A bad option or batch header: reported on one line, exit code 2.
class UsageError : public Exception {
public:
    using Exception::Exception;
};

const InputRowInfo& rowInfo(int row) {
    return kInputRows[static_cast<std::size_t>(row - 1)];
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

/// A case being edited as in the input grid: the case and the grid's value texts. A batch
/// solves many cases, so texts are formatted and read again only where they changed.
class GridCase {
public:
    GridCase() : grid_(defaultGrid()) {}

    /// Commits `text` to `row` as the grid does: the number must lie in the row's range; the
    /// editor's text is read with all the others, the case recomputes and writes them back.
    void edit(int row, std::string_view text) {
        const InputRowInfo& info = rowInfo(row);
        const std::string_view value = trimmed(text);
        double x = 0;
        try {
            x = readReal(value);
        } catch (const EConvertError& error) {
            throw EConvertError(std::string(info.caption) + ": " + error.what());
        }
        if (!(x >= info.min && x <= info.max))
            throw EConvertError(formatText("%s: %s is outside the range %0.6g to %0.6g %s",
                                           {info.caption, value, info.min, info.max, info.units}));
        const auto i = static_cast<std::size_t>(row - 1);
        grid_.texts[i] = formatText(info.editFormat, {x});
        // The editor's text is not one the case made: it is written back whatever its value.
        grid_.shownValues[i] = std::numeric_limits<double>::quiet_NaN();
        readInputs();
        grid_.flowCase.ApplyEdit(row);
        showInputs();
    }

    /// Solves from the grid texts, as the window's solve does.
    SolveOutcome solve() {
        readInputs();
        return grid_.flowCase.Solve();
    }

    const FlowCase& flowCase() const { return grid_.flowCase; }
    const InputTexts& texts() const { return grid_.texts; }

private:
    struct Grid {
        FlowCase flowCase;
        InputTexts texts;     ///< what the grid shows
        InputTexts readTexts; ///< the texts last read, with the values they gave
        std::array<double, 5> readValues{};
        std::array<double, 5> shownValues{}; ///< the values the texts were last made from
    };

    static const Grid& defaultGrid() {
        static const Grid grid = [] {
            Grid g;
            g.texts = g.readTexts = g.flowCase.ShowInputs();
            for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
                const auto i = static_cast<std::size_t>(row - 1);
                g.shownValues[i] = g.flowCase.InputValue(row);
                g.readValues[i] = FlowCase::ReadInputText(row, g.texts[i]);
            }
            return g;
        }();
        return grid;
    }

    void readInputs() {
        for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
            const auto i = static_cast<std::size_t>(row - 1);
            if (grid_.texts[i] != grid_.readTexts[i]) {
                grid_.readValues[i] = FlowCase::ReadInputText(row, grid_.texts[i]);
                grid_.readTexts[i] = grid_.texts[i];
            }
            grid_.flowCase.InputValue(row) = grid_.readValues[i];
        }
    }

    void showInputs() {
        for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
            const auto i = static_cast<std::size_t>(row - 1);
            const double value = grid_.flowCase.InputValue(row);
            if (std::bit_cast<std::uint64_t>(value) !=
                std::bit_cast<std::uint64_t>(grid_.shownValues[i])) {
                grid_.texts[i] = FlowCase::InputText(row, value);
                grid_.shownValues[i] = value;
            }
        }
    }

    Grid grid_;
};

void appendCsvCell(std::string& line, std::string_view cell) {
    if (cell.find_first_of(",\"\r\n") == std::string_view::npos) {
        line += cell;
        return;
    }
    line += '"';
    for (char c : cell) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

/// Splits one CSV line into trimmed cells; quoted cells may hold commas and doubled quotes.
/// Returns false for an unterminated quote.
bool splitCsvLine(std::string_view line, std::vector<std::string>& cells) {
    cells.clear();
    std::string cell;
    bool quoted = false;
    bool wasQuoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"' && trimmed(cell).empty()) {
            cell.clear();
            quoted = wasQuoted = true;
        } else if (c == ',') {
            cells.emplace_back(wasQuoted ? cell : std::string(trimmed(cell)));
            cell.clear();
            wasQuoted = false;
        } else {
            cell += c;
        }
    }
    if (quoted)
        return false;
    cells.emplace_back(wasQuoted ? cell : std::string(trimmed(cell)));
    return true;
}

class BatchSolver {
public:
    BatchSolver(std::istream& in, std::ostream& out, bool precise)
        : in_(in), out_(out), precise_(precise) {}

    /// Reads the header; throws UsageError for an unknown or repeated column.
    void readHeader() {
        std::string line;
        if (!std::getline(in_, line))
            return;
        if (line.starts_with("\xEF\xBB\xBF")) // UTF-8 byte order mark
            line.erase(0, 3);
        std::vector<std::string> names;
        if (!splitCsvLine(line, names))
            throw UsageError("the batch header has an unterminated quote");
        for (const std::string& name : names) {
            const InputName* match = nullptr;
            for (const InputName& input : kInputNames)
                if (input.column == name)
                    match = &input;
            if (!match)
                throw UsageError("unknown column '" + name + "' in the batch header");
            for (int row : columnRows_)
                if (row == match->row)
                    throw UsageError("column '" + name + "' appears twice in the batch header");
            columnRows_.push_back(match->row);
        }
    }

    /// Solves every row; returns true when all of them solved.
    bool run() {
        std::string header;
        for (const InputName& input : kInputNames) {
            header += input.column;
            header += ',';
        }
        header += kResultColumns;
        header += ",status\n";
        out_ << header;

        // Rows are read in chunks, each chunk is solved in slices on every core, and the slices
        // are written in order: the output is the same as one row after the other, and memory
        // stays bounded by the chunk whatever the length of the batch.
        const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1U, 8U);
        std::vector<std::string> lines;
        std::vector<Slice> slices(workers);
        bool allSolved = true;
        for (;;) {
            lines.clear();
            for (std::string line; lines.size() < kChunkRows && std::getline(in_, line);)
                if (!trimmed(line).empty())
                    lines.push_back(std::move(line));
            if (lines.empty())
                break;
            const std::size_t sliceCount = lines.size() < kMinRowsPerSlice * 2 ? 1 : workers;
            const std::size_t perSlice = (lines.size() + sliceCount - 1) / sliceCount;
            std::vector<std::thread> threads;
            for (std::size_t k = 0; k < sliceCount; ++k) {
                Slice& slice = slices[k];
                slice.first = std::min(lines.size(), k * perSlice);
                slice.last = std::min(lines.size(), slice.first + perSlice);
                if (k == 0)
                    continue; // the calling thread solves the first slice itself
                threads.emplace_back([this, &lines, &slice] { solveSlice(lines, slice); });
            }
            solveSlice(lines, slices[0]);
            for (std::thread& thread : threads)
                thread.join();
            for (std::size_t k = 0; k < sliceCount; ++k) {
                out_.write(slices[k].output.data(),
                           static_cast<std::streamsize>(slices[k].output.size()));
                allSolved &= slices[k].allSolved;
            }
        }
        return allSolved;
    }

private:
    static constexpr std::size_t kChunkRows = 16384;
    static constexpr std::size_t kMinRowsPerSlice = 256;

    /// Rows first to last of a chunk and what solving them wrote.
    struct Slice {
        std::size_t first = 0;
        std::size_t last = 0;
        std::string output;
        bool allSolved = true;
    };

    void solveSlice(const std::vector<std::string>& lines, Slice& slice) const {
        slice.output.clear();
        slice.allSolved = true;
        std::vector<std::string> cells;
        for (std::size_t i = slice.first; i < slice.last; ++i)
            slice.allSolved &= solveRow(lines[i], cells, slice.output);
    }

    bool solveRow(std::string_view line, std::vector<std::string>& cells,
                  std::string& output) const {
        std::string status = "Solved";
        GridCase gridCase;
        try {
            if (!splitCsvLine(line, cells))
                throw EConvertError("the row has an unterminated quote");
            if (cells.size() > columnRows_.size())
                throw EConvertError(formatText("the row has %d cells but the header names %d",
                                               {static_cast<long long>(cells.size()),
                                                static_cast<long long>(columnRows_.size())}));
            for (std::size_t i = 0; i < cells.size(); ++i)
                if (!cells[i].empty())
                    gridCase.edit(columnRows_[i], cells[i]);
            const SolveOutcome outcome = gridCase.solve();
            if (!outcome.solved)
                status = outcome.message;
        } catch (const std::exception& error) {
            status = error.what();
        }
        if (status == "Solved")
            appendValues(gridCase, output);
        else
            output.append(5 + kResultCount, ',');
        appendCsvCell(output, status);
        output += '\n';
        return status == "Solved";
    }

    void appendValues(const GridCase& gridCase, std::string& output) const {
        const FlowCase& c = gridCase.flowCase();
        if (precise_) {
            const double inputs[] = {c.FlowRate * 1000, c.Velocity, c.Diameter * 1000,
                                     c.Temperature, c.Roughness * 1000};
            for (double value : inputs) {
                output += shortestRealText(value);
                output += ',';
            }
            const auto values = ResultValues(c);
            for (std::size_t i = 0; i < kResultCount; ++i) {
                output +=
                    i == kRegimeResultIndex ? RegimeName(c.Regime) : shortestRealText(values[i]);
                output += ',';
            }
            return;
        }
        for (const std::string& text : gridCase.texts()) {
            output += text;
            output += ',';
        }
        for (const std::string& value : ResultValueTexts(c)) {
            appendCsvCell(output, value);
            output += ',';
        }
    }

    std::istream& in_;
    std::ostream& out_;
    bool precise_;
    std::vector<int> columnRows_;
};

struct Options {
    std::vector<std::pair<int, std::string>> edits; ///< row and value text, in command order
    bool batch = false;
    std::optional<std::string> batchFile;
    bool precise = false;
    bool help = false;
    bool version = false;
};

Options parseOptions(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::optional<std::string> attached; // the value of --name=value
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != arg.npos) {
            attached = std::string(arg.substr(eq + 1));
            arg = arg.substr(0, eq);
        }
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
        if (arg == "--batch") {
            options.batch = true;
            if (attached)
                options.batchFile = *attached;
            else if (i + 1 < args.size() && (args[i + 1] == "-" || !args[i + 1].starts_with("--")))
                options.batchFile = args[++i];
            continue;
        }
        const InputName* input = nullptr;
        for (const InputName& name : kInputNames)
            if (name.option == arg)
                input = &name;
        if (!input)
            throw UsageError("unknown option '" + std::string(arg) + "' (see --help)");
        if (!attached && i + 1 >= args.size())
            throw UsageError("option " + std::string(arg) + " needs a value");
        options.edits.emplace_back(input->row, attached ? *attached : args[++i]);
    }
    if (options.batch && !options.edits.empty())
        throw UsageError("--batch takes its values from the batch file, not from options");
    if (options.precise && !options.batch)
        throw UsageError("--precise applies to --batch only");
    return options;
}

int solveOneCase(const Options& options, std::ostream& out, std::ostream& err) {
    GridCase gridCase;
    try {
        for (const auto& [row, text] : options.edits)
            gridCase.edit(row, text);
    } catch (const std::exception& error) {
        err << kProgram << ": " << error.what() << '\n';
        return kExitUsage;
    }
    SolveOutcome outcome;
    try {
        outcome = gridCase.solve();
    } catch (const std::exception& error) {
        outcome = {false, error.what()};
    }
    if (!outcome.solved) {
        err << kProgram << ": the case could not be solved: " << outcome.message << '\n';
        return kExitCaseFailed;
    }
    std::string text;
    for (const ResultRow& row : MakeResultRows(gridCase.flowCase()))
        text += row.caption + ',' + row.value + ',' + row.units + '\n';
    out << text;
    return kExitSolved;
}

int solveBatch(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
    std::ifstream file;
    std::istream* source = &in;
    if (options.batchFile && *options.batchFile != "-") {
        file.open(*options.batchFile);
        if (!file) {
            err << kProgram << ": cannot open '" << *options.batchFile
                << "': " << std::strerror(errno) << '\n';
            return kExitUsage;
        }
        source = &file;
    }
    BatchSolver solver(*source, out, options.precise);
    try {
        solver.readHeader();
    } catch (const UsageError& error) {
        err << kProgram << ": " << error.what() << '\n';
        return kExitUsage;
    }
    const bool allSolved = solver.run();
    if (source->bad()) {
        err << kProgram << ": reading the batch failed\n";
        return kExitCaseFailed;
    }
    return allSolved ? kExitSolved : kExitCaseFailed;
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
    if (options.help) {
        out << kHelp;
        return kExitSolved;
    }
    if (options.version) {
        out << kProgram << ' ' << CORVEL_VERSION << '\n';
        return kExitSolved;
    }
    return options.batch ? solveBatch(options, in, out, err) : solveOneCase(options, out, err);
}

} // namespace corvel
