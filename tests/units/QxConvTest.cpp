#include "units/QxConv.h"

#include "TestSupport.h"
#include "platform/Errors.h"
#include "units/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace corvel {
namespace {

using test::NearRel;

UnitCategory category(int number) {
    return static_cast<UnitCategory>(number);
}

struct Conversion {
    std::string label;
    double factor = 1;
    double offset = 0;
    std::string format;
};

Conversion conversion(int categoryNumber, int unit, int refUnit = 0) {
    Conversion c;
    UnitConversion(category(categoryNumber), unit, refUnit, c.label, c.factor, c.offset, c.format);
    return c;
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// ---- Catalogue ---------------------------------------------------------------------------------

TEST(UnitCatalogue, CategoryNamesAreNumberedAsListed) {
    const auto& names = UnitCategoryNames();
    ASSERT_EQ(names.size(), 54u);
    EXPECT_EQ(names[0], "None");
    EXPECT_EQ(names[1], "Air Flow - Primary");
    EXPECT_EQ(names[30], "MassFlow - Refrig./Steam");
    EXPECT_EQ(names[43], "Temperature");
    EXPECT_EQ(names[50], "Volume");
    EXPECT_EQ(names[51], "Fluid Volume");
    EXPECT_EQ(names[53], "Water Pressure Drop");
    EXPECT_EQ(UnitCategoryName(UnitCategory::Temperature), "Temperature");
    EXPECT_EQ(UnitCategoryName(category(54)), "");
    // 1 to 50 follow the alphabet (ignoring case); 51 to 53 were appended later.
    for (int i = 2; i <= 50; ++i)
        EXPECT_LT(lowerCase(names[i - 1]), lowerCase(names[i])) << "category " << i;
}

TEST(UnitCatalogue, EveryTableHoldsTwoToEightUnitsWithTheBaseUnitFirst) {
    EXPECT_EQ(UnitCount(UnitCategory::None), 0);
    for (int cat = 1; cat <= 53; ++cat) {
        const int count = UnitCount(category(cat));
        EXPECT_GE(count, 2) << "category " << cat;
        EXPECT_LE(count, 8) << "category " << cat;
        EXPECT_EQ(conversion(cat, 0).factor, 1.0) << "category " << cat;
        for (int unit = 0; unit < count; ++unit) {
            const Conversion c = conversion(cat, unit);
            EXPECT_GT(c.factor, 0.0) << "category " << cat << " unit " << unit;
            EXPECT_FALSE(c.label.empty()) << "category " << cat << " unit " << unit;
            const std::string key = UnitKey(category(cat), unit);
            EXPECT_FALSE(key.empty());
            EXPECT_TRUE(
                std::all_of(key.begin(), key.end(), [](char ch) { return ch > 0 && ch < 127; }))
                << "key " << key << " is not plain ASCII";
            // Every unit format is "%0.Nf" or "%0.Ng".
            ASSERT_EQ(c.format.size(), 5u) << c.format;
            EXPECT_EQ(c.format.substr(0, 3), "%0.");
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c.format[3])));
            EXPECT_TRUE(c.format[4] == 'f' || c.format[4] == 'g') << c.format;
        }
    }
}

TEST(UnitCatalogue, OnlyThreeUnitsBesideTheBaseUnitsHaveFactorOne) {
    std::set<std::pair<int, int>> unitFactors;
    for (int cat = 1; cat <= 53; ++cat)
        for (int unit = 1; unit < UnitCount(category(cat)); ++unit)
            if (conversion(cat, unit).factor == 1.0)
                unitFactors.insert({cat, unit});
    // "N·s/m²", "ratio", and "K" in the table shared by Temperature and Temperature Change.
    const std::set<std::pair<int, int>> expected = {{49, 1}, {40, 2}, {43, 2}, {44, 2}};
    EXPECT_EQ(unitFactors, expected);
}

