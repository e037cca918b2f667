#pragma once

#include <gtest/gtest.h>

#include <cmath>

namespace corvel::test {

/// Passes when `actual` lies within `relTol` of `expected`, relative to |expected|
/// (absolute for an expected 0).
inline ::testing::AssertionResult NearRel(double actual, double expected, double relTol = 1e-9) {
    const double scale = expected == 0 ? 1.0 : std::fabs(expected);
    if (std::fabs(actual - expected) <= relTol * scale)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "actual " << actual << " differs from expected "
                                         << expected << " by more than " << relTol << " relative";
}

} // namespace corvel::test
