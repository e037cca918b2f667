#pragma once

// The codes of the validity notes a solved case earns, without the notes' texts: a batch writes
// them on every row, where composing the texts would cost more than the solve.

#include <string>

namespace corvel {

class FlowCase;

/// Appends the codes of FlowCase::Notes() for `flowCase`, in the same order, separated by ";"
/// (nothing when there are none). Makes no allocation beyond growing `out`.
void AppendNoteCodes(const FlowCase& flowCase, std::string& out);

} // namespace corvel
