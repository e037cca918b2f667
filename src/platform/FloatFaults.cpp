#include "platform/FloatFaults.h"

#include "platform/Errors.h"

namespace corvel {

namespace {

/// How many scopes are open on this thread. Kept in this file: thread-local variables reached
/// from other translation units go through wrapper functions that sanitizers misread.
thread_local int scopeDepth = 0;

} // namespace

FloatFaultScope::FloatFaultScope() noexcept {
    if (scopeDepth++ == 0 && raisedFloatFaults() != 0)
        std::feclearexcept(kFloatFaultFlags);
}

FloatFaultScope::~FloatFaultScope() {
    --scopeDepth;
}

void raiseFloatFaults() {
    const int raised = raisedFloatFaults();
    if (raised == 0)
        return;
    std::feclearexcept(kFloatFaultFlags);
    if (raised & FE_INVALID)
        throw EInvalidOp();
    if (raised & FE_DIVBYZERO)
        throw EZeroDivide();
    throw EOverflow();
}

void FloatFaultScope::failed(double value) {
    raiseFloatFaults();
    // A quiet NaN passed in as an argument travels through arithmetic without raising a flag.
    if (std::isnan(value))
        throw EInvalidOp();
    throw EOverflow();
}

} // namespace corvel
