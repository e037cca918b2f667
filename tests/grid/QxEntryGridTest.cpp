#include "grid/QxEntryGrid.h"

#include "GridTestSupport.h"
#include "platform/Beep.h"

#include <QHelpEvent>
#include <QImage>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace corvel {
namespace {

const QStringList kInputLines = {
    "Property; Value; Units",
    "Water Flowrate; %0.4f; l/s; NPE; 0.01; 5000",
    "Water Velocity; %0.3f; m/s; NPE; 0.01; 50",
    "Inside Diameter; %0.2f; mm; NPE; 0.10; 5000",
    "Mean Temperature; %0.1f; °C; NPE; -20; 200",
    "Surface Roughness; %0.5f; mm; NPE; 0.0001; 200",
};

/// A window with one entry grid set up like the main window's input grid, recording messages,
/// beeps and OnDoSetData instead of showing dialogs and sounding.
struct EntryWindow {
    explicit EntryWindow(const QStringList& lines = kInputLines) {
        test::ensureApplication();
        previousMessages = SetGridMessageHook([this](const QString& text, bool isError) {
            messages.push_back({text, isError});
        });
        previousBeep = SetBeepHook([this] { ++beeps; });
        window = std::make_unique<QWidget>();
        grid = new TEntryGrid(window.get());
        grid->setGeometry(10, 10, 300, 120);
        grid->SetColCount(3);
        grid->SetRowCount(static_cast<int>(lines.size()));
        grid->SetOptions(xgoFixedVertLine | xgoFixedHorzLine | xgoVertLine | xgoHorzLine |
                         xgoColSizing | xgoEditing);
        grid->SetLines(lines);
        grid->SetColWidths(0, 114);
        grid->SetColWidths(1, 68);
        grid->SetColWidths(2, 59);
        grid->Loaded();
        grid->OnDoSetData = [this](QObject*, int c, int r) { dataSets.emplace_back(c, r); };
        other = new QLineEdit(window.get());
        other->setGeometry(10, 200, 100, 24);
        window->resize(400, 260);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        grid->setFocus();
        dataSets.clear();
    }
    ~EntryWindow() {
        SetGridMessageHook(previousMessages);
        SetBeepHook(previousBeep);
    }

    void clickCell(int col, int row) {
        const QRect rect = grid->CellRect(col, row);
        ASSERT_FALSE(rect.isEmpty());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    }
    bool editorShowing() const {
        return grid->InplaceEditor() != nullptr && grid->InplaceEditor()->isVisible();
    }
    static bool shown(const QWidget* w) { return w != nullptr && w->isVisible(); }

    struct Message {
        QString text;
        bool isError;
    };
    std::unique_ptr<QWidget> window;
    TEntryGrid* grid = nullptr;
    QLineEdit* other = nullptr;
    std::vector<Message> messages;
    std::vector<QPoint> dataSets;
    int beeps = 0;
    GridMessageHook previousMessages;
    BeepHook previousBeep;
};

TEST(TEntryGrid, StartsWithItsConstructionDefaults) {
    test::ensureApplication();
    TEntryGrid grid;
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.FixedCols(), 0);
    EXPECT_EQ(grid.DefaultColWidth(), 60);
    EXPECT_EQ(grid.DefaultRowHeight(), 16);
    EXPECT_EQ(grid.ColWidths(0), 90);
    EXPECT_EQ(grid.ColWidths(1), 60);
    EXPECT_EQ(grid.ColWidths(2), 50);
    EXPECT_EQ(grid.ScrollBars(), QxScrollStyle::None);
    EXPECT_EQ(grid.size(), QSize(206, 72));
    EXPECT_EQ(grid.Options(), QxGridFirstFiveOptions | xgoColSizing | xgoEditing);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Delim(), ';');
    EXPECT_TRUE(grid.Lines().isEmpty());
    EXPECT_EQ(grid.ColorEditCol(), grid.Color());
    EXPECT_EQ(grid.FieldCount(), 0);
}

