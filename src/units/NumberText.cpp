#include "units/NumberText.h"

#include "platform/Errors.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace corvel {

namespace {

constexpr int kMaxPrecision = 60; // enough for any pattern the program uses
constexpr int kMaxWidth = 1000;

[[noreturn]] void badFormat(std::string_view pattern) {
    throw EConvertError("Format '" + std::string(pattern) +
                        "' invalid or incompatible with argument");
}

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// A finite magnitude as decimal digits d1 d2 … dn with the power of ten of d1.
struct DecimalDigits {
    std::array<char, 24> digits{};
    int count = 0;    ///< 0 for zero
    int exponent = 0; ///< magnitude = d1.d2…dn × 10^exponent
};

/// The shortest digits that read back as `magnitude` (which is finite and not negative).
DecimalDigits shortestDigits(double magnitude) {
    DecimalDigits d;
    if (magnitude == 0)
        return d;
    std::array<char, 32> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                         std::chars_format::scientific);
    const char* p = buffer.data();
    for (; p != end && *p != 'e'; ++p)
        if (*p != '.')
            d.digits[static_cast<std::size_t>(d.count++)] = *p;
    // p is at the 'e' of "d.ddde±XX"
    const char* exponentStart = p + 1 + (p[1] == '+' ? 1 : 0);
    std::from_chars(exponentStart, end, d.exponent);
    return d;
}

