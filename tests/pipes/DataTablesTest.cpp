#include "pipes/DataTables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvel {
namespace {

TEST(DataTables, EveryPublishedRowIsCompiledIn) {
    EXPECT_EQ(PipeSizeRows().size(), 293u);
    EXPECT_EQ(Fitting3kRows().size(), 34u);
    EXPECT_EQ(FittingSimpleRows().size(), 8u);
    EXPECT_EQ(RoughnessRows().size(), 12u);
}

// Rows copied by hand from the CSV files, first, last and some between.
TEST(DataTables, PipeSizeRowsMatchTheCsv) {
    struct Row {
        std::size_t index; // line number in the CSV − 2
        PipeSizeRow expected;
    };
    const Row rows[] = {
        {0, {"ASME B36.10M", "40", "1/8", 6, 10.3, 1.73, 6.84}},
        {85, {"ASME B36.10M", "STD", "48", 1200, 1219, 9.53, 1199.94}},
        {146, {"ASME B36.19M", "10S", "30", 750, 762, 7.92, 746.16}},
        {224, {"ASTM B88", "M", "1/2", 15, 15.875, 0.7112, 14.45}},
        {245, {"EN 1057", "metric", "76.1x2", 76, 76.1, 2, 72.10}},
        {252, {"ISO 4427-2 PE100", "SDR11", "63", 63, 63, 5.8, 51.40}},
        {292, {"ISO 4427-2 PE100", "SDR17", "630", 630, 630, 37.4, 555.20}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        const PipeSizeRow& got = PipeSizeRows()[row.index];
        EXPECT_EQ(got.standard, row.expected.standard);
        EXPECT_EQ(got.series, row.expected.series);
        EXPECT_EQ(got.nominal, row.expected.nominal);
        EXPECT_EQ(got.dn, row.expected.dn);
        EXPECT_EQ(got.outsideDiameterMm, row.expected.outsideDiameterMm);
        EXPECT_EQ(got.wallMm, row.expected.wallMm);
        EXPECT_EQ(got.insideDiameterMm, row.expected.insideDiameterMm);
    }
}

TEST(DataTables, InsideDiameterIsOutsideLessTwoWalls) {
    for (const PipeSizeRow& row : PipeSizeRows())
        EXPECT_NEAR(row.insideDiameterMm, row.outsideDiameterMm - 2 * row.wallMm, 0.02)
            << row.standard << " " << row.series << " " << row.nominal;
}

TEST(DataTables, FittingRowsMatchTheCsv) {
    const Fitting3kRow& first = Fitting3kRows()[0];
    EXPECT_EQ(first.name, "Elbow 90 deg threaded standard r/D=1");
    EXPECT_EQ(first.k1, 800);
    EXPECT_EQ(first.kInf, 0.14);
    EXPECT_EQ(first.kd, 4);
    const Fitting3kRow& stubIn = Fitting3kRows()[22];
    EXPECT_EQ(stubIn.name, "Tee run through stub-in branch");
    EXPECT_EQ(stubIn.k1, 100);
    EXPECT_EQ(stubIn.kInf, 0);
    EXPECT_EQ(stubIn.kd, 0);
    const Fitting3kRow& last = Fitting3kRows()[33];
    EXPECT_EQ(last.name, "Valve check lift");
    EXPECT_EQ(last.k1, 2000);
    EXPECT_EQ(last.kInf, 2.85);
    EXPECT_EQ(last.kd, 3.8);

    EXPECT_EQ(FittingSimpleRows()[0].name, "Entrance flush sharp-edged");
    EXPECT_EQ(FittingSimpleRows()[0].k, 0.5);
    EXPECT_EQ(FittingSimpleRows()[6].name, "Entrance rounded r/d>=0.15 (well rounded)");
    EXPECT_EQ(FittingSimpleRows()[6].k, 0.04);
    EXPECT_EQ(FittingSimpleRows()[7].name, "Exit (projecting sharp-edged or rounded)");
    EXPECT_EQ(FittingSimpleRows()[7].k, 1);
}

TEST(DataTables, RoughnessRowsKeepTheirSemicolonsAndSources) {
    const RoughnessRow& steel = RoughnessRows()[3];
    EXPECT_EQ(steel.material, "Commercial steel (new)");
    EXPECT_EQ(steel.typicalMm, 0.045);
    EXPECT_EQ(steel.lowMm, 0.02);
    EXPECT_EQ(steel.highMm, 0.1);
    EXPECT_EQ(steel.source.substr(0, 28), "typical: Moody (1944) chart ");

    const RoughnessRow& castIron = RoughnessRows()[6];
    EXPECT_EQ(castIron.material, "Cast iron (new; uncoated)");
    EXPECT_EQ(castIron.typicalMm, 0.26);
    EXPECT_NE(castIron.source.find("(Table 5; good/normal/poor condition)"),
              std::string_view::npos);

    const RoughnessRow& riveted = RoughnessRows()[11];
    EXPECT_EQ(riveted.material, "Riveted steel");
    EXPECT_EQ(riveted.typicalMm, 0.9);
    EXPECT_EQ(riveted.highMm, 9);
    for (const RoughnessRow& row : RoughnessRows()) {
        EXPECT_LE(row.lowMm, row.typicalMm) << row.material;
        EXPECT_LE(row.typicalMm, row.highMm) << row.material;
    }
}

} // namespace
} // namespace corvel