TEST(TEntryGrid, LinesBuildTheRowsAndBadLinesShowTheirMessage) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    EXPECT_EQ(grid.RowCount(), 6);
    EXPECT_EQ(grid.Rows(0).ToStringList(), QStringList({"Property", "Value", "Units"}));
    EXPECT_EQ(grid.Rows(1).ToStringList(), QStringList({"Water Flowrate", "0.0000", "l/s"}));
    EXPECT_EQ(grid.Rows(4).ToStringList(), QStringList({"Mean Temperature", "0.0", "°C"}));
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(grid.RangeLo(4), -20);
    EXPECT_EQ(grid.RangeHi(1), 5000);

    grid.SetLines({"A; B; C", "Rate; %0.2f; m/s; NPE; abc; 10", "Name; %S; ; NPE"});
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, "Error initialising Rate");
    EXPECT_TRUE(w.messages[0].isError);
    EXPECT_EQ(grid.Cells(1, 1), "0.00");
    EXPECT_EQ(grid.RangeHi(1), 0) << "a degraded row is not numeric";

    grid.SetLines({});
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.FieldCount(), 0);
}

TEST(TEntryGrid, ValuesAreReadAndWrittenByTheRowField) {
    EntryWindow w({"P; V; U", "Rate; %0.4f; l/s; NPE; 0; 10", "Count; %d; ; NPE; 0; 10",
                   "Mode; enum; ; Off; Low; High"});
    TEntryGrid& grid = *w.grid;
    grid.SetCells(1, 1, "1.25");
    EXPECT_EQ(grid.GetValue(1, 1), Variant(1.25));
    grid.SetValue(1, 1, 2.5);
    EXPECT_EQ(grid.Cells(1, 1), "2.5000");
    grid.SetValue(1, 2, 2.5);
    EXPECT_EQ(grid.Cells(1, 2), "2");
    grid.SetValue(1, 2, 3.5);
    EXPECT_EQ(grid.Cells(1, 2), "4");
    grid.SetCells(1, 3, "Medium");
    EXPECT_EQ(grid.GetValue(1, 3), Variant(std::int32_t{-1}));
    grid.SetValue(2, 1, std::string("m³/s"));
    EXPECT_EQ(grid.Cells(2, 1), "m³/s");
    EXPECT_EQ(grid.GetValue(0, 1), Variant(std::string("Rate")));
}

struct SpinCase {
    const char* what;
    const char* line;
    const char* start;
    bool up;
    const char* expected;
    bool raisesEvent;
};

class EntryGridSpin : public ::testing::TestWithParam<SpinCase> {};

TEST_P(EntryGridSpin, StepsOntoTheSpinGrid) {
    const SpinCase& c = GetParam();
    EntryWindow w({"P; V; U", c.line});
    TEntryGrid& grid = *w.grid;
    grid.SetCells(1, 1, c.start);
    w.clickCell(1, 1);
    QToolButton* button = c.up ? grid.SpinUpButton() : grid.SpinDownButton();
    ASSERT_TRUE(EntryWindow::shown(button)) << c.what;
    EXPECT_FALSE(EntryWindow::shown(grid.PropEdButton())) << c.what;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(grid.Cells(1, 1), c.expected) << c.what;
    EXPECT_EQ(w.dataSets.size(), c.raisesEvent ? 1u : 0u) << c.what;
    if (c.raisesEvent) {
        EXPECT_EQ(w.dataSets.front(), QPoint(1, 1)) << c.what;
    }
}

constexpr const char* kSpinRow = "Rate; %0.2f; m/s; Spin; 0; 10; 0.5";
constexpr const char* kSpinRowLowMax = "Rate; %0.2f; m/s; Spin; 0; 9.8; 0.5";
constexpr const char* kSpinRowNegative = "Rate; %0.2f; m/s; spin; -10; 10; 0.5";

INSTANTIATE_TEST_SUITE_P(
    Examples, EntryGridSpin,
    ::testing::Values(SpinCase{"up_off_grid", kSpinRow, "1.2", true, "1.50", true},
                      SpinCase{"up_on_grid", kSpinRow, "1.5", true, "2.00", true},
                      SpinCase{"up_to_max", kSpinRow, "9.8", true, "10.00", true},
                      SpinCase{"down_off_grid", kSpinRow, "1.2", false, "1.00", true},
                      SpinCase{"down_to_zero", kSpinRow, "0.3", false, "0.00", true},
                      SpinCase{"up_at_max", kSpinRow, "10", true, "10", false},
                      SpinCase{"down_at_min", kSpinRow, "0", false, "0", false},
                      SpinCase{"up_clamped", kSpinRowLowMax, "9.6", true, "9.80", true},
                      SpinCase{"down_negative", kSpinRowNegative, "-1.2", false, "-1.50", true},
                      SpinCase{"up_negative", kSpinRowNegative, "-1.2", true, "-1.00", true},
                      SpinCase{"text_cell", kSpinRow, "abc", true, "abc", false}),
    [](const ::testing::TestParamInfo<SpinCase>& info) { return std::string(info.param.what); });

