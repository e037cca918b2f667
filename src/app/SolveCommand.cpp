#include "app/SolveCommand.h"

#include "CorvelVersion.h"
#include "app/FlowCase.h"
#include "app/Results.h"
#include "platform/Errors.h"
#include "units/NumberText.h"

#include <cstring>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <string_view>

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

const InputRowInfo& rowInfo(int row) { return kInputRows[static_cast<std::size_t>(row - 1)]; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

/// A case being edited as in the input grid: the case and the grid's value texts.
class GridCase {
public:
    GridCase() : texts_(defaultTexts()) {}

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
        texts_[static_cast<std::size_t>(row - 1)] = formatText(info.editFormat, {x});
        case_.ReadInputs(texts_);
        case_.ApplyEdit(row);
        texts_ = case_.ShowInputs();
    }

    /// Solves from the grid texts, as the window's solve does.
    SolveOutcome solve() {
        case_.ReadInputs(texts_);
        return case_.Solve();
    }

    const FlowCase& flowCase() const { return case_; }
    const InputTexts& texts() const { return texts_; }

private:
    static const InputTexts& defaultTexts() {
        static const InputTexts texts = FlowCase().ShowInputs();
        return texts;
    }

    FlowCase case_;
    InputTexts texts_;
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

        bool allSolved = true;
        std::string line;
        std::string output;
        while (std::getline(in_, line)) {
            if (trimmed(line).empty())
                continue;
            output.clear();
            allSolved &= solveRow(line, output);
            out_.write(output.data(), static_cast<std::streamsize>(output.size()));
        }
        return allSolved;
    }

private:
    bool solveRow(std::string_view line, std::string& output) {
        std::string status = "Solved";
        GridCase gridCase;
        try {
            if (!splitCsvLine(line, cells_))
                throw EConvertError("the row has an unterminated quote");
            if (cells_.size() > columnRows_.size())
                throw EConvertError(formatText("the row has %d cells but the header names %d",
                                               {static_cast<long long>(cells_.size()),
                                                static_cast<long long>(columnRows_.size())}));
            for (std::size_t i = 0; i < cells_.size(); ++i)
                if (!cells_[i].empty())
                    gridCase.edit(columnRows_[i], cells_[i]);
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
                output += i == kRegimeResultIndex ? RegimeName(c.Regime)
                                                  : shortestRealText(values[i]);
                output += ',';
            }
            return;
        }
        for (const std::string& text : gridCase.texts()) {
            output += text;
            output += ',';
        }
        for (const ResultRow& row : MakeResultRows(c)) {
            appendCsvCell(output, row.value);
            output += ',';
        }
    }

    std::istream& in_;
    std::ostream& out_;
    bool precise_;
    std::vector<int> columnRows_;
    std::vector<std::string> cells_;
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
            (arg == "--help" ? options.help : arg == "--version" ? options.version
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
