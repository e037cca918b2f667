#pragma once

#include <cfenv>
#include <cmath>

namespace corvel {

/// The floating-point exception flags that count as faults; underflow and inexact stay silent.
inline constexpr int kFloatFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

/// The fault flags raised so far. On x86-64 this reads the x87 status word and the SSE control
/// register directly (their fault bits sit where FE_INVALID, FE_DIVBYZERO and FE_OVERFLOW say),
/// which costs a fraction of a call to fetestexcept; the calculations test after every step.
inline int raisedFloatFaults() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    unsigned short x87Status = 0;
    unsigned int sseStatus = 0;
    __asm__ volatile("fnstsw %0" : "=m"(x87Status) : : "memory");
    __asm__ volatile("stmxcsr %0" : "=m"(sseStatus) : : "memory");
    return (x87Status | static_cast<int>(sseStatus)) & kFloatFaultFlags;
#else
    return std::fetestexcept(kFloatFaultFlags);
#endif
}

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
        if (depth()++ == 0 && raisedFloatFaults() != 0)
            std::feclearexcept(kFloatFaultFlags);
    }
    ~FloatFaultScope() { --depth(); }
    FloatFaultScope(const FloatFaultScope&) = delete;
    FloatFaultScope& operator=(const FloatFaultScope&) = delete;

    double result(long double value) const {
        double rounded = static_cast<double>(value);
        // The empty statement takes the rounded value from memory (where the x87 unit stores
        // it when it rounds) and, being volatile like the flag test, stays ahead of that test.
        __asm__ volatile("" : "+m"(rounded));
        return checked(rounded);
    }

private:
    /// How many scopes are open on this thread. A function-local thread-local variable with a
    /// constant initializer is reached directly in every translation unit, without the wrapper
    /// function a thread-local variable of namespace scope is reached through from other
    /// units (which sanitizers misread), and the scope's entry and exit stay inline.
    static int& depth() noexcept {
        static thread_local int openScopes = 0;
        return openScopes;
    }
    static double checked(double value) {
        if (raisedFloatFaults() != 0 || !std::isfinite(value))
            failed(value);
        return value;
    }
    [[noreturn]] static void failed(double value);
};

} // namespace corvel
