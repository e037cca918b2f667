// The formatter's integer fast paths against the digit-by-digit rounding of the shortest
// decimal text, which defines the texts: every value of a large varied set must come out
// byte for byte the same.
#include "units/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace corvel {
namespace {

/// The shortest digits of a finite magnitude, rounded half away from zero: the reference.
struct Digits {
    std::string digits; ///< empty for zero
    int exponent = 0;   ///< value = d1.d2… × 10^exponent
};

Digits shortest(double magnitude) {
    Digits d;
    if (magnitude == 0)
        return d;
    std::array<char, 32> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                         std::chars_format::scientific);
    const char* p = buffer.data();
    for (; p != end && *p != 'e'; ++p)
        if (*p != '.')
            d.digits += *p;
    d.exponent = std::stoi(std::string(p + 1, static_cast<std::size_t>(end - p - 1)));
    return d;
}

void roundTo(Digits& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (!up)
        return;
    while (!d.digits.empty() && d.digits.back() == '9')
        d.digits.pop_back();
    if (d.digits.empty()) {
        d.digits = "1";
        ++d.exponent;
        return;
    }
    ++d.digits.back();
}

char digitAt(const Digits& d, int power) {
    const int index = d.exponent - power;
    return index >= 0 && index < static_cast<int>(d.digits.size())
               ? d.digits[static_cast<std::size_t>(index)]
               : '0';
}

std::string referenceFixed(double value, int decimals) {
    Digits d = shortest(std::fabs(value));
    roundTo(d, d.exponent + 1 + decimals);
    std::string text = std::signbit(value) && !d.digits.empty() ? "-" : "";
    for (int power = d.digits.empty() ? 0 : std::max(d.exponent, 0); power >= 0; --power)
        text += digitAt(d, power);
    if (decimals > 0) {
        text += '.';
        for (int power = -1; power >= -decimals; --power)
            text += digitAt(d, power);
    }
    return text;
}

std::string referenceGeneral(double value, int precision) {
    Digits d = shortest(std::fabs(value));
    if (d.digits.empty())
        return "0";
    roundTo(d, precision);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    std::string text = std::signbit(value) ? "-" : "";
    const auto count = static_cast<int>(d.digits.size());
    if (d.exponent < precision && d.exponent >= -5) {
        for (int power = std::max(d.exponent, 0); power >= 0; --power)
            text += digitAt(d, power);
        if (d.exponent - count + 1 < 0) {
            text += '.';
            for (int power = -1; power >= d.exponent - count + 1; --power)
                text += digitAt(d, power);
        }
        return text;
    }
    text += d.digits[0];
    if (count > 1)
        text += '.' + d.digits.substr(1);
    return text + 'E' + std::to_string(d.exponent);
}

/// Values of every kind the program formats: typed decimals and their halfway points, values
/// one bit either side of them, results spread over many decades, powers of ten and their
/// neighbours, and raw bit patterns.
std::vector<double> variedValues() {
    std::mt19937_64 rng(20261208);
    std::vector<double> values;
    const auto withNeighbours = [&values](double x) {
        values.push_back(x);
        values.push_back(std::nextafter(x, 0.0));
        values.push_back(std::nextafter(x, 1e300));
        values.push_back(-x);
    };
    std::uniform_int_distribution<int> decimals(0, 9);
    std::uniform_int_distribution<std::int64_t> mantissa(0, 99999999);
    for (int i = 0; i < 100000; ++i) {
        // A typed decimal with a few digits, and the halfway point one digit further.
        const double scale = std::pow(10.0, decimals(rng));
        const auto m = static_cast<double>(mantissa(rng));
        withNeighbours(m / scale);
        withNeighbours((m * 10 + 5) / (scale * 10));
    }
    std::uniform_real_distribution<double> decade(-8, 17);
    for (int i = 0; i < 150000; ++i)
        withNeighbours(std::pow(10.0, decade(rng)));
    for (int e = -9; e <= 17; ++e)
        for (double m : {1.0, 9.5, 9.95, 9.995, 9.9995, 9.99995, 9.999995, 9.9999995})
            withNeighbours(m * std::pow(10.0, e));
    for (int i = 0; i < 100000; ++i) {
        const double x = std::bit_cast<double>(rng());
        if (std::isfinite(x))
            values.push_back(x);
    }
    values.push_back(0.0);
    values.push_back(-0.0);
    return values;
}

