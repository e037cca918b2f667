#pragma once

#include <cfenv>
#include <cmath>

namespace corvel {

/// The floating-point exception flags that count as faults; underflow and inexact stay silent.
inline constexpr int kFloatFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

/// Throws the error matching the raised fault flags (invalid, then zero divide, then overflow)
/// after clearing them. Does nothing when no fault flag is raised.
void raiseFloatFaults();

/// Watches one calculation for floating-point faults.
///
/// The outermost scope on a thread clears stale fault flags on entry, so flags left by unrelated
/// code are never blamed on the calculation; nested scopes leave the flags alone so that a fault
/// raised by the caller before the nested call is not lost. `result` rounds an extended-precision
/// value to double and throws when any fault was raised on the way or the value is not finite.
class FloatFaultScope {
public:
    FloatFaultScope() noexcept {
        if (depth_++ == 0 && std::fetestexcept(kFloatFaultFlags) != 0)
            std::feclearexcept(kFloatFaultFlags);
    }
    ~FloatFaultScope() { --depth_; }
    FloatFaultScope(const FloatFaultScope&) = delete;
    FloatFaultScope& operator=(const FloatFaultScope&) = delete;

    double result(long double value) const {
        // volatile keeps the rounding to double ahead of the flag test
        volatile double rounded = static_cast<double>(value);
        return checked(rounded);
    }

private:
    static double checked(double value);
    static thread_local int depth_;
};

} // namespace corvel
