#include "platform/FloatFaults.h"

#include "platform/Errors.h"

namespace corvel {

thread_local int FloatFaultScope::depth_ = 0;

void raiseFloatFaults() {
    const int raised = std::fetestexcept(kFloatFaultFlags);
    if (raised == 0)
        return;
    std::feclearexcept(kFloatFaultFlags);
    if (raised & FE_INVALID)
        throw EInvalidOp();
    if (raised & FE_DIVBYZERO)
        throw EZeroDivide();
    throw EOverflow();
}

double FloatFaultScope::checked(double value) {
    raiseFloatFaults();
    // A quiet NaN passed in as an argument travels through arithmetic without raising a flag.
    if (std::isnan(value))
        throw EInvalidOp();
    if (std::isinf(value))
        throw EOverflow();
    return value;
}

} // namespace corvel