TEST(UnitCatalogue, FortyThreeDistinctTablesServeTheCategories) {
    std::set<std::vector<std::tuple<std::string, std::string, double, std::string>>> tables;
    for (int cat = 1; cat <= 53; ++cat) {
        std::vector<std::tuple<std::string, std::string, double, std::string>> table;
        for (int unit = 0; unit < UnitCount(category(cat)); ++unit) {
            const Conversion c = conversion(cat, unit);
            table.emplace_back(c.label, UnitKey(category(cat), unit), c.factor, c.format);
        }
        tables.insert(table);
    }
    EXPECT_EQ(tables.size(), 43u);
}

TEST(UnitCatalogue, OffsetsApplyToTemperatureOnly) {
    for (int cat = 1; cat <= 53; ++cat) {
        for (int unit = 0; unit < UnitCount(category(cat)); ++unit) {
            double factor = 5;
            double offset = 99; // must be overwritten
            std::string label;
            std::string format;
            UnitConversion(category(cat), unit, 0, label, factor, offset, format);
            if (cat == 43 && unit == 1)
                EXPECT_EQ(offset, 32.0);
            else if (cat == 43 && unit == 2)
                EXPECT_EQ(offset, 273.15);
            else
                EXPECT_EQ(offset, 0.0) << "category " << cat << " unit " << unit;
        }
    }
}

struct ListedFactor {
    int category;
    int unit;
    const char* label;
    const char* shortest; // the factor as its shortest decimal text
    double divisor;       // the factor is 1 / divisor; 0 when it is not given as a quotient
};

TEST(UnitCatalogue, FactorsAreTheListedDoubles) {
    const ListedFactor factors[] = {
        {1, 4, "cfm", "2118.8800032893155", 0},
        {3, 2, "cfm", "2.1188800032893154", 0},
        {5, 2, "Psi", "0.1450376807894691", 6.89476},
        {5, 5, "InchWg", "4.014630759755623", 0.24908891},
        {5, 7, "mHead", "0.10197162129779283", 9.80665},
        {7, 2, "Rev/s", "0.016666666666666666", 60},
        {8, 3, "inch²", "1550.0031000062", 0},
        {8, 4, "ft²", "10.763910416709722", 0.09290304},
        {9, 3, "lb/hr", "0.002204622621848776", 453.59237},
        {10, 2, "MBH/°F", "1.8956339758268757", 0.527528},
        {10, 3, "Btu/h°F", "1895.6339758268755", 0},
        {12, 2, "lb/ft³", "0.06242796057614461", 0},
        {13, 2, "inch", "39.37007874015748", 0.0254},
        {13, 3, "1/8\"", "314.96062992125985", 0.003175},
        {16, 2, "Btu/hr·ft²", "0.31699828634688587", 0},
        {17, 2, "kW-hr", "0.0002777777777777778", 3600},
        {17, 3, "W-hr", "0.2777777777777778", 3.6},
        {17, 4, "Btu", "0.9478169879134378", 1.055056},
        {19, 1, "fin/mm", "0.03937007874015748", 25.4},
        {19, 2, "fins/m", "39.37007874015748", 0.0254},
        {21, 1, "Btu/hr·ft²°F", "0.17611835153222966", 5.678},
        {24, 3, "inch", "39.37007874015748", 0.0254},
        {27, 2, "Thou\"", "39.37007874015748", 0.0254},
        {28, 2, "lb", "2.2046226218487757", 0.45359237},
        {29, 3, "lb/s", "2.2046226218487757", 0.45359237},
        {29, 5, "lb/hr", "7936.6414386555925", 0},
        {31, 5, "lb/ft²hr", "737.3381170410781", 0},
        {33, 1, "ft²/P", "10.763910416709722", 0.09290304},
        {34, 2, "HP", "1.341021858656296", 0.7457},
        {36, 1, "Psi", "0.1450376807894691", 6.89476},
        {36, 5, "mHead", "0.10197162129779283", 9.80665},
        {38, 3, "Psi/ft", "4.4207485104630184e-05", 0},
        {46, 1, "ft²·hr·°F/Btu", "5.678264134306047", 0},
        {47, 1, "min", "0.016666666666666666", 60},
        {47, 2, "hr", "0.0002777777777777778", 3600},
        {49, 6, "lbf·hr/ft²", "5.8014e-06", 0},
        {52, 5, "usgpm", "15.850323141488905", 0},
    };
    for (const ListedFactor& f : factors) {
        const Conversion c = conversion(f.category, f.unit);
        EXPECT_EQ(c.label, f.label) << "category " << f.category << " unit " << f.unit;
        EXPECT_EQ(c.factor, readReal(f.shortest)) << f.label;
        if (f.divisor != 0) {
            EXPECT_EQ(c.factor, 1.0 / f.divisor) << f.label;
        }
    }
}

