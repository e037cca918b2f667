#pragma once

// The decimal logarithm of an extended-precision value, bit for bit what std::log10 gives,
// without the call into the C library where that can be avoided.

#include <cmath>

namespace corvel {

/// log10(x) in extended precision. On x86-64 the C library computes it with the x87
/// instruction FYL2X on log10(2) whenever |x − 1| > 0.29 (nearer 1 it switches to FYL2XP1 on
/// x − 1); for a positive finite x in that range the same instruction runs inline here, which
/// spares the call and its error-number wrapper. Every other argument goes to std::log10, so
/// the result and the floating-point flags raised are the library's in every case.
inline long double log10Extended(long double x) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (std::isgreater(x, 0.0L) && std::isless(x, HUGE_VALL) &&
        std::isgreater(std::fabs(x - 1.0L), static_cast<long double>(0.29))) {
        long double result;
        // st(0) = x; push log10(2), swap, and FYL2X leaves log10(2)·log2(x) in st(0).
        __asm__("fldlg2\n\tfxch %%st(1)\n\tfyl2x" : "=t"(result) : "0"(x) : "st(1)");
        return result;
    }
#endif
    return std::log10(x);
}

} // namespace corvel
