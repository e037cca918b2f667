#include "units/UnitChoices.h"

#include "TestSupport.h"
#include "units/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>

namespace corvel {
namespace {

using test::NearRel;

constexpr Quantity quantity(int i) {
    return static_cast<Quantity>(i);
}

// The designed display of every quantity is exactly what the grid and the results list have
// always shown, value and label.
TEST(UnitChoices, DesignedUnitsShowTodaysTexts) {
    struct Row {
        Quantity quantity;
        double caseValue;
        const char* text;
        const char* label;
    };
    const Row rows[] = {
        {Quantity::Flow, 0.024, "24.000", "l/s"},
        {Quantity::Velocity, 3.0557749073643905, "3.06", "m/s"},
        {Quantity::Diameter, 0.1, "100.0", "mm"},
        {Quantity::Temperature, 9, "9.0", "°C"},
        {Quantity::Roughness, 0.00003, "0.03000", "mm"},
        {Quantity::Density, 999.7, "999.7", "kg/m³"},
        {Quantity::HeatCapacity, 4.1921, "4.192", "kJ/kg·K"},
        {Quantity::DynamicViscosity, 0.001346, "1346", "mg/m-s"},
        {Quantity::Conductivity, 0.000578, "578", "mW/m-K"},
        {Quantity::Enthalpy, 37.8, "37.80", "kJ/kg"},
        {Quantity::SaturationPressure, 1.148, "1.148", "kPa"},
        {Quantity::PressureDropRate, 0.8823, "0.8823", "kPa/m"},
    };
    const UnitChoices designed;
    for (const Row& row : rows) {
        EXPECT_EQ(designed.text(row.quantity, row.caseValue), row.text) << row.label;
        EXPECT_EQ(designed.label(row.quantity), row.label);
        EXPECT_TRUE(designed.isDesigned(row.quantity));
    }
    EXPECT_TRUE(designed.allDesigned());
}

// Reading a designed text back scales l/s and mm by 0.001, as the grid has always read them.
TEST(UnitChoices, DesignedReadBackMultipliesByTheReadScale) {
    const UnitChoices designed;
    EXPECT_EQ(designed.fromDisplay(Quantity::Flow, 24), 24 * 0.001);
    EXPECT_EQ(designed.fromDisplay(Quantity::Diameter, 99.9), 99.9 * 0.001);
    EXPECT_EQ(designed.fromDisplay(Quantity::Temperature, 9), 9);
}

// Every unit of every category a quantity is chosen from carries a case value there and back
// within a few ulps of the value, or of the unit's offset where that is the larger (a
// temperature near 0 °C shown in °F is 32 plus a little and cannot keep more of the little).
TEST(UnitChoices, EveryUnitRoundTripsTheCaseValue) {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> exponent(-6, 4);
    for (int q = 0; q < kQuantityCount; ++q) {
        const QuantityInfo& info = QuantityOf(quantity(q));
        for (int unit = 0; unit < UnitCount(info.category); ++unit) {
            UnitChoices choices;
            choices.setUnit(quantity(q), unit);
            const double offsetInCase =
                std::fabs(choices.toDisplay(quantity(q), 0)) /
                std::fabs(choices.toDisplay(quantity(q), 1) - choices.toDisplay(quantity(q), 0));
            for (int i = 0; i < 200; ++i) {
                const double value = std::pow(10.0, exponent(random));
                const double back =
                    choices.fromDisplay(quantity(q), choices.toDisplay(quantity(q), value));
                const double scale = std::max(value, offsetInCase);
                EXPECT_LE(std::fabs(back - value),
                          8 * std::numeric_limits<double>::epsilon() * scale)
                    << info.key << " in " << UnitKey(info.category, unit) << " of " << value;
            }
        }
    }
}

// Figures an engineer knows by heart, through the catalogue's factors.
TEST(UnitChoices, UsCustomaryShowsKnownEquivalents) {
    const UnitChoices us = UnitChoices::UsCustomary();
    struct Row {
        Quantity quantity;
        double caseValue;
        double display;
        const char* label;
    };
    const Row rows[] = {
        {Quantity::Flow, 0.00630901964, 100, "usgpm"},
        {Quantity::Velocity, 0.3048, 1, "ft/s"},
        {Quantity::Diameter, 0.1016, 4, "inch"},
        {Quantity::Temperature, 15.555555555555555, 60, "°F"},
        {Quantity::Roughness, 0.0000254, 1, "Thou\""},
        {Quantity::Density, 16.018463373960138, 1, "lb/ft³"},
        {Quantity::DynamicViscosity, 0.001, 1, "cP"},
        {Quantity::Enthalpy, 2.326, 1, "Btu/lb"},
        {Quantity::SaturationPressure, 6.89476, 1, "Psi"},
        {Quantity::PressureDropRate, 6.894757293168361 / 30.48, 1, "psi/100 ft"},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(NearRel(us.toDisplay(row.quantity, row.caseValue), row.display, 1e-6))
            << row.label;
        EXPECT_EQ(us.label(row.quantity), row.label);
        EXPECT_FALSE(us.isDesigned(row.quantity));
    }
    EXPECT_FALSE(us.allDesigned());
}

TEST(UnitChoices, AUnitOutsideTheCategoryCountsAsTheDesignedOne) {
    UnitChoices choices = UnitChoices::UsCustomary();
    for (const int bad : {-1, 99}) {
        choices.setUnit(Quantity::Flow, bad);
        EXPECT_TRUE(choices.isDesigned(Quantity::Flow)) << bad;
    }
}

TEST(UnitChoices, EntriesNameEveryQuantityOnce) {
    const auto entries = UnitChoices::UsCustomary().entries();
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kQuantityCount));
    std::set<std::string> keys;
    for (const auto& [key, unit] : entries) {
        keys.insert(key);
        const auto found = FindQuantity(key);
        ASSERT_TRUE(found.has_value()) << key;
        EXPECT_EQ(unit, QuantityOf(*found).usUnit);
    }
    EXPECT_EQ(keys.size(), entries.size());
    EXPECT_FALSE(FindQuantity("pressure").has_value());
}

TEST(UnitChoices, UnitsAreFoundByTheirCatalogueKey) {
    EXPECT_EQ(FindUnitByKey(UnitCategory::WaterFlow, "usgpm"), 5);
    EXPECT_EQ(FindUnitByKey(UnitCategory::Diameter, "inches"), 2);
    EXPECT_EQ(FindUnitByKey(UnitCategory::Temperature, "degF"), 1);
    EXPECT_EQ(FindUnitByKey(UnitCategory::Velocity, "ftpers"), 2);
    EXPECT_EQ(FindUnitByKey(UnitCategory::Velocity, "furlongs"), -1);
    EXPECT_EQ(UnitKeyList(UnitCategory::Temperature), "degC, degF, degK");
}

} // namespace
} // namespace corvel