TEST(UnitCatalogue, DerivedFactorsKeepTheirRelations) {
    // "MBh/ft²" is a thousandth of "Btu/hr·ft²".
    EXPECT_EQ(conversion(16, 3).factor, conversion(16, 2).factor / 1000);
    // Eighths of an inch: eight per inch.
    EXPECT_EQ(conversion(13, 3).factor, 8 * conversion(13, 2).factor);
}

struct ListedUnit {
    int category;
    int unit;
    const char* label;
    const char* format;
};

TEST(UnitCatalogue, LabelsAndFormatsOfSelectedUnits) {
    const ListedUnit units[] = {
        {53, 0, "kPa", "%0.3f"},  // Water Pressure Drop uses the pressure table,
        {39, 0, "Pa/m", "%0.2f"}, // not the pressure-per-length one
        {27, 0, "mm", "%0.4f"},
        {13, 3, "1/8\"", "%0.0f"},
        {49, 2, "\xC2\xB5Pa\xC2\xB7s", "%0.6g"}, // µPa·s in UTF-8
        {42, 1, "ft\xC2\xB3/lb", "%0.3f"},
        {12, 1, "mg/L", "%0.1g"},
    };
    for (const ListedUnit& u : units) {
        EXPECT_EQ(UnitLabel(category(u.category), u.unit), u.label)
            << "category " << u.category << " unit " << u.unit;
        EXPECT_EQ(UnitFormat(category(u.category), u.unit), u.format)
            << "category " << u.category << " unit " << u.unit;
    }
    EXPECT_EQ(UnitKey(UnitCategory::DutyPrimary, 3), "Mega Btuperhr");
    EXPECT_EQ(UnitKey(UnitCategory::PressureRateGas, 2), "iwg/100'");
}

TEST(UnitCatalogue, NoneHasNoUnits) {
    EXPECT_EQ(UnitLabel(UnitCategory::None, 3), "");
    EXPECT_EQ(UnitFormat(UnitCategory::None, 3), "%0.1f");
    EXPECT_EQ(UnitKey(UnitCategory::None, 0), "");
    Conversion c;
    c.factor = 2.5;
    c.offset = -7;
    UnitConversion(UnitCategory::None, 4, 0, c.label, c.factor, c.offset, c.format);
    EXPECT_EQ(c.label, "");
    EXPECT_EQ(c.format, "%0.1f");
    EXPECT_EQ(c.factor, 2.5);
    EXPECT_EQ(c.offset, -7.0);
}

TEST(UnitCatalogue, LookupsNeverReadOutsideATable) {
    EXPECT_EQ(UnitLabel(UnitCategory::Temperature, 7), "K");
    EXPECT_EQ(UnitLabel(UnitCategory::Temperature, -3), "\xC2\xB0"
                                                        "C");
    EXPECT_EQ(UnitFormat(UnitCategory::Altitude, 1000), "%0.1f");
    // A number beyond the catalogue counts as unbound.
    EXPECT_EQ(UnitLabel(category(200), 0), "");
    EXPECT_EQ(UnitCount(category(54)), 0);
}

