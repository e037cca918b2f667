// The report's composition without a window: the order, texts and styles of its paragraphs.

#include "report/ReportComposer.h"

#include <gtest/gtest.h>

namespace corvel {
namespace {

ReportContent sampleContent() {
    ReportContent content;
    content.inputs = {{"Water Flowrate", "24.000", "l/s"}, {"Inside Diameter", "100.0", "mm"}};
    content.results = {{"Velocity", "3.06", "m/s"}, {"Moody Diagram", "Transition", "Zone"}};
    content.closingLine = "Calculated with Corvel 1.0.0, water flowing full in a round pipe.";
    return content;
}

TEST(ReportComposerTest, ParagraphsComeInTheirOrderWithTheirStyles) {
    const std::vector<ReportParagraph> expected = {
        {ReportStyle::Plain, ""},
        {ReportStyle::Title, "Corvel Report"},
        {ReportStyle::Plain, ""},
        {ReportStyle::Heading, "Input"},
        {ReportStyle::Plain, "Water Flowrate\t24.000\tl/s"},
        {ReportStyle::Plain, "Inside Diameter\t100.0\tmm"},
        {ReportStyle::Plain, ""},
        {ReportStyle::Heading, "Results"},
        {ReportStyle::Plain, "Velocity\t3.06\tm/s"},
        {ReportStyle::Plain, "Moody Diagram\tTransition\tZone"},
        {ReportStyle::Plain, ""},
        {ReportStyle::Closing, "Calculated with Corvel 1.0.0, water flowing full in a round pipe."},
    };
    EXPECT_EQ(ComposeReportParagraphs(sampleContent()), expected);
}

TEST(ReportComposerTest, FiveInputsAndThirteenResultsMakeTwentySixLines) {
    ReportContent content;
    content.inputs.assign(5, {"In", "1", "u"});
    content.results.assign(13, {"Out", "2", "v"});
    const auto paragraphs = ComposeReportParagraphs(content);
    ASSERT_EQ(paragraphs.size(), 26u);
    EXPECT_EQ(paragraphs[8].text, "In\t1\tu");
    EXPECT_EQ(paragraphs[10].text, "Results");
    EXPECT_EQ(paragraphs[23].text, "Out\t2\tv");
    EXPECT_EQ(paragraphs[24].text, "");
}

TEST(ReportComposerTest, MissingClosingLineLeavesAnEmptyItalicLine) {
    ReportContent content = sampleContent();
    content.closingLine.clear();
    const auto paragraphs = ComposeReportParagraphs(content);
    EXPECT_EQ(paragraphs.back(), (ReportParagraph{ReportStyle::Closing, ""}));
}

TEST(ReportComposerTest, RowTextsAreTakenAsTheyAreShown) {
    ReportContent content;
    content.results = {{"Prandtl Number", "9.55", " -"}, {"Friction Factor", "0.01744", "D'arcy"}};
    const auto paragraphs = ComposeReportParagraphs(content);
    EXPECT_EQ(paragraphs[6].text, "Prandtl Number\t9.55\t -");
    EXPECT_EQ(paragraphs[7].text, "Friction Factor\t0.01744\tD'arcy");
}

TEST(ReportComposerTest, WaterLineAndNumberedNotesFollowTheResults) {
    ReportContent content = sampleContent();
    content.waterLine = "Water properties: IAPWS reference";
    content.notes = {"First note.", "Second note."};
    const auto paragraphs = ComposeReportParagraphs(content);
    ASSERT_EQ(paragraphs.size(), 17u);
    EXPECT_EQ(paragraphs[9].text, "Moody Diagram\tTransition\tZone");
    EXPECT_EQ(paragraphs[10],
              (ReportParagraph{ReportStyle::Plain, "Water properties: IAPWS reference"}));
    EXPECT_EQ(paragraphs[11], (ReportParagraph{ReportStyle::Plain, ""}));
    EXPECT_EQ(paragraphs[12], (ReportParagraph{ReportStyle::Heading, "Notes"}));
    EXPECT_EQ(paragraphs[13].text, "1. First note.");
    EXPECT_EQ(paragraphs[14].text, "2. Second note.");
    EXPECT_EQ(paragraphs[15].text, "");
    EXPECT_EQ(paragraphs[16].style, ReportStyle::Closing);
}

TEST(ReportComposerTest, NotesWithoutAWaterLineComeRightAfterTheResults) {
    ReportContent content = sampleContent();
    content.notes = {"Only note."};
    const auto paragraphs = ComposeReportParagraphs(content);
    ASSERT_EQ(paragraphs.size(), 15u);
    EXPECT_EQ(paragraphs[10].text, "");
    EXPECT_EQ(paragraphs[11].text, "Notes");
    EXPECT_EQ(paragraphs[12].text, "1. Only note.");
}

} // namespace
} // namespace corvel
