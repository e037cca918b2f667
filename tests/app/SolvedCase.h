#pragma once

// The flow case most tests start from.

#include "app/FlowCase.h"

#include <gtest/gtest.h>

namespace corvel::test {

/// The designed default case, read from its own grid texts and solved.
inline FlowCase SolvedDefaultCase() {
    FlowCase c;
    c.ReadInputs(c.ShowInputs());
    EXPECT_TRUE(c.Solve().solved);
    return c;
}

} // namespace corvel::test