TEST(UnitCatalogue, ClampUnitIndexKeepsIndexesInsideTheTable) {
    const struct {
        int category;
        int index;
        int expected;
    } cases[] = {
        {43, 7, 2}, {43, -1, 0}, {43, 1, 1}, {0, 7, 7},  {0, -5, -5},
        {53, 7, 7}, {53, 8, 7},  {6, 2, 1},  {49, 6, 6}, {200, 9, 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampUnitIndex(category(c.category), c.index), c.expected)
            << "category " << c.category << " index " << c.index;
}

// ---- Conversion --------------------------------------------------------------------------------

TEST(UnitConversion, TemperatureAppliesOffsetsAndTemperatureChangeDoesNot) {
    // Results are stored as doubles; the extended intermediate carries 1.8's representation error.
    EXPECT_EQ(static_cast<double>(ConvertToUnit(100, 1.8, 32)), 212.0);
    EXPECT_EQ(static_cast<double>(ConvertFromUnit(212, 1.8, 32)), 100.0);

    const Conversion kelvin = conversion(43, 2);
    EXPECT_EQ(kelvin.factor, 1.0);
    EXPECT_EQ(kelvin.offset, 273.15);
    EXPECT_TRUE(
        NearRel(static_cast<double>(ConvertToUnit(100, kelvin.factor, kelvin.offset)), 373.15));

    const Conversion fahrenheitChange = conversion(44, 1);
    EXPECT_EQ(
        static_cast<double>(ConvertToUnit(100, fahrenheitChange.factor, fahrenheitChange.offset)),
        180.0);
    const Conversion kelvinChange = conversion(44, 2);
    EXPECT_EQ(kelvinChange.offset, 0.0);
    EXPECT_EQ(ConvertToUnit(100, kelvinChange.factor, kelvinChange.offset), 100);

    const Conversion millimetres = conversion(13, 1);
    EXPECT_EQ(millimetres.factor, 1000.0);
    EXPECT_EQ(millimetres.offset, 0.0);
    EXPECT_EQ(millimetres.label, "mm");
}

TEST(UnitConversion, ReferenceUnitDividesTheFactors) {
    // Millimetres for values kept in inches: 25.4 mm per inch.
    EXPECT_TRUE(NearRel(conversion(13, 1, 2).factor, 25.4, 1e-15));
    // Minutes for values kept in hours.
    EXPECT_TRUE(NearRel(conversion(47, 1, 2).factor, 60, 1e-15));
}

TEST(UnitConversion, EveryUnitRoundTrips) {
    const double values[] = {-40, 0, 1e-6, 0.5, 123.456, 1e9};
    for (int cat = 1; cat <= 53; ++cat) {
        for (int unit = 0; unit < UnitCount(category(cat)); ++unit) {
            const Conversion c = conversion(cat, unit);
            for (double v : values) {
                const long double shown = ConvertToUnit(v, c.factor, c.offset);
                // Relative to the value, or to 1 where a temperature offset dwarfs a tiny value.
                EXPECT_NEAR(static_cast<double>(ConvertFromUnit(shown, c.factor, c.offset)), v,
                            1e-12 * std::max(1.0, std::fabs(v)))
                    << "category " << cat << " unit " << unit << " value " << v;
            }
        }
    }
}

// ---- Format classes and number text ------------------------------------------------------------

TEST(FormatClass, ClassesFollowTheLettersOfThePattern) {
    const struct {
        const char* pattern;
        bool text, integer, general, real, pair;
    } cases[] = {
        {"%0.2f", false, false, false, true, false},
        {"%0.4g", false, false, true, true, false},
        {"%G", false, false, true, true, false},
        {"%F", false, false, false, true, false},
        {"%d", false, true, false, false, false},
        {"%D", false, true, false, false, false},
        {"%S", true, false, false, false, false},
        {"%s", true, false, false, false, false},
        {"%S/%d", true, true, false, false, true},
        {"%0.1f/%0.1f", false, false, false, true, true},
        {"", false, false, false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsTextFormat(c.pattern), c.text) << c.pattern;
        EXPECT_EQ(IsIntegerFormat(c.pattern), c.integer) << c.pattern;
        EXPECT_EQ(IsGeneralFormat(c.pattern), c.general) << c.pattern;
        EXPECT_EQ(IsRealFormat(c.pattern), c.real) << c.pattern;
        EXPECT_EQ(IsPairFormat(c.pattern), c.pair) << c.pattern;
    }
}

TEST(NumberText, FormatDecimalsReadsOneDigitAfterThePoint) {
    const struct {
        const char* pattern;
        int expected;
    } cases[] = {
        {"%0.4f", 4}, {"%S", 0}, {"%0.12f", 1}, {"%d", 0},          {"%0.f", 0},
        {"", 0},      {"7", 7},  {".", 0},      {"%0.1f/%0.1f", 1}, {"%0.0f", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDecimals(c.pattern), c.expected) << c.pattern;
}

TEST(NumberText, SignificantDecimalsShowAboutTheAskedDigits) {
    const struct {
        int sigDigits;
        int maxDecimals;
        double value;
        int expected;
    } cases[] = {
        {5, 12, 5.123456, 3},
        {5, 12, 0.05, 4},
        {5, 12, 0.00123, 5},
        {5, 12, 0, 3},
        {1, 12, 0, 3},
        {9, 12, 0, 3},
        {5, 12, 12.345, 3},
        {5, 12, -0.00123, 3},
        {5, 12, 123456.7, 0},
        {5, 12, 1e-13, 3},
        {5, 2, 0.05, 2},
        {5, 12, -123.4, 1},
        {5, 12, 1e300, 0},
        {5, -4, 0.05, 0},
        {5, 12, 9.9999999999999, 3}, // rounds to "10.000000000000"
    };
    for (const auto& c : cases)
        EXPECT_EQ(SignificantDecimals(c.sigDigits, c.maxDecimals, c.value), c.expected)
            << c.sigDigits << ", " << c.maxDecimals << ", " << c.value;
    EXPECT_EQ(SignificantFormat(5, 12, 5.123456), "%0.3f");
    EXPECT_EQ(formatText(SignificantFormat(5, 12, 0.05), {0.05}), "0.0500");
}

TEST(NumberText, CleanNumberTextNormalisesTypedNumbers) {
    const struct {
        const char* typed;
        const char* clean;
    } cases[] = {
        {" 1 2.5 ", "12.5"},
        {"1e3", "1E3"},
        {"5-", "5"},
        {"-5-3", "-53"},
        {"2E-3-", "2E-3"},
        {"E5", "1E5"},
        {"1.2.3", "1.23"},
        {"", "0"},
        {"   ", "0"},
        {"-", "0"},
        {"--", "0"},
        {"1E999", "1E99"},
        {"1E-999", "1E-9"},
        {"1E99999999999", "1E99"}, // more digits than an integer holds still counts as large
        {"1/2 / 3", "1/23"},
        {"/", "0/0"},
        {"-/-", "0/0"},
        {"E-5", "1E5"}, // a minus sign right after a leading "E" is not in the exponent
        {"1E--5", "1E-5"},
        {"1e2E3", "1E23"},
        {"1E2.5", "1E25"},
        {"E", "1E"},
        {".", "."},
        {"1E300", "1E300"},
        {"1E-300", "1E-300"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanNumberText(c.typed), c.clean) << "'" << c.typed << "'";
}

TEST(NumberText, CleanNumberTextRejectsAnExponentThatIsNoInteger) {
    EXPECT_THROW(CleanNumberText("1E-"), EConvertError);
    EXPECT_THROW(CleanNumberText("1Ex"), EConvertError);
    EXPECT_THROW(CleanNumberText("2/1E."), EConvertError);
}

TEST(NumberText, SplitPairReadsOneOrTwoNumbers) {
    double a = 0;
    double b = -1;
    EXPECT_TRUE(SplitPair("1.5/2", a, b));
    EXPECT_EQ(a, 1.5);
    EXPECT_EQ(b, 2.0);

    b = -1;
    EXPECT_FALSE(SplitPair("3", a, b));
    EXPECT_EQ(a, 3.0);
    EXPECT_EQ(b, -1.0); // not written

    EXPECT_THROW(SplitPair("x/2", a, b), EConvertError);
    EXPECT_THROW(SplitPair("1/", a, b), EConvertError);
    EXPECT_THROW(SplitPair("", a, b), EConvertError);
    EXPECT_THROW(SplitPair("1/2/3", a, b), EConvertError);
}

} // namespace
} // namespace corvel
