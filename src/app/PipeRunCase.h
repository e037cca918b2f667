#pragma once

// The pipe run of the window's case: its inputs (length, fittings, rise, pump efficiency) in
// base units, the texts of its grid rows in the chosen units, and its results computed from
// each solve of the flow case. The line pressure the run's rows show is the flow case's own.
// Plain C++: the window's pipe-run controller owns one and moves texts between it and the grid.

#include "app/FlowCase.h"
#include "app/Results.h"
#include "app/SolvePipeRun.h"
#include "pipes/PipeRun.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvel {

/// The value-column texts of the pipe run's rows 6 to 10 (index 0 holds row 6).
using RunTexts = std::array<std::string, kRunRowCount>;

/// The result lines of a pipe run as the list shows them.
using RunResultRows = std::array<ResultRow, kRunResultCount>;

/// The fittings row's value text for a sum of K: "ΣK 3.21".
std::string FittingsSumText(double sumK);
/// The fittings row's units text: "no fittings", "1 fitting", "5 fittings"; "+ K" follows the
/// count when an other K is set ("2 fittings + K"), and "other K" stands alone without fittings.
std::string FittingsCountText(const FittingSet& fittings);

class PipeRunCase {
public:
    /// The run's inputs in base units (m, fraction).
    PipeRunInputs Inputs;

    /// The texts of rows 6 to 10 for the run and for the line pressure of `flow`, in the units
    /// `flow` chooses; the fittings row shows their ΣK at the flow's last solve. The case
    /// remembers each text with the value it shows.
    RunTexts ShowInputs(const FlowCase& flow);
    /// Reads rows 6, 8, 9 and 10 (the fittings row is not typed in); the line pressure goes
    /// into `flow`. A text still exactly as ShowInputs made it gives back its value at full
    /// precision. A text that is not a number throws EConvertError; the rows before it have
    /// been taken.
    void ReadInputs(const RunTexts& texts, FlowCase& flow);

    /// The text of run row `row` (6, 8, 9 or 10) for a value in base units.
    static std::string InputText(int row, double value, const UnitChoices& units = {});
    /// The base value of a text of run row `row`; throws EConvertError.
    static double ReadInputText(int row, std::string_view text, const UnitChoices& units = {});

    /// Computes the run for the flow case's last solve (SolvePipeRun). Throws what it throws:
    /// a pump efficiency outside 1 % to 100 % and floating-point faults.
    void Solve(const FlowCase& flow);
    /// Forgets the results: the list shows zeros again.
    void Clear();
    bool Solved() const { return solved_; }
    const PipeRunResult& Result() const { return result_; }

    /// The seven result rows, values in `units`: "Friction Loss", "Fittings Loss", "Static
    /// Pressure", "Total Pressure Drop", "Total Head", "Pump Power", "Shaft Power". A run that
    /// needs no pump shows "no pump needed" for both powers; before a solve every value is "0".
    RunResultRows ResultRows(const UnitChoices& units) const;
    /// The quantity whose unit result line `line` (0 to 6) is shown in.
    static Quantity ResultQuantity(std::size_t line);

    /// The notes the run earns at the flow of `flow`: a check valve that the flow does not
    /// open fully (its K holds only from its full-opening velocity on) marks the fittings
    /// loss and the totals after it (the run's line bits from kFirstRunLineBit on). None
    /// before a solve.
    std::vector<ValidityNote> Notes(const FlowCase& flow) const;

private:
    struct ShownInput {
        std::string text;
        double value = 0;
    };
    std::array<ShownInput, kRunRowCount> shown_{};
    PipeRunResult result_;
    bool solved_ = false;
};

} // namespace corvel