/// Keeps the first `keep` digits, rounding half away from zero on the shortest digits, so a
/// value shows as it was typed (2.675 to two decimals shows 2.68).
void roundDigits(DecimalDigits& d, int keep) {
    if (keep >= d.count)
        return;
    if (keep < 0) {
        d.count = 0;
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.count = keep;
    if (!up)
        return;
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9')
        --i;
    if (i < 0) { // every kept digit was 9 (or none was kept): one digit more to the left
        d.digits[0] = '1';
        d.count = 1;
        ++d.exponent;
        return;
    }
    ++d.digits[static_cast<std::size_t>(i)];
    d.count = i + 1;
}

/// The digit at power of ten `power`, '0' beyond the stored digits.
char digitAt(const DecimalDigits& d, int power) {
    const int index = d.exponent - power;
    return index >= 0 && index < d.count ? d.digits[static_cast<std::size_t>(index)] : '0';
}

/// NaN and infinities never come out of the calculations, but a text for them beats a crash.
std::string nonFiniteText(double value) {
    return std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF";
}

constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
/// 10^0 to 10^15, each held exactly.
constexpr double kExactPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr std::uint64_t kIntPowers[] = {1,      10,      100,      1000,      10000,
                                        100000, 1000000, 10000000, 100000000, 1000000000};

/// |value| × 10^decimals rounded half away from zero to a whole number by integer arithmetic,
/// for the common case of a moderate value with few decimals. Gives up (returns false) where
/// the scaled value lies so close to a rounding halfway point that its binary and its shortest
/// decimal form might round differently.
bool fastRoundScaled(double value, int decimals, std::uint64_t& rounded) {
    if (decimals < 0 || decimals > 9)
        return false;
    const double scaled = std::fabs(value) * kPowers[decimals];
    if (!(scaled < 1e15))
        return false;
    // Truncation is the floor of a value that is not negative; both are exact below 2^52.
    const double whole = static_cast<double>(static_cast<std::uint64_t>(scaled));
    const double fraction = scaled - whole;
    // Both the product's rounding and the shortest form lie within ~2.2e-16·scaled of the value.
    if (std::fabs(fraction - 0.5) <= scaled * 1e-15 + 1e-300)
        return false;
    rounded = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    return true;
}

/// "00" to "99": two digits written at a time.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

/// Writes the digits of `n` so that they end just before `end`; returns where they start.
char* writeDigits(std::uint64_t n, char* end) {
    char* p = end;
    while (n >= 100) {
        const auto pair = static_cast<std::size_t>(n % 100) * 2;
        n /= 100;
        *--p = kDigitPairs[pair + 1];
        *--p = kDigitPairs[pair];
    }
    if (n >= 10) {
        *--p = kDigitPairs[n * 2 + 1];
        *--p = kDigitPairs[n * 2];
    } else {
        *--p = static_cast<char>('0' + n);
    }
    return p;
}

/// Writes `rounded` / 10^decimals in fixed notation, with a minus sign when `negative` and the
/// number is not zero, so that it ends just before `end`; returns where it starts.
char* writeScaled(std::uint64_t rounded, int decimals, bool negative, char* end) {
    char* p = end;
    std::uint64_t n = rounded;
    if (decimals > 0) {
        int left = decimals;
        for (; left >= 2; left -= 2) {
            const auto pair = static_cast<std::size_t>(n % 100) * 2;
            n /= 100;
            *--p = kDigitPairs[pair + 1];
            *--p = kDigitPairs[pair];
        }
        if (left == 1) {
            *--p = static_cast<char>('0' + n % 10);
            n /= 10;
        }
        *--p = '.';
    }
    p = writeDigits(n, p);
    if (negative && rounded != 0)
        *--p = '-';
    return p;
}

void appendFixed(std::string& out, double value, int decimals) {
    if (!std::isfinite(value)) {
        out += nonFiniteText(value);
        return;
    }
    if (std::uint64_t rounded = 0; fastRoundScaled(value, decimals, rounded)) {
        std::array<char, 40> buffer;
        char* end = buffer.data() + buffer.size();
        char* start = writeScaled(rounded, decimals, std::signbit(value), end);
        out.append(start, static_cast<std::size_t>(end - start));
        return;
    }
    DecimalDigits d = shortestDigits(std::fabs(value));
    roundDigits(d, d.exponent + 1 + decimals);
    if (std::signbit(value) && d.count > 0)
        out += '-';
    const int top = d.count > 0 ? std::max(d.exponent, 0) : 0;
    for (int power = top; power >= 0; --power)
        out += digitAt(d, power);
    if (decimals > 0) {
        out += '.';
        for (int power = -1; power >= -decimals; --power)
            out += digitAt(d, power);
    }
}

std::string fixedText(double value, int decimals) {
    std::string text;
    appendFixed(text, value, decimals);
    return text;
}

/// The powers of ten 1e-5 to 1e16 as the doubles nearest them: a finite positive x whose
/// shortest digits have the exponent e satisfies kDecades[e + 5] ≤ x < kDecades[e + 6].
constexpr double kDecades[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4,  1e5,
                               1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};

/// The general text of a finite, non-zero value written in fixed notation by integer
/// arithmetic; false where the slow path must decide (exponent notation, many decimals, a
/// value near a rounding halfway point).
bool fastGeneral(std::string& out, double value, int precision) {
    const double magnitude = std::fabs(value);
    if (!(magnitude >= kDecades[0]) || !(magnitude < kDecades[std::size(kDecades) - 1]))
        return false;
    int exponent = -5;
    while (magnitude >= kDecades[exponent + 6])
        ++exponent;
    if (exponent >= precision)
        return false;
    const int decimals = precision - 1 - exponent;
    std::uint64_t rounded = 0;
    if (!fastRoundScaled(value, decimals, rounded))
        return false;
    // Rounding up to the next power of ten gains a digit before the point, which switches to
    // exponent notation when there is no room left for it.
    if (rounded == kIntPowers[precision] && exponent + 1 >= precision)
        return false;
    std::array<char, 40> buffer;
    char* end = buffer.data() + buffer.size();
    char* start = writeScaled(rounded, decimals, std::signbit(value), end);
    if (decimals > 0) { // trailing zeros are dropped, and a bare point
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
    }
    out.append(start, static_cast<std::size_t>(end - start));
    return true;
}

void appendGeneral(std::string& out, double value, int precision) {
    if (!std::isfinite(value)) {
        out += nonFiniteText(value);
        return;
    }
    if (precision < 1)
        precision = 1;
    if (value == 0) {
        out += '0';
        return;
    }
    if (precision <= 9 && fastGeneral(out, value, precision))
        return;
    DecimalDigits d = shortestDigits(std::fabs(value));
    roundDigits(d, precision);
    while (d.count > 1 && d.digits[static_cast<std::size_t>(d.count - 1)] == '0')
        --d.count; // trailing zeros are dropped
    if (std::signbit(value))
        out += '-';
    if (d.exponent < precision && d.exponent >= -5) {
        for (int power = std::max(d.exponent, 0); power >= 0; --power)
            out += digitAt(d, power);
        const int lowest = d.exponent - d.count + 1;
        if (lowest < 0) {
            out += '.';
            for (int power = -1; power >= lowest; --power)
                out += digitAt(d, power);
        }
        return;
    }
    out += d.digits[0];
    if (d.count > 1) {
        out += '.';
        out.append(d.digits.data() + 1, static_cast<std::size_t>(d.count - 1));
    }
    out += 'E';
    out += std::to_string(d.exponent);
}

void appendInteger(std::string& out, std::int64_t value, int minDigits) {
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::array<char, 24> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude);
    const auto digits = static_cast<int>(end - buffer.data());
    if (value < 0)
        out += '-';
    if (digits < minDigits)
        out.append(static_cast<std::size_t>(minDigits - digits), '0');
    out.append(buffer.data(), end);
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
    appendFormatted(out, pattern, args);
    return out;
}