TEST(TEntryGrid, SpinButtonsOfATextRowChangeNothing) {
    EntryWindow w({"P; V; U", "Rate; %0.2f; m/s; Spin; 0; 10; 0.5", "Name; %S; ; Spin"});
    TEntryGrid& grid = *w.grid;
    grid.SetCells(1, 1, "1.00");
    w.clickCell(1, 1);
    w.clickCell(1, 2);
    ASSERT_TRUE(EntryWindow::shown(grid.SpinUpButton()));
    QTest::mouseClick(grid.SpinUpButton(), Qt::LeftButton);
    EXPECT_EQ(grid.Cells(1, 1), "1.00") << "the spin acted on the row selected before";
    EXPECT_EQ(grid.Cells(1, 2), "");
    EXPECT_TRUE(w.dataSets.empty());
}

TEST(TEntryGrid, SpinButtonsSitAtTheRightEndOfTheValueCell) {
    EntryWindow w({"P; V; U", kSpinRow});
    TEntryGrid& grid = *w.grid;
    w.clickCell(1, 1);
    const QRect cell = grid.CellRect(1, 1);
    const QPoint cellTopRight =
        grid.viewport()->mapTo(w.window.get(), QPoint(cell.x() + cell.width(), cell.y()));
    EXPECT_EQ(grid.SpinUpButton()->geometry(),
              QRect(cellTopRight.x() - 16, cellTopRight.y(), 16, 8));
    EXPECT_EQ(grid.SpinDownButton()->geometry(),
              QRect(cellTopRight.x() - 16, cellTopRight.y() + 8, 16, 8));
    grid.SetColWidths(1, 100);
    EXPECT_EQ(grid.SpinUpButton()->geometry().right(), cellTopRight.x() + 100 - 68 - 1)
        << "the buttons did not follow the column width";
}

TEST(TEntryGrid, ButtonsAreMadeWhenARowFirstWantsThemAndSitInTheGridsParent) {
    // A grid that starts on a plain row shows without its four hidden buttons.
    EntryWindow w({"P; V; U", "Rate; %0.2f; m/s", kSpinRow});
    EXPECT_TRUE(w.window->findChildren<QToolButton*>().isEmpty());
    w.clickCell(1, 1);
    EXPECT_TRUE(w.window->findChildren<QToolButton*>().isEmpty()) << "a plain row wants none";
    w.clickCell(1, 2);
    EXPECT_EQ(w.window->findChildren<QToolButton*>().size(), 4);
    ASSERT_TRUE(EntryWindow::shown(w.grid->SpinUpButton()));
    EXPECT_EQ(w.grid->SpinUpButton()->parentWidget(), w.window.get());
    EXPECT_FALSE(EntryWindow::shown(w.grid->PullDownButton()));
}

TEST(TEntryGrid, PropertyEditorHandlerResults) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    int answer = 2;
    int calls = 0;
    grid.SetPropEditor(3, [&](Variant& value) {
        ++calls;
        EXPECT_EQ(value, Variant(0.0));
        value = 150.0;
        return answer;
    });
    w.clickCell(1, 3);
    ASSERT_TRUE(EntryWindow::shown(grid.PropEdButton())) << "SetPropEditor on an NPE row";
    QTest::mouseClick(grid.PropEdButton(), Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(grid.Cells(1, 3), "0.00");
    EXPECT_TRUE(w.dataSets.empty());

    answer = 1;
    QTest::mouseClick(grid.PropEdButton(), Qt::LeftButton);
    EXPECT_EQ(grid.Cells(1, 3), "150.00");
    EXPECT_EQ(w.dataSets, std::vector<QPoint>{QPoint(1, 3)});
    EXPECT_TRUE(grid.hasFocus());

    grid.SetPropEditor(9, [](Variant&) { return 1; });
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, "Error setting property editor, row 9");
    EXPECT_FALSE(w.messages[0].isError);
}