TEST(FormatTextReference, FixedTextsMatchTheShortestDigitsRoundedForEveryValue) {
    const std::vector<double> values = variedValues();
    for (const char* pattern : {"%0.0f", "%0.1f", "%0.2f", "%0.3f", "%0.4f", "%0.6f", "%0.9f"}) {
        const int decimals = pattern[3] - '0';
        std::size_t mismatches = 0;
        for (double x : values) {
            const std::string got = formatText(pattern, {x});
            const std::string expected = referenceFixed(x, decimals);
            if (got != expected && ++mismatches <= 5)
                ADD_FAILURE() << pattern << " of " << std::bit_cast<std::uint64_t>(x) << ": '"
                              << got << "' instead of '" << expected << "'";
        }
        EXPECT_EQ(mismatches, 0U) << pattern;
    }
}

TEST(FormatTextReference, GeneralTextsMatchTheShortestDigitsRoundedForEveryValue) {
    const std::vector<double> values = variedValues();
    for (int precision : {1, 2, 4, 6, 9, 15}) {
        const std::string pattern = "%0." + std::to_string(precision) + "g";
        std::size_t mismatches = 0;
        for (double x : values) {
            const std::string got = formatText(pattern, {x});
            const std::string expected = referenceGeneral(x, precision);
            if (got != expected && ++mismatches <= 5)
                ADD_FAILURE() << pattern << " of " << std::bit_cast<std::uint64_t>(x) << ": '"
                              << got << "' instead of '" << expected << "'";
        }
        EXPECT_EQ(mismatches, 0U) << pattern;
    }
}

/// from_chars on the text without its sign, negated for a minus: what readReal has always
/// returned for a text it accepts.
double referenceRead(const std::string& text) {
    const std::size_t start = text[0] == '+' || text[0] == '-' ? 1 : 0;
    double value = 0;
    std::from_chars(text.data() + start, text.data() + text.size(), value);
    return text[0] == '-' ? -value : value;
}

TEST(ReadRealReference, ShortDecimalsReadAsFromCharsReadsThem) {
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<int> length(1, 19);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> choice(0, 3);
    std::size_t mismatches = 0;
    for (int i = 0; i < 1000000; ++i) {
        std::string text;
        if (const int sign = choice(rng); sign == 1)
            text += '-';
        else if (sign == 2)
            text += '+';
        const int digits = length(rng);
        const int point = std::uniform_int_distribution<int>(-1, digits)(rng);
        for (int k = 0; k < digits; ++k) {
            if (k == point)
                text += '.';
            text += static_cast<char>('0' + digit(rng));
        }
        if (point == digits)
            text += '.';
        const double got = readReal(text);
        const double expected = referenceRead(text);
        if (std::bit_cast<std::uint64_t>(got) != std::bit_cast<std::uint64_t>(expected) &&
            ++mismatches <= 5)
            ADD_FAILURE() << "'" << text << "' read as " << got << " instead of " << expected;
    }
    EXPECT_EQ(mismatches, 0U);
    // Texts the formatter writes, and blanks around them.
    for (double x : variedValues()) {
        const std::string text = formatText("%0.3f", {x});
        if (std::bit_cast<std::uint64_t>(readReal(" " + text + "\t")) !=
            std::bit_cast<std::uint64_t>(referenceRead(text)))
            ADD_FAILURE() << "'" << text << "' read back differently";
    }
}

TEST(FormatTextReference, PaddingAndTextsAroundFieldsAreKept) {
    EXPECT_EQ(formatText("[%8.2f|%-8.3g|%5d|%-4s]", {-2.675, 0.00012345, -7, "ab"}),
              "[   -2.68|0.000123|   -7|ab  ]");
    EXPECT_EQ(formatText("%0.4g kPa/m at %0.1f %%", {9999.6, 0.05}), "1E4 kPa/m at 0.1 %");
    EXPECT_EQ(formatText("%.3d", {-7}), "-007");
}

} // namespace
} // namespace corvel
