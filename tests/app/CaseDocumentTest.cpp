#include "app/CaseDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvel {
namespace {

const StoredCase kSaved{0.03, 0.1, 9, 0.00003};
const StoredCase kChanged{0.04, 0.1, 9, 0.00003};

struct DocumentRow {
    const char* name;
    const char* path; // attached with kSaved; empty: left unnamed
    StoredCase current;
    bool modified;
    const char* title;
};

class CaseDocumentStateTest : public ::testing::TestWithParam<DocumentRow> {};

TEST_P(CaseDocumentStateTest, ModifiedStateAndTitleFollowTheInputs) {
    const DocumentRow& row = GetParam();
    CaseDocument document("Corvel 1.0.0.0");
    if (*row.path)
        document.attach(row.path, kSaved);
    document.setCurrent(row.current);
    EXPECT_EQ(document.modified(), row.modified);
    EXPECT_EQ(document.title(), row.title);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, CaseDocumentStateTest,
    ::testing::Values(
        // The unnamed case keeps the plain title and never counts as modified.
        DocumentRow{"UnnamedUnchanged", "", kSaved, false, "Corvel 1.0.0.0"},
        DocumentRow{"UnnamedChanged", "", kChanged, false, "Corvel 1.0.0.0"},
        DocumentRow{"NamedAsSaved", "/tmp/cases/pump.corvel", kSaved, false,
                    "Corvel 1.0.0.0 - pump.corvel"},
        DocumentRow{"NamedChanged", "/tmp/cases/pump.corvel", kChanged, true,
                    "Corvel 1.0.0.0 - pump.corvel*"},
        DocumentRow{"NameWithBlanks", "/home/me/line 2.corvel", kChanged, true,
                    "Corvel 1.0.0.0 - line 2.corvel*"},
        DocumentRow{"OnlyTheRoughnessChanged", "/a/b.corvel", StoredCase{0.03, 0.1, 9, 0.00004},
                    true, "Corvel 1.0.0.0 - b.corvel*"}),
    [](const ::testing::TestParamInfo<DocumentRow>& info) { return info.param.name; });

TEST(CaseDocumentTest, ChangingBackToTheSavedInputsClearsTheMark) {
    CaseDocument document("Corvel");
    document.attach("/x/a.corvel", kSaved);
    document.setCurrent(kChanged);
    ASSERT_TRUE(document.modified());
    document.setCurrent(kSaved);
    EXPECT_FALSE(document.modified());
}

TEST(CaseDocumentTest, DetachingLeavesTheUnnamedCaseUnderThePlainTitle) {
    CaseDocument document("Corvel");
    document.attach("/x/a.corvel", kSaved);
    document.setCurrent(kChanged);
    document.detach(kChanged);
    EXPECT_FALSE(document.named());
    EXPECT_FALSE(document.modified());
    EXPECT_EQ(document.title(), "Corvel");
    EXPECT_EQ(document.current(), kChanged);
}

TEST(CaseDocumentTest, TheQuestionNamesTheFile) {
    CaseDocument document;
    document.attach("/x/pipe run.corvel", kSaved);
    EXPECT_EQ(document.saveQuestion(), "Save changes to pipe run.corvel?");
}

using Paths = std::vector<std::string>;

struct RecentRow {
    const char* name;
    Paths stored;
    std::vector<std::string> steps; // "+path" adds, "-path" removes
    Paths expected;
};

class RecentCasesTest : public ::testing::TestWithParam<RecentRow> {};

TEST_P(RecentCasesTest, KeepsTheNewestSixEachOnce) {
    RecentCases recent(GetParam().stored);
    for (const std::string& step : GetParam().steps) {
        if (step[0] == '+')
            recent.add(step.substr(1));
        else
            recent.remove(step.substr(1));
    }
    EXPECT_EQ(recent.paths(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RecentCasesTest,
    ::testing::Values(
        RecentRow{"StoredListIsCleaned", {"a", "", "b", "a", "c"}, {}, {"a", "b", "c"}},
        RecentRow{"StoredListIsCut",
                  {"1", "2", "3", "4", "5", "6", "7"},
                  {},
                  {"1", "2", "3", "4", "5", "6"}},
        RecentRow{"NewPathGoesFirst", {"a", "b"}, {"+c"}, {"c", "a", "b"}},
        RecentRow{"KnownPathMovesFirst", {"a", "b", "c"}, {"+c"}, {"c", "a", "b"}},
        RecentRow{"SeventhPushesTheOldestOut",
                  {"1", "2", "3", "4", "5", "6"},
                  {"+7"},
                  {"7", "1", "2", "3", "4", "5"}},
        RecentRow{"RemovedPathGoes", {"a", "b", "c"}, {"-b"}, {"a", "c"}},
        RecentRow{"RemovingAnUnknownPathChangesNothing", {"a"}, {"-z"}, {"a"}},
        RecentRow{"EmptyPathIsNotAdded", {"a"}, {"+"}, {"a"}}),
    [](const ::testing::TestParamInfo<RecentRow>& info) { return info.param.name; });

TEST(RecentCasesTest, RemoveSaysWhetherThePathWasListed) {
    RecentCases recent({"a"});
    EXPECT_TRUE(recent.remove("a"));
    EXPECT_FALSE(recent.remove("a"));
}

} // namespace
} // namespace corvel