TEST(TEntryGrid, ValueAboveTheMaximumIsClampedWithABeepWhenLeavingTheCell) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    w.clickCell(1, 1);
    EXPECT_FALSE(w.editorShowing()) << "the first click opened the editor";
    w.clickCell(1, 1);
    ASSERT_TRUE(w.editorShowing());
    QTest::keyClicks(grid.InplaceEditor(), "5030");
    w.clickCell(1, 2);
    EXPECT_EQ(grid.Cells(1, 1), "5000.0000");
    EXPECT_EQ(w.beeps, 1);
    EXPECT_EQ(w.dataSets, std::vector<QPoint>{QPoint(1, 1)});
}

// A row shown in another unit: the selected row takes the new range for the very next edit,
// and keeps the property editor installed on it.
TEST(TEntryGrid, ReplacingTheSelectedRowsLineAppliesItsRangeAtOnceAndKeepsItsEditor) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    grid.SetPropEditor(1, [](Variant&) { return 0; });
    w.clickCell(1, 1);
    grid.SetLine(1, QStringLiteral("Water Flowrate; %0.1f; usgpm; NPE; 0.16; 79251.6"));
    EXPECT_EQ(grid.Cells(2, 1), "usgpm");
    ASSERT_NE(grid.Field(1), nullptr);
    EXPECT_EQ(grid.Field(1)->Kind, kFieldKindPropEditor);
    EXPECT_TRUE(EntryWindow::shown(grid.PropEdButton()));
    w.clickCell(1, 1);
    ASSERT_TRUE(w.editorShowing());
    QTest::keyClicks(grid.InplaceEditor(), "6000");
    w.clickCell(1, 2);
    EXPECT_EQ(grid.Cells(1, 1), "6000.0");
    EXPECT_EQ(w.beeps, 0) << "the old maximum of 5000 still held";
    grid.SetLine(9, QStringLiteral("x; %S; -")); // no such row: nothing happens
    EXPECT_EQ(grid.Lines().size(), kInputLines.size());
}

TEST(TEntryGrid, LeavingByKeyCommitsWithTheRowItWasOpenedFor) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    w.clickCell(1, 1);
    QTest::keyClicks(&grid, "5030");
    ASSERT_TRUE(w.editorShowing());
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Down);
    // Row 2 has three decimals and a maximum of 50; row 1's own rules apply to its value.
    EXPECT_EQ(grid.Cells(1, 1), "5000.0000");
    EXPECT_EQ(w.beeps, 1);
    EXPECT_EQ(w.dataSets, std::vector<QPoint>{QPoint(1, 1)});
    EXPECT_EQ(grid.EditedCell(), QPoint(1, 2));
}

TEST(TEntryGrid, SetUpLikeTheMainWindowItStillStartsInTheValueColumn) {
    test::ensureApplication();
    TEntryGrid grid;
    // The main window's set-up repeats the constructor's fixed column count.
    grid.SetColCount(3);
    grid.SetRowCount(6);
    grid.SetFixedCols(0);
    grid.SetLines(kInputLines);
    grid.Loaded();
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(1, 1));
}

TEST(TEntryGrid, TabOutOfTheEditorCommitsWithTheRangeCheck) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    w.other->setFocusPolicy(Qt::NoFocus);
    w.clickCell(1, 1);
    QTest::keyClicks(&grid, "6000");
    ASSERT_TRUE(w.editorShowing());
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid.Cells(1, 1), "5000.0000");
    EXPECT_EQ(w.beeps, 1);
    EXPECT_EQ(w.dataSets, std::vector<QPoint>{QPoint(1, 1)});
    EXPECT_FALSE(w.editorShowing());
}

TEST(TEntryGrid, EnterCommitsClosesTheEditorAndShowsTheRowButtonsAgain) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    grid.SetPropEditor(3, [](Variant&) { return 0; });
    w.clickCell(1, 3);
    ASSERT_TRUE(EntryWindow::shown(grid.PropEdButton()));
    QTest::keyClick(&grid, Qt::Key_Return);
    ASSERT_TRUE(w.editorShowing());
    EXPECT_FALSE(EntryWindow::shown(grid.PropEdButton())) << "the editor covers the button";
    QTest::keyClicks(grid.InplaceEditor(), "12.345");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    EXPECT_FALSE(w.editorShowing());
    EXPECT_EQ(grid.Cells(1, 3), "12.35");
    EXPECT_EQ(w.dataSets, std::vector<QPoint>{QPoint(1, 3)});
    EXPECT_TRUE(EntryWindow::shown(grid.PropEdButton()));
}

