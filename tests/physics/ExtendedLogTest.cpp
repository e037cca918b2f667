// The inline decimal logarithm against the C library's, bit for bit and flag for flag.
#include "physics/ExtendedLog.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace corvel {
namespace {

/// The 80 significant bits of an extended value (the rest of its storage is padding).
bool sameBits(long double a, long double b) {
    return std::memcmp(&a, &b, 10) == 0;
}

/// A logarithm and the floating-point flags it raised.
struct Outcome {
    long double value;
    int flags;
};

template <typename Log> Outcome evaluate(Log log, long double x) {
    std::feclearexcept(FE_ALL_EXCEPT);
    volatile long double argument = x;
    const long double value = log(argument);
    return {value, std::fetestexcept(FE_ALL_EXCEPT)};
}

std::vector<long double> arguments() {
    std::vector<long double> xs;
    std::mt19937_64 rng(3);
    // Full 64-bit significands over the whole exponent range of the arguments in use and far
    // beyond it.
    std::uniform_int_distribution<int> exponent(-16000, 16000);
    std::uniform_int_distribution<int> nearExponent(-80, 80);
    for (int i = 0; i < 300000; ++i) {
        const long double significand =
            std::ldexp(static_cast<long double>(rng() | (std::uint64_t{1} << 63)), -64);
        xs.push_back(std::ldexp(significand, i % 4 == 0 ? exponent(rng) : nearExponent(rng)));
    }
    // Either side of the switch between FYL2X and FYL2XP1, and of 1 itself.
    for (long double edge : {0.71L, 1.29L, 1.0L, static_cast<long double>(1 - 0.29),
                             static_cast<long double>(1 + 0.29)}) {
        long double below = edge, above = edge;
        for (int k = 0; k < 2000; ++k) {
            xs.push_back(below = std::nextafter(below, 0.0L));
            xs.push_back(above = std::nextafter(above, 2.0L));
        }
    }
    for (long double x :
         {0.0L, -0.0L, -1.0L, std::numeric_limits<long double>::denorm_min(),
          std::numeric_limits<long double>::min(), std::numeric_limits<long double>::max(),
          HUGE_VALL, -HUGE_VALL, std::numeric_limits<long double>::quiet_NaN()})
        xs.push_back(x);
    return xs;
}

TEST(ExtendedLog, EveryArgumentGivesTheLibrarysBitsAndFlags) {
    std::size_t mismatches = 0;
    for (long double x : arguments()) {
        const Outcome inline_ = evaluate([](long double v) { return log10Extended(v); }, x);
        const Outcome library = evaluate([](long double v) { return std::log10(v); }, x);
        const bool same = (std::isnan(inline_.value) && std::isnan(library.value)) ||
                          sameBits(inline_.value, library.value);
        if ((!same || inline_.flags != library.flags) && ++mismatches <= 5)
            ADD_FAILURE() << "log10 of " << static_cast<double>(x) << ": "
                          << static_cast<double>(inline_.value) << " flags " << inline_.flags
                          << " instead of " << static_cast<double>(library.value) << " flags "
                          << library.flags;
    }
    EXPECT_EQ(mismatches, 0U);
    std::feclearexcept(FE_ALL_EXCEPT);
}

} // namespace
} // namespace corvel
