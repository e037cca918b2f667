#include "app/InputRows.h"

#include "grid/QxFields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvel {
namespace {

TEST(InputRows, GenerateTheGridDefinitionLinesHeaderFirst) {
    const std::vector<std::string> expected = {
        "Property; Value; Units",
        "Water Flowrate; %0.4f; l/s; NPE; 0.01; 5000",
        "Water Velocity; %0.3f; m/s; NPE; 0.01; 50",
        "Inside Diameter; %0.2f; mm; NPE; 0.1; 5000",
        "Mean Temperature; %0.1f; °C; NPE; -20; 200",
        "Surface Roughness; %0.5f; mm; NPE; 0.0001; 200",
    };
    EXPECT_EQ(InputGridLines(), expected);
}

TEST(InputRows, EveryGeneratedLineParsesBackToTheRowsFormatAndRange) {
    const std::vector<std::string> lines = InputGridLines();
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
        const InputRowInfo& info = kInputRows[static_cast<std::size_t>(row - 1)];
        std::vector<std::string> messages;
        const TRowDef def = ParseRowDef(lines[static_cast<std::size_t>(row)], ';',
                                        [&](const std::string& m) { messages.push_back(m); });
        EXPECT_TRUE(messages.empty()) << info.caption;
        const auto* field = dynamic_cast<const TNumField*>(def.Field.get());
        ASSERT_NE(field, nullptr) << info.caption;
        EXPECT_EQ(field->Format, info.editFormat);
        EXPECT_EQ(field->Min, info.min) << info.caption;
        EXPECT_EQ(field->Max, info.max) << info.caption;
        EXPECT_EQ(field->Kind, kFieldKindNone)
            << info.caption; // "NPE": the window adds its editors
        ASSERT_GE(def.Cells.size(), 3u);
        EXPECT_EQ(def.Cells[0], info.caption);
        EXPECT_EQ(def.Cells[2], info.units);
    }
}

struct CategoryCase {
    InputRow row;
    const char* categoryName;
};

TEST(InputRows, EachRowNamesItsUnitCategoryAndShowsOneOfItsUnits) {
    const CategoryCase cases[] = {
        {kFlowRateRow, "Water Flow"},      {kVelocityRow, "Velocity"},
        {kDiameterRow, "Diameter"},        {kTemperatureRow, "Temperature"},
        {kRoughnessRow, "Length - Small"},
    };
    for (const CategoryCase& c : cases) {
        const InputRowInfo& info = kInputRows[static_cast<std::size_t>(c.row - 1)];
        EXPECT_EQ(UnitCategoryName(info.category), c.categoryName) << info.caption;
        bool labelled = false;
        for (int unit = 0; unit < UnitCount(info.category); ++unit)
            labelled = labelled || UnitLabel(info.category, unit) == info.units;
        EXPECT_TRUE(labelled) << info.caption << ": no unit of its category is labelled "
                              << info.units;
    }
}

} // namespace
} // namespace corvel