TEST(TEntryGrid, LeavingAnUnchangedCellStillRaisesDoSetData) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    w.clickCell(1, 2);
    w.clickCell(1, 2);
    ASSERT_TRUE(w.editorShowing());
    w.other->setFocus();
    EXPECT_FALSE(w.editorShowing());
    EXPECT_EQ(w.dataSets, std::vector<QPoint>{QPoint(1, 2)});
    EXPECT_EQ(grid.Cells(1, 2), "0.000");
    EXPECT_EQ(w.beeps, 0);
}

TEST(TEntryGrid, CaptionAndUnitCellsNeverOpenTheEditor) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    std::vector<QPoint> selected;
    grid.OnSelectCell = [&](QObject*, int c, int r, bool&) { selected.emplace_back(c, r); };
    for (int col : {0, 2}) {
        w.clickCell(col, 2);
        w.clickCell(col, 2);
        QTest::keyClick(&grid, Qt::Key_Return);
        QTest::keyClick(&grid, Qt::Key_F2);
        QTest::keyClicks(&grid, "7");
        EXPECT_FALSE(w.editorShowing()) << col;
        EXPECT_EQ(selected.back(), QPoint(col, 2));
    }
    EXPECT_EQ(grid.Cells(0, 2), "Water Velocity");
}

TEST(TEntryGrid, ChoicesCycleWithArrowsAndDoubleClick) {
    EntryWindow w({"P; V; U", "Mode; enum; ; Off; Low; High"});
    TEntryGrid& grid = *w.grid;
    w.clickCell(1, 1);
    EXPECT_TRUE(EntryWindow::shown(grid.PullDownButton()));
    grid.SetCells(1, 1, "High");
    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_EQ(grid.Cells(1, 1), "Off");
    QTest::keyClick(&grid, Qt::Key_Left);
    EXPECT_EQ(grid.Cells(1, 1), "High");
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(0, 1).center());
    EXPECT_EQ(grid.Cells(1, 1), "Off");
    EXPECT_EQ(w.dataSets, std::vector<QPoint>(3, QPoint(1, 1)));
    EXPECT_EQ(grid.Col(), 1) << "the arrows moved the current cell";
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_FALSE(w.editorShowing()) << "an enumerated row has no editor";
}

TEST(TEntryGrid, ChoiceListHeightFollowsTheChoiceCount) {
    struct Case {
        QString line;
        int itemHeights;
    };
    const std::vector<Case> cases = {{"Mode; enum; ; A; B", 3},
                                     {"Mode; enum; ; A; B; C; D; E; F; G; H; I", 6}};
    for (const Case& c : cases) {
        EntryWindow w({"P; V; U", c.line});
        TEntryGrid& grid = *w.grid;
        w.clickCell(1, 1);
        ASSERT_TRUE(EntryWindow::shown(grid.PullDownButton()));
        QTest::mouseClick(grid.PullDownButton(), Qt::LeftButton);
        ASSERT_TRUE(EntryWindow::shown(grid.ChoiceList())) << c.line.toStdString();
        EXPECT_EQ(grid.ChoiceList()->height(), c.itemHeights * grid.DefaultRowHeight())
            << c.line.toStdString();
        EXPECT_EQ(grid.ChoiceList()->currentRow(), 0);
        const QPoint below = grid.viewport()->mapToGlobal(grid.CellRect(1, 1).bottomLeft());
        EXPECT_EQ(grid.ChoiceList()->geometry().top(), below.y() + 2) << "not below the cell";

        // A key in the list takes the choice.
        QTest::keyClick(grid.ChoiceList(), Qt::Key_Down);
        EXPECT_EQ(grid.Cells(1, 1), "B");
        EXPECT_FALSE(w.dataSets.empty());
        QTest::keyClick(grid.ChoiceList(), Qt::Key_Escape);
        EXPECT_FALSE(EntryWindow::shown(grid.ChoiceList()));
    }
}

