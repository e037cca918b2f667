// Feeds arbitrary bytes to the number-text operations. Conversion errors are the documented
// outcome for text that is no number; anything else (a crash, a hang, a sanitizer report or a
// broken invariant) is a finding.

#include "platform/Errors.h"
#include "units/QxConv.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void cleanedTextInvariants(const std::string& clean) {
    check(clean.find(' ') == std::string::npos);
    check(clean.find('e') == std::string::npos);
    const std::size_t slash = clean.find('/');
    check(slash == std::string::npos || clean.find('/', slash + 1) == std::string::npos);
    const std::string_view first = std::string_view(clean).substr(0, slash);
    const std::size_t e = first.find('E');
    check(e == std::string_view::npos || first.find('E', e + 1) == std::string_view::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    try {
        cleanedTextInvariants(corvel::CleanNumberText(text));
    } catch (const corvel::EConvertError&) {
    }

    double a = 0;
    double b = 0;
    try {
        corvel::SplitPair(text, a, b);
    } catch (const corvel::EConvertError&) {
    }

    const int decimals = corvel::FormatDecimals(text);
    check(decimals >= 0 && decimals <= 9);

    // The first bytes choose the digits and the decimals, the next eight the value's bits.
    if (size >= 10) {
        const int sigDigits = static_cast<std::int8_t>(data[0]);
        const int maxDecimals = static_cast<std::int8_t>(data[1]);
        double value = 0;
        std::memcpy(&value, data + 2, sizeof value);
        const int significant = corvel::SignificantDecimals(sigDigits, maxDecimals, value);
        check(significant >= 0 && significant <= (maxDecimals < 0 ? 0 : maxDecimals));
        corvel::SignificantFormat(sigDigits, maxDecimals, value);
    }
    return 0;
}
