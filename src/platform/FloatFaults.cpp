#include "platform/FloatFaults.h"

#include "platform/Errors.h"

namespace corvel {

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