TEST(TEntryGrid, UnitClickGoesToTheHookThenRaisesAfterRightClick) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    std::vector<std::string> calls;
    grid.UnitClickHook = [&](TEntryGrid* sender, int row, int, int, TField& field) {
        EXPECT_EQ(sender, &grid);
        calls.push_back("hook " + std::to_string(row));
        field.Format = "%0.1f";
    };
    grid.OnAfterRightClick = [&](QObject*, int row) {
        calls.push_back("after " + std::to_string(row));
    };
    grid.SetCells(1, 2, "1.25");
    w.clickCell(2, 2);
    EXPECT_EQ(calls, (std::vector<std::string>{"hook 2", "after 2"}));
    EXPECT_EQ(grid.Cells(1, 2), "1.3") << "the value was not rewritten in the new format";
    EXPECT_TRUE(w.dataSets.empty());
    EXPECT_FALSE(w.editorShowing());
}

TEST(TEntryGrid, FocusEntryReselectsSoTheFirstPressNeverOpensTheEditor) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    grid.FocusCell(1, 1);
    w.other->setFocus();
    std::vector<QPoint> selected;
    grid.OnSelectCell = [&](QObject*, int c, int r, bool&) { selected.emplace_back(c, r); };
    w.clickCell(1, 1); // the current cell: the press that brings the focus only selects
    EXPECT_FALSE(w.editorShowing());
    EXPECT_GE(selected.size(), 1u);
    w.clickCell(1, 1);
    EXPECT_TRUE(w.editorShowing());
}

TEST(TEntryGrid, ValueColumnIsFilledWithColorEditColOnlyWhenItDiffers) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    const QColor grey = grid.palette().color(QPalette::Button);
    const QColor white = grid.palette().color(QPalette::Base);
    grid.SetColor(grey);
    grid.SetColorEditCol(grey);
    grid.FocusCell(1, 1);
    auto colourAt = [&](int col, int row) {
        QImage image(grid.viewport()->size(), QImage::Format_RGB32);
        grid.viewport()->render(&image);
        // A corner pixel, away from the text.
        return image.pixelColor(grid.CellRect(col, row).bottomRight() - QPoint(1, 1));
    };
    EXPECT_EQ(colourAt(1, 3), grey);
    grid.SetColorEditCol(white);
    EXPECT_EQ(colourAt(1, 3), white);
    EXPECT_EQ(colourAt(0, 3), grey);
    EXPECT_EQ(colourAt(1, 1), white) << "the focused value cell is not highlighted";
    w.other->setFocus();
    EXPECT_EQ(colourAt(1, 1), white);
}

TEST(TEntryGrid, AMarkedRowShowsItsValueInTheMarkColourAndItsTipOnHover) {
    EntryWindow w;
    TEntryGrid& grid = *w.grid;
    grid.SetCells(1, 2, "63661.98");
    grid.SetCells(1, 3, "10.00");
    auto render = [&] {
        QImage image(grid.viewport()->size(), QImage::Format_RGB32);
        grid.viewport()->render(&image);
        return image;
    };
    // Pixels of the text drawn in a pure red, whatever the smoothing of the glyphs' edges.
    auto redPixels = [](const QImage& image, const QRect& cell) {
        int count = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        return count;
    };
    auto tipOver = [&](int row) {
        QToolTip::hideText(); // hides after a short delay
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        const QPoint at = grid.CellRect(0, row).center();
        QHelpEvent help(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    const QImage unmarked = render();
    EXPECT_EQ(redPixels(unmarked, grid.CellRect(1, 2)), 0);
    EXPECT_EQ(tipOver(2), "");

    grid.SetRowMark(2, QColor(255, 0, 0), "The velocity is out of range.");
    EXPECT_EQ(grid.RowMarkTip(2), "The velocity is out of range.");
    EXPECT_EQ(grid.RowMarkColour(2), QColor(255, 0, 0));
    EXPECT_FALSE(grid.RowMarkColour(3).isValid());
    const QImage marked = render();
    EXPECT_GT(redPixels(marked, grid.CellRect(1, 2)), 0);
    EXPECT_EQ(redPixels(marked, grid.CellRect(0, 2)), 0) << "the caption keeps its colour";
    EXPECT_EQ(redPixels(marked, grid.CellRect(1, 3)), 0);
    EXPECT_EQ(grid.Cells(1, 2), "63661.98") << "the text itself never changes";
    EXPECT_EQ(tipOver(2), "The velocity is out of range.");
    EXPECT_EQ(tipOver(3), "");

    grid.SetRowMark(2, QColor(), QString());
    EXPECT_EQ(render(), unmarked) << "an unmarked grid looks as it did";
    EXPECT_EQ(tipOver(2), "");
}

} // namespace
} // namespace corvel
