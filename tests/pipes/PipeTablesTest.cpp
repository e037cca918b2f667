#include "pipes/PipeTables.h"

#include <gtest/gtest.h>

namespace corvel {
namespace {

TEST(PipeTables, TablesAreNamedByStandardAndSeries) {
    struct Expected {
        const char* name;
        std::size_t sizes;
    };
    const Expected expected[] = {
        {"ASME B36.10M 40", 26},
        {"ASME B36.10M 80", 24},
        {"ASME B36.10M STD", 36},
        {"ASME B36.10M XS", 36},
        {"ASME B36.19M 10S", 25},
        {"ASME B36.19M 40S", 23},
        {"ASME B36.19M 80S", 23},
        {"ASTM B88 K", 15},
        {"ASTM B88 L", 15},
        {"ASTM B88 M", 13},
        {"EN 1057 metric", 11},
        {"ISO 4427-2 PE100 SDR11", 24},
        {"ISO 4427-2 PE100 SDR17", 22},
    };
    ASSERT_EQ(PipeTables().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(PipeTables()[i].name(), expected[i].name);
        EXPECT_EQ(PipeTables()[i].sizes().size(), expected[i].sizes) << expected[i].name;
        EXPECT_EQ(FindPipeTable(expected[i].name), &PipeTables()[i]);
    }
}

TEST(PipeTables, UnknownNameFindsNoTable) {
    EXPECT_EQ(FindPipeTable("ASME B36.10M 160"), nullptr);
    EXPECT_EQ(FindPipeTable("ASTM B88"), nullptr);
    EXPECT_EQ(FindPipeTable("astm b88 l"), nullptr);
    EXPECT_EQ(FindPipeTable(""), nullptr);
    EXPECT_EQ(PipeTableNames().substr(0, 34), "ASME B36.10M 40, ASME B36.10M 80, ");
}

TEST(PipeTables, SizesAreInMetresScaledAsTheGridScalesMillimetres) {
    const PipeSize& size = PipeTables()[0].sizes()[12]; // ASME B36.10M 40, NPS 4
    EXPECT_EQ(size.nominal, "4");
    EXPECT_EQ(size.dn, 100);
    EXPECT_EQ(size.outsideDiameter, 114.3 * 0.001);
    EXPECT_EQ(size.wall, 6.02 * 0.001);
    EXPECT_EQ(size.insideDiameter, 102.26 * 0.001);
}

TEST(PipeTables, SmallestSizeWithInsideDiameterAtLeastTheGivenOne) {
    struct Case {
        const char* table;
        double insideDiameter; // m
        const char* nominal;   // nullptr: none is large enough
    };
    const Case cases[] = {
        {"ASME B36.10M 40", 0.1, "4"},
        {"ASME B36.10M 40", 102.26 * 0.001, "4"}, // equal counts
        {"ASME B36.10M 40", 0.10227, "5"},
        {"ASME B36.10M 40", 0, "1/8"},
        {"ASME B36.10M 40", 2, nullptr},
        {"ASTM B88 L", 0.025, "1"},
        {"ASTM B88 L", 0.0261, "1-1/4"},
        // EN 1057 lists 28x1.2 (25.6 mm inside) before 28x1.5 (25.0 mm): by inside diameter
        {"EN 1057 metric", 0.025, "28x1.5"},
        {"EN 1057 metric", 0.0253, "28x1.2"},
        {"ISO 4427-2 PE100 SDR11", 0.5, "630"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.table) + " " + std::to_string(c.insideDiameter));
        const PipeTable* table = FindPipeTable(c.table);
        ASSERT_NE(table, nullptr);
        const PipeSize* size = table->smallestWithInside(c.insideDiameter);
        if (c.nominal == nullptr) {
            EXPECT_EQ(size, nullptr);
        } else {
            ASSERT_NE(size, nullptr);
            EXPECT_EQ(size->nominal, c.nominal);
        }
    }
}

TEST(PipeTables, InsideDiameterOrderHoldsEverySizeRising) {
    for (const PipeTable& table : PipeTables()) {
        ASSERT_EQ(table.byInsideDiameter().size(), table.sizes().size()) << table.name();
        for (std::size_t i = 1; i < table.byInsideDiameter().size(); ++i)
            EXPECT_LE(table.byInsideDiameter()[i - 1]->insideDiameter,
                      table.byInsideDiameter()[i]->insideDiameter)
                << table.name();
    }
}

} // namespace
} // namespace corvel
