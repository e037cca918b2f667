#include "units/NumberText.h"

#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

namespace corvel {
namespace {

struct FormatCase {
    const char* pattern;
    double value;
    const char* expected;
};

TEST(FormatText, GeneralFormatBoundaries) {
    const FormatCase cases[] = {
        {"%0.4g", 9999.4, "9999"},
        {"%0.4g", 9999.6, "1E4"}, // rounds to five digits before the point
        {"%0.4g", 9999.5, "1E4"},
        {"%0.4g", 0.0000099999, "0.00001"}, // rounds up into fixed notation
        {"%0.4g", 0.00001, "0.00001"},      // smallest magnitude still in fixed notation
        {"%0.4g", 0.0000099, "9.9E-6"},
        {"%0.4g", 0, "0"},
        {"%0.4g", -9999.4, "-9999"},
        {"%0.4g", -0.0000099, "-9.9E-6"},
        {"%0.4g", 0.0174433, "0.01744"},
        {"%0.4g", 0.81414, "0.8141"},
        {"%0.4g", 1.5, "1.5"}, // trailing zeros dropped
        {"%0.4g", 100, "100"}, // the point goes with them
        {"%0.4g", 123456, "1.235E5"},
        {"%0.04g", 2.5, "2.5"},
        {"%0.4g", 1e-300, "1E-300"},
        {"%g", 0.1, "0.1"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(formatText(c.pattern, {c.value}), c.expected) << c.pattern << " " << c.value;
}

TEST(FormatText, FixedFormats) {
    const FormatCase cases[] = {
        {"%0.2f", 3.0558, "3.06"},
        {"%0.0f", 229238.8, "229239"},
        {"%0.3f", 24, "24.000"},
        {"%0.1f", -20, "-20.0"},
        {"%0.2f", -0.001, "0.00"},
        {"%0.5f", 0.03, "0.03000"},
        {"%0.12f", 5.123456, "5.123456000000"},
        {"%f", 1, "1.00"},
        {"%8.1f", 2.25, "     2.3"},
        {"%-6.1f|", 2.5, "2.5   |"},
        {"%0.2f", 2.675, "2.68"}, // rounded as typed, not from the binary 2.67499…
        {"%0.1f", 0.05, "0.1"},
        {"%0.1f", -0.05, "-0.1"},
        {"%0.2f", 9.995, "10.00"},
        {"%0.0f", 0.5, "1"},
        {"%0.0f", 0.4, "0"},
        {"%0.3f", 1e-7, "0.000"},
        {"%0.4f", 123456789.123456, "123456789.1235"},
        {"%0.2f", 1e21, "1000000000000000000000.00"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(formatText(c.pattern, {c.value}), c.expected) << c.pattern << " " << c.value;
    EXPECT_EQ(formatText("%0.1f", {1e300}).size(), 303u);
    EXPECT_EQ(formatText("%0.2f", {std::numeric_limits<double>::infinity()}), "INF");
}

TEST(FormatText, IntegersTextsPairsAndLiterals) {
    EXPECT_EQ(formatText("%d", {42}), "42");
    EXPECT_EQ(formatText("%d", {-7}), "-7");
    EXPECT_EQ(formatText("%.3d", {7}), "007");
    EXPECT_EQ(formatText("%d", {std::numeric_limits<long long>::min()}), "-9223372036854775808");
    EXPECT_EQ(formatText("%s", {"abc"}), "abc");
    EXPECT_EQ(formatText("%S", {"abc"}), "abc");
    EXPECT_EQ(formatText("%s\t%s\t%s", {"a", "b", "c"}), "a\tb\tc");
    EXPECT_EQ(formatText("%0.1f/%0.1f", {1.25, 3.0}), "1.3/3.0");
    EXPECT_EQ(formatText("%s  %0.6fmm", {"Steel", 0.045}), "Steel  0.045000mm");
    EXPECT_EQ(formatText("100%%", {}), "100%");
    EXPECT_EQ(formatText("no specifiers", {}), "no specifiers");
}

TEST(FormatText, MismatchedArgumentsRaiseConversionErrors) {
    EXPECT_THROW(formatText("%d", {2.5}), EConvertError);
    EXPECT_THROW(formatText("%0.2f", {3}), EConvertError);
    EXPECT_THROW(formatText("%s", {1.0}), EConvertError);
    EXPECT_THROW(formatText("%0.1f/%0.1f", {1.0}), EConvertError);
    EXPECT_THROW(formatText("%q", {1.0}), EConvertError);
    EXPECT_THROW(formatText("%0.2", {1.0}), EConvertError);
    try {
        formatText("%d", {"x"});
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Format '%d' invalid or incompatible with argument");
    }
}

TEST(FormatText, IgnoresTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    EXPECT_EQ(formatText("%0.2f", {1.5}), "1.50");
    EXPECT_EQ(readReal("1.5"), 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ReadReal, AcceptsPlainDecimalNumbers) {
    const std::pair<const char*, double> cases[] = {
        {"30", 30},    {" 2.5 ", 2.5}, {"-20", -20},  {"+4", 4},
        {".5", 0.5},   {"5.", 5},      {"1E3", 1000}, {"1e-3", 1e-3},
        {"2E+2", 200}, {"0.0000", 0},  {"\t7\n", 7},  {"1.7E308", 1.7e308},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(readReal(text), expected) << text;
}

TEST(ReadReal, RejectsEverythingElse) {
    for (const char* text :
         {"",      "   ", "1,5", "nan",   "NaN",    "inf",    "-inf",  "infinity",
          "0x10",  "1e",  "1e+", "--1",   "+-1",    "-",      ".",     "E5",
          "1.2.3", "1 2", "abc", "1E999", "-1E999", "1E-999", "12abc", "١٢"}) {
        EXPECT_THROW(readReal(text), EConvertError) << '"' << text << '"';
    }
    try {
        readReal("abc");
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid floating point value");
    }
}

TEST(ReadInteger, AcceptsAndRejects) {
    EXPECT_EQ(readInteger("42"), 42);
    EXPECT_EQ(readInteger(" -300 "), -300);
    EXPECT_EQ(readInteger("+5"), 5);
    EXPECT_EQ(readInteger("2147483647"), 2147483647);
    EXPECT_EQ(readInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
    for (const char* text :
         {"", "2147483648", "1.0", "1e3", "0x1F", "$1F", "+-5", "--5", "-", "5-", "abc"})
        EXPECT_THROW(readInteger(text), EConvertError) << '"' << text << '"';
    try {
        readInteger("x");
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'x' is not a valid integer value");
    }
}

TEST(ExactFixedText, KeepsSixDecimalsAndAddsWhatTheValueNeeds) {
    EXPECT_EQ(exactFixedText(0.024, 6), "0.024000");
    EXPECT_EQ(exactFixedText(9, 6), "9.000000");
    EXPECT_EQ(exactFixedText(0.00003, 6), "0.000030");
    EXPECT_EQ(exactFixedText(0.0000003, 6), "0.0000003");
    EXPECT_EQ(exactFixedText(0.0000123, 6), "0.0000123");
    for (double value : {1.0 / 3, 2.0 / 3 * 1e-5, 123456.789, -20.0, 1e-30})
        EXPECT_EQ(readReal(exactFixedText(value, 6)), value) << value;
    EXPECT_EQ(readReal(exactFixedText(1e-300, 6)), 1e-300);
}

TEST(ShortestRealText, ReadsBackExactly) {
    for (double value : {0.1, 1.0 / 3, 229238.77590404081, 1e-300, -2.5e17, 0.0})
        EXPECT_EQ(readReal(shortestRealText(value)), value) << value;
    EXPECT_EQ(shortestRealText(0.1), "0.1");
}

} // namespace
} // namespace corvel
