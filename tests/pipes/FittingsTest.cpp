#include "pipes/Fittings.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace corvel {
namespace {

using test::NearRel;

constexpr double kInch = 0.0254; // m

// K = K1/Re + K∞·(1 + Kd/Dn^0.3), worked by hand (Dn in inches).
TEST(Fittings, ThreeKValuesMatchHandCalculations) {
    struct Case {
        const char* name;
        double reynolds;
        double inches;
        double k;
    };
    const Case cases[] = {
        // 800/100 + 0.14·(1 + 4/1)
        {"Elbow 90 deg threaded standard r/D=1", 100, 1, 8.7},
        // 800/1e5 + 0.14·(1 + 4/2^0.3)
        {"Elbow 90 deg threaded standard r/D=1", 1e5, 2, 0.6028613419594918},
        // 300/1e6 + 0.037·(1 + 3.9/4^0.3)
        {"Valve gate standard beta=1", 1e6, 4, 0.1325024957622643},
        // 1000/1e4 + 0.69·(1 + 4.9/0.5^0.3)
        {"Valve diaphragm dam type", 1e4, 0.5, 4.952499261519161},
        // K∞ = Kd = 0: the laminar term alone
        {"Tee run through stub-in branch", 50, 3, 2},
        // size-independent K of the entrances and exit
        {"Exit (projecting sharp-edged or rounded)", 123, 7, 1},
        {"Entrance inward projecting (re-entrant)", 1e7, 0.2, 0.78},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(NearRel(FindFitting(c.name).kFactor(c.reynolds, c.inches * kInch), c.k));
    }
}

TEST(Fittings, NoFlowLeavesOutTheLaminarTerm) {
    const Fitting& elbow = FindFitting("Elbow 90 deg threaded standard r/D=1");
    EXPECT_TRUE(NearRel(elbow.kFactor(0, kInch), 0.7));
    EXPECT_TRUE(NearRel(elbow.kFactor(-5, kInch), 0.7));
    EXPECT_TRUE(NearRel(elbow.kFactor(0, 0), 0.14));
}

TEST(Fittings, CatalogueHoldsThreeKFittingsThenEntrancesAndExit) {
    ASSERT_EQ(Fittings().size(), 42u);
    EXPECT_FALSE(Fittings()[33].sizeIndependent);
    EXPECT_TRUE(Fittings()[34].sizeIndependent);
    EXPECT_EQ(Fittings()[34].name, "Entrance flush sharp-edged");
}

TEST(Fittings, CheckValvesOpenFullyAboveTheirVelocity) {
    // 35/√(ρ in lbm/ft³) ft/s and 40/√ρ ft/s
    EXPECT_TRUE(
        NearRel(FindFitting("Valve check swing").fullOpeningVelocity(1000), 1.3501854801740032));
    EXPECT_TRUE(
        NearRel(FindFitting("Valve check lift").fullOpeningVelocity(998), 1.544614507787176));
    EXPECT_EQ(FindFitting("Valve gate").fullOpeningVelocity(1000), 0);
}

TEST(Fittings, LookupTakesAFullNameOrTheStartOfExactlyOne) {
    EXPECT_EQ(FindFitting("Valve gate").name, "Valve gate standard beta=1");
    EXPECT_EQ(FindFitting("  valve BALL ").name, "Valve ball standard beta=1");
    EXPECT_EQ(FindFitting("Exit").name, "Exit (projecting sharp-edged or rounded)");
    EXPECT_EQ(FindFitting("Valve check swing").name, "Valve check swing");
    const FittingMatch ambiguous = MatchFitting("Valve check");
    EXPECT_EQ(ambiguous.fitting, nullptr);
    ASSERT_EQ(ambiguous.candidates.size(), 2u);
    EXPECT_EQ(ambiguous.candidates[0]->name, "Valve check swing");
    EXPECT_TRUE(MatchFitting("Butterfly valve").candidates.empty());
    EXPECT_EQ(MatchFitting("").fitting, nullptr);
}

TEST(Fittings, UnknownOrAmbiguousNamesSayWhich) {
    try {
        FindFitting("Butterfly");
        FAIL() << "no error";
    } catch (const FittingError& error) {
        EXPECT_STREQ(error.what(), "Unknown fitting \"Butterfly\".");
    }
    try {
        FindFitting("Valve check");
        FAIL() << "no error";
    } catch (const FittingError& error) {
        EXPECT_STREQ(error.what(), "The fitting \"Valve check\" could be any of Valve check swing; "
                                   "Valve check lift.");
    }
    EXPECT_EQ(FittingNames().substr(0, 38), "Elbow 90 deg threaded standard r/D=1; ");
}

TEST(FittingSet, ParsesTheTextFormWithCounts) {
    const FittingSet set = FittingSet::parse("Elbow 90 deg threaded standard r/D=1*4;Valve gate*2");
    ASSERT_EQ(set.items().size(), 2u);
    EXPECT_EQ(set.count(FindFitting("Elbow 90 deg threaded standard r/D=1")), 4);
    EXPECT_EQ(set.count(FindFitting("Valve gate")), 2);
    EXPECT_EQ(set.totalCount(), 6);
    EXPECT_EQ(set.text(), "Elbow 90 deg threaded standard r/D=1*4;Valve gate standard beta=1*2");
    EXPECT_EQ(FittingSet::parse(set.text()), set);
}

TEST(FittingSet, ReadsBlanksBareNamesRepeatsAndEmptyItems) {
    struct Case {
        const char* text;
        const char* canonical;
    };
    const Case cases[] = {
        {"", ""},
        {" ; ;", ""},
        {"Exit", "Exit (projecting sharp-edged or rounded)*1"},
        {" valve gate * 3 ;", "Valve gate standard beta=1*3"},
        {"Valve gate*1;valve gate*2", "Valve gate standard beta=1*3"},
        {"Valve gate*0", ""},
        // kept in catalogue order, whatever the order written
        {"Exit*1;Elbow 45 deg long*2", "Elbow 45 deg long radius r/D=1.5*2;"
                                       "Exit (projecting sharp-edged or rounded)*1"},
        {"Valve gate*100000", "Valve gate standard beta=1*100000"},
        {"Valve gate*007", "Valve gate standard beta=1*7"},
        {"Valve gate*00000000000000000042", "Valve gate standard beta=1*42"},
        {"Valve gate*0000000", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FittingSet::parse(c.text).text(), c.canonical) << c.text;
}

TEST(FittingSet, RejectsWhatItCannotRead) {
    const char* bad[] = {
        "Valve gate*",
        "Valve gate*x",
        "Valve gate*-1",
        "Valve gate*1.5",
        "Valve gate*100001",
        "Valve gate*9999999",
        "*4",
        "Valve check*1",
        "Butterfly valve*2",
        "Valve gate*2*3",
        "Valve gate*60000;Valve gate*60000",
        "Valve gate*1e3",
    };
    for (const char* text : bad)
        EXPECT_THROW(FittingSet::parse(text), FittingError) << text;
}

TEST(FittingSet, SumOfKCountsEachFittingAndAddsOtherK) {
    FittingSet set = FittingSet::parse("Elbow 90 deg threaded standard r/D=1*4;Valve gate*2");
    set.otherK = 1.5;
    const double re = 1e5, d = 2 * kInch;
    const double expected = 4 * FindFitting("Elbow 90 deg threaded standard r/D=1").kFactor(re, d) +
                            2 * FindFitting("Valve gate").kFactor(re, d) + 1.5;
    EXPECT_TRUE(NearRel(set.sumK(re, d), expected, 1e-15));
    EXPECT_TRUE(
        NearRel(set.sumK(re, d), 4 * 0.6028613419594918 +
                                     2 * (300 / 1e5 + 0.037 * (1 + 3.9 / std::pow(2, 0.3))) + 1.5));
    EXPECT_EQ(FittingSet{}.sumK(re, d), 0);
    EXPECT_TRUE(FittingSet{}.empty());
    EXPECT_FALSE(set.empty());
}

TEST(FittingSet, SetCountReplacesAndZeroRemoves) {
    FittingSet set;
    const Fitting& gate = FindFitting("Valve gate");
    set.setCount(gate, 5);
    set.setCount(gate, 2);
    EXPECT_EQ(set.count(gate), 2);
    set.setCount(gate, 0);
    EXPECT_TRUE(set.items().empty());
    EXPECT_THROW(set.setCount(gate, -1), FittingError);
    EXPECT_THROW(set.setCount(gate, FittingSet::kMaxCount + 1), FittingError);
}

} // namespace
} // namespace corvel
