#pragma once

// Locale-independent number text: a printf-like formatter and strict number readers.
// The decimal separator is always "."; no locale setting can change it.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace corvel {

/// One argument of formatText: a real, an integer or a text.
class FormatArg {
public:
    enum class Kind { Real, Integer, Text };

    FormatArg(double value) : kind_(Kind::Real), real_(value) {}
    FormatArg(int value) : kind_(Kind::Integer), integer_(value) {}
    FormatArg(long value) : kind_(Kind::Integer), integer_(value) {}
    FormatArg(long long value) : kind_(Kind::Integer), integer_(value) {}
    FormatArg(const char* text) : kind_(Kind::Text), text_(text) {}
    FormatArg(std::string_view text) : kind_(Kind::Text), text_(text) {}
    FormatArg(const std::string& text) : kind_(Kind::Text), text_(text) {}

    Kind kind() const { return kind_; }
    double real() const { return real_; }
    std::int64_t integer() const { return integer_; }
    std::string_view text() const { return text_; }

private:
    Kind kind_;
    double real_ = 0;
    std::int64_t integer_ = 0;
    std::string_view text_;
};

/// Formats like printf with the specifiers %[-][width][.precision]type, type one of
///   f  fixed point, `precision` decimals (2 when absent);
///   g  general: at most `precision` significant digits (15 when absent), trailing zeros and a
///      bare point dropped; fixed notation when the rounded value has at most `precision` digits
///      before the point and a magnitude of at least 0.00001, otherwise exponent notation such
///      as "1.5E-6" or "1E4";
///   d  whole number, `precision` as the minimum count of digits;
///   s  text, `precision` as the maximum count of characters;
/// letters in either case, and "%%" for a percent sign. Reals are rounded from the shortest
/// decimal text that reads back as the same double, halves away from zero, so a value shows as
/// it was typed ("%0.2f" of 2.675 is "2.68"). A value that rounds to zero is shown without a
/// minus sign. A specifier that does not fit its argument, a missing argument or a
/// malformed specifier throws EConvertError.
std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args);
/// Appends what formatText makes to `out`.
void appendFormatted(std::string& out, std::string_view pattern,
                     std::initializer_list<FormatArg> args);

/// Reads a plain decimal real: optional sign, digits with at most one ".", optional exponent
/// ("E" or "e", optional sign, digits), blanks around it allowed. Throws EConvertError
/// ("'text' is not a valid floating point value") for anything else, including "nan", "inf",
/// hexadecimal text, thousands separators and values beyond the range of a double.
double readReal(std::string_view text);

/// Reads a plain decimal 32-bit integer (optional sign, digits, blanks around it allowed).
/// Throws EConvertError ("'text' is not a valid integer value") for anything else.
std::int32_t readInteger(std::string_view text);

/// The shortest text that readReal reads back as exactly `value` (which must be finite).
std::string shortestRealText(double value);

/// `value` in fixed notation with at least `minDecimals` decimals and as many more as it takes
/// for readReal to read back exactly `value`; the shortest text (which may hold an exponent)
/// for a value too small for 60 decimals.
std::string exactFixedText(double value, int minDecimals);

} // namespace corvel
