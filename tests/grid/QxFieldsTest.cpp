#include "grid/QxFields.h"

#include "TestSupport.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvel {
namespace {

using namespace std::string_literals;

using Pieces = std::vector<std::string>;

TEST(SplitDef, CutsAtEveryDelimiterAndTrims) {
    struct Case {
        char delim;
        const char* text;
        Pieces expected;
    };
    const std::vector<Case> cases = {
        {';', "", {}},
        {';', "a;b;", {"a", "b"}},
        {';', "a;;b", {"a", "", "b"}},
        {';', ";a", {"", "a"}},
        {';', ";", {""}},
        {';', " Water Flowrate ; %0.4f;\tl/s\r\n", {"Water Flowrate", "%0.4f", "l/s"}},
        {',', "Rate, %0.2f, m/s; x", {"Rate", "%0.2f", "m/s; x"}},
        {';', "°C ;  µm", {"°C", "µm"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitDef(c.delim, c.text), c.expected) << '"' << c.text << '"';
}

/// Parses one line and records the messages it shows.
struct Parsed {
    explicit Parsed(const std::string& line, char delim = ';')
        : row(ParseRowDef(line, delim, [this](const std::string& m) { messages.push_back(m); })) {}
    std::vector<std::string> messages;
    TRowDef row;

    template <class T> const T* field() const { return dynamic_cast<const T*>(row.Field.get()); }
};

TEST(ParseRowDef, NumericRowsOfTheInputGrid) {
    struct Case {
        const char* line;
        double min, max;
        int decimals;
        const char* value;
    };
    const std::vector<Case> cases = {
        {"Water Flowrate; %0.4f; l/s; NPE; 0.01; 5000", 0.01, 5000, 4, "0.0000"},
        {"Water Velocity; %0.3f; m/s; NPE; 0.01; 50", 0.01, 50, 3, "0.000"},
        {"Inside Diameter; %0.2f; mm; NPE; 0.10; 5000", 0.1, 5000, 2, "0.00"},
        {"Mean Temperature; %0.1f; °C; NPE; -20; 200", -20, 200, 1, "0.0"},
        {"Surface Roughness; %0.5f; mm; NPE; 0.0001; 200", 0.0001, 200, 5, "0.00000"},
    };
    for (const Case& c : cases) {
        Parsed p(c.line);
        const auto* f = p.field<TNumField>();
        ASSERT_NE(f, nullptr) << c.line;
        EXPECT_EQ(p.field<TDelimNumField>(), nullptr) << c.line;
        EXPECT_EQ(f->Kind, kFieldKindNone) << c.line;
        EXPECT_EQ(f->Min, c.min) << c.line;
        EXPECT_EQ(f->Max, c.max) << c.line;
        EXPECT_EQ(f->Step, 1.0) << c.line;
        EXPECT_EQ(f->Decimals, c.decimals) << c.line;
        EXPECT_EQ(f->DisplayMode, 1) << c.line;
        EXPECT_EQ(f->SigDigits, 5) << c.line;
        EXPECT_TRUE(f->Enabled && f->Editable) << c.line;
        EXPECT_EQ(p.row.Cells[1], c.value) << c.line;
        EXPECT_TRUE(p.messages.empty()) << c.line;
    }
    EXPECT_EQ(Parsed(cases[0].line).row.Cells,
              (Pieces{"Water Flowrate", "0.0000", "l/s", "NPE", "0.01", "5000", "", ""}));
}

TEST(ParseRowDef, SpinFlagIgnoresCaseAndReadsTheStep) {
    for (const char* line :
         {"Rate; %0.2f; m/s; Spin; 0; 10; 0.5", "Rate; %0.2f; m/s; spin; 0; 10; 0.5",
          "Rate, %0.2f, m/s, SPIN, 0, 10, 0.5"}) {
        Parsed p(line, std::string(line).find(',') != std::string::npos ? ',' : ';');
        const auto* f = p.field<TNumField>();
        ASSERT_NE(f, nullptr) << line;
        EXPECT_EQ(f->Kind, kFieldKindSpin) << line;
        EXPECT_EQ(f->Step, 0.5) << line;
        EXPECT_EQ(f->Max, 10.0) << line;
        EXPECT_EQ(p.row.Cells[0], "Rate") << line;
        EXPECT_EQ(p.row.Cells[1], "0.00") << line;
    }
    EXPECT_EQ(Parsed("Name; %S; ; pe").field<TField>()->Kind, kFieldKindPropEditor);
}

TEST(ParseRowDef, EnumeratedRowsTakeTheirChoicesFromPieceThreeOn) {
    Parsed withChoices("Mode; enum; ; Off; Low; High");
    const auto* e = withChoices.field<TEnumField>();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Kind, kFieldKindChoice);
    EXPECT_EQ(e->Format, "");
    EXPECT_EQ(e->Choices, (Pieces{"Off", "Low", "High"}));
    EXPECT_EQ(withChoices.row.Cells[1], "Off");

    Parsed bare("Mode; ENUM");
    ASSERT_NE(bare.field<TEnumField>(), nullptr);
    EXPECT_EQ(bare.field<TEnumField>()->Choices, (Pieces{"", "", ""}));
    EXPECT_EQ(bare.row.Cells[1], "");
}

TEST(ParseRowDef, PairAndTextRows) {
    Parsed pair("Size; %0.1f/%0.1f; mm; NPE; 0; 100");
    ASSERT_NE(pair.field<TDelimNumField>(), nullptr);
    EXPECT_EQ(pair.row.Cells[1], "0.0/0.0");

    Parsed text("Name; %S; ; NPE");
    ASSERT_NE(text.field<TField>(), nullptr);
    EXPECT_EQ(text.field<TNumField>(), nullptr);
    EXPECT_EQ(text.field<TEnumField>(), nullptr);
    EXPECT_EQ(text.field<TField>()->Format, "%S");
    EXPECT_EQ(text.row.Cells[1], "");

    // A "d" makes the row integer even when an "f" is there too.
    Parsed integer("Count; %d; pcs; NPE; 0; 10");
    EXPECT_EQ(integer.row.Cells[1], "0");
}

TEST(ParseRowDef, BadNumericRowsDegradeToTextRowsWithOneMessage) {
    struct Case {
        const char* line;
        const char* caption;
        const char* value;
    };
    const std::vector<Case> cases = {
        {"Rate; %0.2f; m/s; NPE; abc; 10", "Rate", "0.00"},
        {"Rate; %0.2f; m/s; NPE; 1", "Rate", "0.00"},            // no maximum
        {"Rate; %0.2f; m/s; Spin; 0; 10; fast", "Rate", "0.00"}, // step not a number
        {"Big; %0.1f; ; NPE; 1e999; 2", "Big", "0.0"},
        {"; %0.1f", "", "0.0"},
    };
    for (const Case& c : cases) {
        Parsed p(c.line);
        ASSERT_NE(p.field<TField>(), nullptr) << c.line;
        EXPECT_EQ(p.field<TNumField>(), nullptr) << c.line;
        EXPECT_EQ(p.field<TField>()->Format, "%S") << c.line;
        EXPECT_EQ(p.messages, Pieces{std::string("Error initialising ") + c.caption}) << c.line;
        EXPECT_EQ(p.row.Cells[1], c.value) << c.line;
    }
    EXPECT_EQ(Parsed("Rate; %0.2f; m/s; Spin; 0; 10; fast").field<TField>()->Kind, kFieldKindSpin);
}

TEST(ParseRowDef, LinesOfAnyContentParseWithoutCrashing) {
    const std::vector<std::string> lines = {
        "",
        ";;;;;;;;;;",
        "Huge; %0.2f; ; NPE; 1e308; 1e308; 1e308",
        "Tiny; %0.2f; ; NPE; -1e-320; 1e-320",
        "Words; %0.2f; ; NPE; one; two; three",
        std::string(100000, 'x') + ";%0.2f;" + std::string(50000, ';'),
        "Grösse; %0.2f; µm²; NPE; 0; 1",
        "Pair; %S/%S; ; NPE",
        "Int; %d%S; ; NPE; 0; 1",
        std::string("Nul\0; %0.1f; ; NPE; 0; 1"s),
    };
    for (const std::string& line : lines) {
        int messages = 0;
        const TRowDef row = ParseRowDef(line, ';', [&](const std::string&) { ++messages; });
        ASSERT_NE(row.Field, nullptr) << line.substr(0, 40);
        EXPECT_LE(messages, 1) << line.substr(0, 40);
        EXPECT_GE(row.Cells.size(), 4u) << line.substr(0, 40);
    }
    EXPECT_EQ(ParseRowDef("Pair; %S/%S; ; NPE", ';', {}).Cells[1], "");
}

TEST(BuildRows, HeaderRowAndNoLines) {
    std::vector<std::string> messages;
    auto sink = [&](const std::string& m) { messages.push_back(m); };
    const TRowModel empty = BuildRows({}, ';', sink);
    EXPECT_EQ(empty.RowCount, 2);
    EXPECT_TRUE(empty.Fields.empty());

    const TRowModel model =
        BuildRows({"Property; Value; Units", "Water Flowrate; %0.4f; l/s; NPE; 0.01; 5000",
                   "Bad; %0.1f; x; NPE; ; 1"},
                  ';', sink);
    EXPECT_EQ(model.RowCount, 3);
    ASSERT_EQ(model.Fields.size(), 3u);
    EXPECT_EQ(model.Cells[0], (Pieces{"Property", "Value", "Units"}));
    EXPECT_EQ(model.Fields[0]->Format, "%S");
    EXPECT_EQ(model.Fields[0]->Kind, kFieldKindNone);
    EXPECT_NE(dynamic_cast<const TNumField*>(model.Fields[1].get()), nullptr);
    EXPECT_EQ(messages, Pieces{"Error initialising Bad"});
}

TEST(FieldValues, ReadByFieldClass) {
    const TNumField real(0, "%0.4f", 0, 10, 1);
    const TNumField integer(0, "%d", 0, 10, 1);
    const TDelimNumField pair(0, "%0.1f/%0.1f", 0, 10, 1);
    const TEnumField choices({"Off", "Low", "High"});
    const TField text(0, "%S");

    EXPECT_EQ(FieldGetValue(&real, "1.25"), Variant(1.25));
    EXPECT_EQ(FieldGetValue(&real, " 1 2.5 "), Variant(12.5)); // typed text is cleaned first
    EXPECT_EQ(FieldGetValue(&real, "abc"), Variant(std::string("abc")));
    EXPECT_EQ(FieldGetValue(&integer, "2.5"), Variant(std::int32_t{2}));
    EXPECT_EQ(FieldGetValue(&integer, "3.5"), Variant(std::int32_t{4}));
    EXPECT_EQ(FieldGetValue(&integer, "1e12"), Variant(std::string("1e12")));
    EXPECT_EQ(FieldGetValue(&pair, "1.25/3"), Variant(std::string("1.3/3.0")));
    EXPECT_EQ(FieldGetValue(&pair, ""), Variant(std::string("0.0/0.0")));
    EXPECT_EQ(FieldGetValue(&pair, "2.5"), Variant(std::string("2.5")));
    EXPECT_EQ(FieldGetValue(&choices, "Low"), Variant(std::int32_t{1}));
    EXPECT_EQ(FieldGetValue(&choices, "Medium"), Variant(std::int32_t{-1}));
    EXPECT_EQ(FieldGetValue(&text, "free"), Variant(std::string("free")));
}

TEST(FieldValues, WrittenByFieldClassWithTiesToEven) {
    const TNumField real(0, "%0.4f", 0, 10, 1);
    const TNumField integer(0, "%d", 0, 10, 1);
    const TNumField neither(0, "%x", 0, 10, 1);
    const TDelimNumField pair(0, "%0.1f/%0.1f", 0, 10, 1);
    const TEnumField choices({"Off", "Low", "High"});
    const TField text(0, "%S");

    struct Case {
        const char* what;
        const TField* field;
        Variant value;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"real", &real, 2.5, "2.5000"},
        {"real from text", &real, std::string("1.5"), "1.5000"},
        {"real from bad text", &real, std::string("x"), ""},
        {"integer tie down", &integer, 2.5, "2"},
        {"integer tie up", &integer, 3.5, "4"},
        {"integer negative tie", &integer, -2.5, "-2"},
        {"integer overflow", &integer, 1e300, ""},
        {"neither class", &neither, 2.0, ""},
        {"pair", &pair, std::string("1.25/7"), "1.3/7.0"},
        {"pair single", &pair, 4.0, "4.0"},
        {"choice", &choices, std::int32_t{2}, "High"},
        {"choice from real", &choices, 1.0, "Low"},
        {"choice out of range", &choices, std::int32_t{3}, ""},
        {"choice negative", &choices, std::int32_t{-1}, ""},
        {"text", &text, 2.5, "2.5"},
        {"text from text", &text, std::string("abc"), "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FieldSetValueText(c.field, c.value), c.expected) << c.what;
}

TEST(FieldValues, DisplayModesShowSignificantDigitsWhereAsked) {
    TNumField f(0, "%0.2f", 0, 10, 1);
    struct Case {
        int mode;
        double value;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {1, 0.00123, "0.00"},    {3, 0.00123, "0.00"},    {0, 0.00123, "0.00123"},
        {0, 12.345, "12.345"},   {2, 0.00123, "0.00123"}, {2, 12.345, "12.35"},
        {2, -0.00123, "-0.001"}, // every negative value takes the significant-digit pattern
    };
    for (const Case& c : cases) {
        f.DisplayMode = static_cast<std::uint8_t>(c.mode);
        EXPECT_EQ(FieldSetValueText(&f, c.value), c.expected) << c.mode << " " << c.value;
    }
}

TEST(FieldValues, RangesAreInDisplayedMeasure) {
    TNumField f(0, "%0.1f", -20, 200, 1);
    EXPECT_EQ(FieldRangeLo(&f), -20);
    EXPECT_EQ(FieldRangeHi(&f), 200);
    f.Factor = 1.8;
    f.Offset = 32;
    EXPECT_TRUE(test::NearRel(FieldRangeLo(&f), -4));
    EXPECT_TRUE(test::NearRel(FieldRangeHi(&f), 392));
    const TField text(0, "%S");
    EXPECT_EQ(FieldRangeLo(&text), 0);
    EXPECT_EQ(FieldRangeHi(&text), 0);
    f.Factor = 1e308;
    EXPECT_THROW(FieldRangeHi(&f), EMathError);
}

} // namespace
} // namespace corvel