void appendFormatted(std::string& out, std::string_view pattern,
                     std::initializer_list<FormatArg> args) {
    // "%0.2f", "%0.4g" and the like with one real: the texts of every result.
    if (pattern.size() == 5 && pattern[0] == '%' && pattern[1] == '0' && pattern[2] == '.' &&
        isDigit(pattern[3]) && args.size() == 1 && args.begin()->kind() == FormatArg::Kind::Real) {
        const char type = static_cast<char>(pattern[4] | 0x20);
        if (type == 'f') {
            appendFixed(out, args.begin()->real(), pattern[3] - '0');
            return;
        }
        if (type == 'g') {
            appendGeneral(out, args.begin()->real(), pattern[3] - '0');
            return;
        }
    }
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
        // The field is written in place and padded afterwards.
        const std::size_t fieldStart = out.size();
        switch (type) {
        case 'f':
            if (arg.kind() != FormatArg::Kind::Real)
                badFormat(pattern);
            appendFixed(out, arg.real(), precision < 0 ? 2 : precision);
            break;
        case 'g':
            if (arg.kind() != FormatArg::Kind::Real)
                badFormat(pattern);
            appendGeneral(out, arg.real(), precision < 0 ? 15 : precision);
            break;
        case 'd':
            if (arg.kind() != FormatArg::Kind::Integer)
                badFormat(pattern);
            appendInteger(out, arg.integer(), precision);
            break;
        case 's':
            if (arg.kind() != FormatArg::Kind::Text)
                badFormat(pattern);
            out += precision < 0 ? arg.text()
                                 : arg.text().substr(0, static_cast<std::size_t>(precision));
            break;
        default:
            badFormat(pattern);
        }
        const std::size_t fieldSize = out.size() - fieldStart;
        if (fieldSize < static_cast<std::size_t>(width)) {
            const std::size_t padding = static_cast<std::size_t>(width) - fieldSize;
            if (leftJustify)
                out.append(padding, ' ');
            else
                out.insert(fieldStart, padding, ' ');
        }
    }
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
    // The digits are gathered as a whole number on the way; past 19 of them it may wrap, but
    // then only from_chars reads the text.
    std::size_t digits = 0;
    std::uint64_t whole = 0;
    while (pos < n && isDigit(trimmed[pos])) {
        whole = whole * 10 + static_cast<std::uint64_t>(trimmed[pos] - '0');
        ++pos, ++digits;
    }
    std::size_t decimals = 0;
    if (pos < n && trimmed[pos] == '.') {
        ++pos;
        while (pos < n && isDigit(trimmed[pos])) {
            whole = whole * 10 + static_cast<std::uint64_t>(trimmed[pos] - '0');
            ++pos, ++digits, ++decimals;
        }
    }
    if (digits == 0)
        return fail();
    // Up to 15 digits without an exponent: the digits as a whole number and the power of ten
    // of the decimals are both exact doubles, so their quotient is the correctly rounded value,
    // the one from_chars gives.
    if (pos == n && digits <= 15) {
        const double magnitude = static_cast<double>(whole) / kExactPowers[decimals];
        return trimmed.front() == '-' ? -magnitude : magnitude;
    }
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

std::string exactFixedText(double value, int minDecimals) {
    for (int decimals = std::max(0, minDecimals); decimals <= kMaxPrecision; ++decimals) {
        std::string text = fixedText(value, decimals);
        if (std::isfinite(value) && readReal(text) == value)
            return text;
    }
    return shortestRealText(value);
}

std::string shortestRealText(double value) {
    std::array<char, 32> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), ec == std::errc() ? end : buffer.data());
}

} // namespace corvel
