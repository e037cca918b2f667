#pragma once

// corvel-solve: the flow case on the command line, one case from options or a CSV batch.

#include <iosfwd>
#include <string>
#include <vector>

namespace corvel {

/// Exit codes of corvel-solve.
enum SolveExitCode : int {
    kExitSolved = 0,
    kExitCaseFailed = 1, ///< the solve failed, or at least one batch row failed
    kExitUsage = 2,      ///< a bad option, value or batch header
};

/// Runs corvel-solve with `args` (without the program name). Reads a batch from `in` when
/// asked to, writes results to `out` and one-line messages to `err`; returns the exit code.
int RunSolveCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);

} // namespace corvel
