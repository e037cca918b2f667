// Arbitrary bytes as number text and as format patterns: the readers either return a finite
// number or throw EConvertError; the formatter either formats or throws EConvertError.
#include "platform/Errors.h"
#include "units/NumberText.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const double value = corvel::readReal(text);
        if (!std::isfinite(value))
            std::abort();
        // What the formatter writes, the reader reads back.
        if (corvel::readReal(corvel::formatText("%0.6g", {value})) == 0 && value != 0 &&
            std::fabs(value) > 1e-290)
            std::abort();
        if (corvel::readReal(corvel::shortestRealText(value)) != value)
            std::abort();
        // The short-decimal path gives what from_chars gives for the same digits.
        std::string_view digits = text;
        while (!digits.empty() &&
               (digits.front() == ' ' || (digits.front() >= '\t' && digits.front() <= '\r')))
            digits.remove_prefix(1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (negative || digits.front() == '+'))
            digits.remove_prefix(1);
        double expected = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), expected);
        if (std::bit_cast<std::uint64_t>(negative ? -expected : expected) !=
            std::bit_cast<std::uint64_t>(value))
            std::abort();
    } catch (const corvel::EConvertError&) {
    }
    try {
        corvel::readInteger(text);
    } catch (const corvel::EConvertError&) {
    }
    try {
        corvel::formatText(text, {1.5, 42, "text", -0.0000123});
    } catch (const corvel::EConvertError&) {
    }
    return 0;
}
