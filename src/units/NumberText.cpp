#include "units/NumberText.h"

#include "platform/Errors.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace corvel {

namespace {

constexpr int kMaxPrecision = 60;  // enough for any pattern the program uses
constexpr int kMaxWidth = 1000;

[[noreturn]] void badFormat(std::string_view pattern) {
    throw EConvertError("Format '" + std::string(pattern) + "' invalid or incompatible with argument");
}

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// Drops the minus sign of a text whose digits are all zero ("-0.00" reads "0.00").
void dropNegativeZero(std::string& text) {
    if (!text.empty() && text.front() == '-' &&
        std::none_of(text.begin() + 1, text.end(), [](char c) { return c >= '1' && c <= '9'; }))
        text.erase(0, 1);
}

std::string fixedText(double value, int decimals) {
    // A double has at most 309 integer digits.
    std::array<char, 320 + kMaxPrecision> buffer;
    auto [end, ec] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed,
                      decimals);
    std::string text(buffer.data(), ec == std::errc() ? end : buffer.data());
    dropNegativeZero(text);
    return text;
}

void dropTrailingZeros(std::string& digits) {
    if (digits.find('.') == std::string::npos)
        return;
    while (digits.back() == '0')
        digits.pop_back();
    if (digits.back() == '.')
        digits.pop_back();
}

std::string generalText(double value, int precision) {
    if (precision < 1)
        precision = 1;
    if (value == 0)
        return "0";
    std::array<char, 40 + kMaxPrecision> buffer;
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::scientific, precision - 1);
    if (ec != std::errc())
        return {};
    const std::string_view scientific(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    const std::size_t e = scientific.find('e');
    int exponent = 0;
    std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1),
                    scientific.data() + scientific.size(), exponent);
    if (exponent < precision && exponent >= -5) {
        std::string text = fixedText(value, precision - 1 - exponent);
        dropTrailingZeros(text);
        return text;
    }
    std::string text(scientific.substr(0, e));
    dropTrailingZeros(text);
    text += 'E';
    text += std::to_string(exponent);
    return text;
}

std::string integerText(std::int64_t value, int minDigits) {
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

/// Reads a run of digits as a bounded count; returns -1 when the run is empty.
int readCount(std::string_view pattern, std::size_t& pos, int limit) {
    if (pos >= pattern.size() || !isDigit(pattern[pos]))
        return -1;
    int count = 0;
    while (pos < pattern.size() && isDigit(pattern[pos])) {
        count = std::min(limit, count * 10 + (pattern[pos] - '0'));
        ++pos;
    }
    return count;
}

} // namespace

std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(pattern.size() + 16);
    auto next = args.begin();
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        const std::size_t percent = pattern.find('%', pos);
        if (percent == std::string_view::npos) {
            out.append(pattern.substr(pos));
            break;
        }
        out.append(pattern.substr(pos, percent - pos));
        pos = percent + 1;
        if (pos < pattern.size() && pattern[pos] == '%') {
            out += '%';
            ++pos;
            continue;
        }
        const bool leftJustify = pos < pattern.size() && pattern[pos] == '-';
        if (leftJustify)
            ++pos;
        const int width = std::max(0, readCount(pattern, pos, kMaxWidth));
        int precision = -1;
        if (pos < pattern.size() && pattern[pos] == '.') {
            ++pos;
            precision = std::max(0, readCount(pattern, pos, kMaxPrecision));
        }
        if (pos >= pattern.size() || next == args.end())
            badFormat(pattern);
        const FormatArg& arg = *next++;
        const char type = static_cast<char>(pattern[pos++] | 0x20); // lower case
        std::string field;
        switch (type) {
        case 'f':
            if (arg.kind() != FormatArg::Kind::Real)
                badFormat(pattern);
            field = fixedText(arg.real(), precision < 0 ? 2 : precision);
            break;
        case 'g':
            if (arg.kind() != FormatArg::Kind::Real)
                badFormat(pattern);
            field = generalText(arg.real(), precision < 0 ? 15 : precision);
            break;
        case 'd':
            if (arg.kind() != FormatArg::Kind::Integer)
                badFormat(pattern);
            field = integerText(arg.integer(), precision);
            break;
        case 's':
            if (arg.kind() != FormatArg::Kind::Text)
                badFormat(pattern);
            field = precision < 0 ? std::string(arg.text())
                                  : std::string(arg.text().substr(0, static_cast<std::size_t>(precision)));
            break;
        default:
            badFormat(pattern);
        }
        if (static_cast<int>(field.size()) < width) {
            const std::string padding(static_cast<std::size_t>(width) - field.size(), ' ');
            field = leftJustify ? field + padding : padding + field;
        }
        out += field;
    }
    return out;
}

double readReal(std::string_view text) {
    const std::string_view trimmed = trimBlanks(text);
    auto fail = [&]() -> double {
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    };
    std::size_t pos = 0;
    const std::size_t n = trimmed.size();
    if (pos < n && (trimmed[pos] == '+' || trimmed[pos] == '-'))
        ++pos;
    const std::size_t mantissa = pos;
    std::size_t digits = 0;
    while (pos < n && isDigit(trimmed[pos]))
        ++pos, ++digits;
    if (pos < n && trimmed[pos] == '.') {
        ++pos;
        while (pos < n && isDigit(trimmed[pos]))
            ++pos, ++digits;
    }
    if (digits == 0)
        return fail();
    if (pos < n && (trimmed[pos] == 'e' || trimmed[pos] == 'E')) {
        ++pos;
        if (pos < n && (trimmed[pos] == '+' || trimmed[pos] == '-'))
            ++pos;
        std::size_t exponentDigits = 0;
        while (pos < n && isDigit(trimmed[pos]))
            ++pos, ++exponentDigits;
        if (exponentDigits == 0)
            return fail();
    }
    if (pos != n)
        return fail();

    double value = 0;
    const auto [end, ec] = std::from_chars(trimmed.data() + mantissa, trimmed.data() + n, value);
    if (ec != std::errc() || end != trimmed.data() + n || !std::isfinite(value))
        return fail();
    return trimmed.front() == '-' ? -value : value;
}

std::int32_t readInteger(std::string_view text) {
    const std::string_view trimmed = trimBlanks(text);
    std::size_t start = 0;
    if (!trimmed.empty() && trimmed.front() == '+')
        start = 1; // from_chars takes a minus sign but not a plus sign
    std::int32_t value = 0;
    const char* first = trimmed.data() + start;
    const char* last = trimmed.data() + trimmed.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    const bool signedTwice = start == 1 && first < last && *first == '-';
    if (trimmed.size() == start || ec != std::errc() || end != last || signedTwice)
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

std::string shortestRealText(double value) {
    std::array<char, 32> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), ec == std::errc() ? end : buffer.data());
}

} // namespace corvel
