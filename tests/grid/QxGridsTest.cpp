#include "grid/QxGrids.h"
#include "grid/QxInplaceEdit.h"

#include "GridTestSupport.h"
#include "platform/Beep.h"

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace corvel {
namespace {

using test::GridWindow;

/// Runs `action` and returns the message of the EInvalidGridOperation it raised ("" for none).
std::string gridError(const std::function<void()>& action) {
    try {
        action();
    } catch (const EInvalidGridOperation& e) {
        return e.message();
    }
    return {};
}

TEST(QxDrawGrid, StartsWithItsCreationValues) {
    test::ensureApplication();
    QxStringGrid grid;
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.FixedCols(), 1);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.DefaultColWidth(), 64);
    EXPECT_EQ(grid.DefaultRowHeight(), 16);
    EXPECT_EQ(grid.DefaultColFormatStr(), "%S");
    EXPECT_EQ(grid.GridLineWidth(), 1);
    EXPECT_EQ(grid.Options(), QxGridFirstFiveOptions | xgoEditing);
    EXPECT_EQ(grid.BorderStyle(), QxBorderStyle::Single);
    EXPECT_EQ(grid.ScrollBars(), QxScrollStyle::Both);
    EXPECT_TRUE(grid.DefaultDrawing());
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_FALSE(grid.AlwaysShowCell());
    EXPECT_EQ(grid.size(), QSize(5 * 64, 5 * 16));
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(1, 1));
}

TEST(QxDrawGrid, FormatStringsKeepTwelveCharactersAndDefaultDropsColumnFormats) {
    test::ensureApplication();
    QxStringGrid grid;
    grid.SetColFormatStr(2, "%0.1f/%0.1f+++");
    EXPECT_EQ(grid.ColFormatStr(2), "%0.1f/%0.1f+");
    EXPECT_EQ(grid.ColFormatStr(3), "%S");
    grid.SetDefaultColFormatStr("%0.4f__________"); // 15 characters
    EXPECT_EQ(grid.DefaultColFormatStr(), "%0.4f_______");
    EXPECT_EQ(grid.ColFormatStr(2), "%0.4f_______");
}

TEST(QxDrawGrid, BadIndexesAndCountsRaiseTheGridError) {
    test::ensureApplication();
    QxStringGrid grid;
    struct Case {
        const char* what;
        std::function<void()> action;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"width of a missing column", [&] { grid.SetColWidths(5, 10); }, "Grid index out of range"},
        {"height of a missing row", [&] { grid.RowHeights(-1); }, "Grid index out of range"},
        {"cell beyond the columns", [&] { grid.Cells(5, 0); }, "Grid index out of range"},
        {"cell above the rows", [&] { grid.SetCells(0, -1, "x"); }, "Grid index out of range"},
        {"current column beyond", [&] { grid.SetCol(7); }, "Grid index out of range"},
        {"move of a missing row", [&] { grid.MoveRow(0, 5); }, "Grid index out of range"},
        {"fixed columns", [&] { grid.SetFixedCols(5); },
         "Fixed column count must be less than column count"},
        {"fixed rows", [&] { grid.SetFixedRows(9); },
         "Fixed row count must be less than row count"},
        {"no rows", [&] { grid.SetRowCount(0); }, "Too many rows or columns deleted"},
        {"huge grid", [&] { grid.SetColCount(1 << 30); }, "Grid too large for operation"},
        {"insert into a row view", [&] { grid.Rows(1).Insert(0, "x"); },
         "Cannot insert or delete rows from grid"},
        {"delete from a column view", [&] { grid.Cols(1).Delete(0); },
         "Cannot insert or delete rows from grid"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gridError(c.action), c.message) << c.what;
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.RowCount(), 5);
}

TEST(QxStringGrid, AFarCellCreatesOnlyItsRowAndItsViews) {
    test::ensureApplication();
    QxStringGrid grid;
    grid.SetRowCount(2000);
    grid.SetCells(3, 1000, "far");
    EXPECT_EQ(grid.Cells(3, 1000), "far");
    EXPECT_EQ(grid.StoredRowCount(), 1u);
    EXPECT_EQ(grid.StoredCellCount(), 1u);
    EXPECT_EQ(grid.RowViewCount(), 1u);
    EXPECT_EQ(grid.ColViewCount(), 1u);
    for (int row : {0, 999, 1001, 1999})
        for (int col = 0; col < grid.ColCount(); ++col)
            EXPECT_TRUE(grid.Cells(col, row).isEmpty()) << col << "," << row;
    EXPECT_EQ(grid.Rows(1000).ToStringList(), QStringList({"", "", "", "far", ""}));
    EXPECT_EQ(grid.Cols(3).Get(1000), "far");
}

TEST(QxStringGrid, ObjectOnAnUnwrittenCellIsRefused) {
    test::ensureApplication();
    QxStringGrid grid;
    int marker = 0;
    try {
        grid.SetObjects(2, 2, &marker);
        FAIL() << "no error raised";
    } catch (const EStringSparseListError& e) {
        EXPECT_EQ(e.message(), "PutObject to undefined item");
    }
    grid.SetCells(2, 2, "x");
    grid.SetObjects(2, 2, &marker);
    EXPECT_EQ(grid.Objects(2, 2), &marker);
}

TEST(QxStringGrid, DeleteRowMovesTheFollowingRowsUp) {
    test::ensureApplication();
    QxStringGrid grid;
    for (int r = 0; r < 5; ++r)
        grid.SetCells(0, r, QString("row %1").arg(r));
    grid.SetRowHeights(3, 30);
    grid.DeleteRow(1);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Cols(0).ToStringList(), QStringList({"row 0", "row 2", "row 3", "row 4"}));
    EXPECT_EQ(grid.RowHeights(2), 30); // the height moved with its row
}

TEST(QxStringGrid, RowAssignmentTakesOnlyAsManyLinesAsColumns) {
    test::ensureApplication();
    QxStringGrid grid;
    grid.SetColCount(3);
    grid.SetRows(0, {"a", "b", "c", "d", "e"});
    EXPECT_EQ(grid.Rows(0).ToStringList(), QStringList({"a", "b", "c"}));
    EXPECT_EQ(grid.Rows(0).Add("z"), -1);
    grid.Rows(0).Clear();
    EXPECT_EQ(grid.Rows(0).Add("z"), 0);
}

TEST(QxStringGrid, MovingAColumnMovesItsCellsWidthAndFormat) {
    test::ensureApplication();
    QxStringGrid grid;
    grid.SetRows(1, {"a", "b", "c", "d", "e"});
    grid.SetColWidths(1, 99);
    grid.SetColFormatStr(1, "%d");
    std::vector<std::pair<int, int>> moves;
    grid.OnColumnMoved = [&](QObject*, int from, int to) { moves.emplace_back(from, to); };
    grid.MoveColumn(1, 3);
    EXPECT_EQ(grid.Rows(1).ToStringList(), QStringList({"a", "c", "d", "b", "e"}));
    EXPECT_EQ(grid.ColWidths(3), 99);
    EXPECT_EQ(grid.ColFormatStr(3), "%d");
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{1, 3}}));
}

TEST(QxCustomGrid, MouseCoordFindsTheCellOfEveryCellRect) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetColWidths(2, 30);
    grid.SetRowHeights(3, 40);
    grid.SetGridLineWidth(2);
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColCount(); ++c) {
            const QRect rect = grid.CellRect(c, r);
            ASSERT_FALSE(rect.isEmpty()) << c << "," << r;
            EXPECT_EQ(grid.MouseCoord(rect.left(), rect.top()), QPoint(c, r));
            EXPECT_EQ(grid.MouseCoord(rect.right(), rect.bottom()), QPoint(c, r));
        }
    }
    EXPECT_EQ(grid.CellRect(2, 3).size(), QSize(30, 40));
    EXPECT_EQ(grid.MouseCoord(-1, 5), QPoint(-1, -1));
    EXPECT_EQ(grid.MouseCoord(5000, 5), QPoint(-1, -1));
}

struct KeyCase {
    const char* what;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QxGridOptions extraOptions;
    QPoint expected;
};

class GridKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(GridKeys, MoveTheCurrentCell) {
    const KeyCase& k = GetParam();
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetRowCount(50);
    grid.SetColCount(6);
    grid.SetOptions(grid.Options() | k.extraOptions);
    grid.FocusCell(2, 10);
    QTest::keyClick(&grid, k.key, k.modifiers);
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), k.expected) << k.what;
    EXPECT_FALSE(grid.EditorMode()) << k.what;
}

INSTANTIATE_TEST_SUITE_P(
    Navigation, GridKeys,
    ::testing::Values(KeyCase{"up", Qt::Key_Up, {}, {}, {2, 9}},
                      KeyCase{"down", Qt::Key_Down, {}, {}, {2, 11}},
                      KeyCase{"left", Qt::Key_Left, {}, {}, {1, 10}},
                      KeyCase{"right", Qt::Key_Right, {}, {}, {3, 10}},
                      KeyCase{"home", Qt::Key_Home, {}, {}, {1, 10}},
                      KeyCase{"end", Qt::Key_End, {}, {}, {5, 10}},
                      KeyCase{"ctrl_home", Qt::Key_Home, Qt::ControlModifier, {}, {1, 1}},
                      KeyCase{"ctrl_end", Qt::Key_End, Qt::ControlModifier, {}, {5, 49}},
                      KeyCase{"tab", Qt::Key_Tab, {}, xgoTabs, {3, 10}},
                      KeyCase{"shift_tab", Qt::Key_Backtab, Qt::ShiftModifier, xgoTabs, {1, 10}}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.what); });

TEST(QxCustomGrid, PageKeysMoveByAScreenfulAndScrollTheView) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetRowCount(200);
    int topLeftChanges = 0;
    grid.OnTopLeftChanged = [&](QObject*) { ++topLeftChanges; };
    const int page = grid.VisibleRowCount();
    ASSERT_GT(page, 2);
    QTest::keyClick(&grid, Qt::Key_PageDown);
    EXPECT_EQ(grid.Row(), 1 + page);
    QTest::keyClick(&grid, Qt::Key_PageDown);
    EXPECT_EQ(grid.Row(), 1 + 2 * page);
    EXPECT_GT(grid.TopRow(), 1);
    EXPECT_GT(topLeftChanges, 0);
    EXPECT_FALSE(grid.CellRect(grid.Col(), grid.Row()).isEmpty()) << "current cell scrolled away";
    QTest::keyClick(&grid, Qt::Key_PageUp);
    QTest::keyClick(&grid, Qt::Key_PageUp);
    QTest::keyClick(&grid, Qt::Key_PageUp);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.TopRow(), 1);
}

TEST(QxCustomGrid, ShiftArrowsExtendTheSelectionFromTheAnchor) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.FocusCell(1, 1);
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid.Selection(), (QxGridRect{1, 1, 2, 2}));
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Selection(), (QxGridRect{2, 3, 2, 3}));
}

TEST(QxCustomGrid, FirstPressSelectsSecondOpensTheEditorThenOtherCellsOpenAtOnce) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetCells(2, 2, "22");
    grid.SetCells(3, 3, "33");
    std::vector<QPoint> selected;
    grid.OnSelectCell = [&](QObject*, int c, int r, bool&) { selected.emplace_back(c, r); };

    w.clickCell(2, 2);
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(2, 2));
    EXPECT_FALSE(w.editorShowing()) << "the first press opened the editor";
    EXPECT_EQ(selected.back(), QPoint(2, 2));

    w.clickCell(2, 2);
    ASSERT_TRUE(w.editorShowing()) << "the second press did not open the editor";
    EXPECT_EQ(grid.InplaceEditor()->text(), "22");
    EXPECT_EQ(grid.InplaceEditor()->selectedText(), "22");
    EXPECT_TRUE(grid.InplaceEditor()->hasFocus());

    w.clickCell(3, 3);
    ASSERT_TRUE(w.editorShowing()) << "a press on another cell did not open the editor at once";
    EXPECT_EQ(grid.EditedCell(), QPoint(3, 3));
    EXPECT_EQ(grid.InplaceEditor()->text(), "33");

    // Once the grid has lost the focus, the next press only selects again.
    w.other->setFocus();
    EXPECT_FALSE(w.editorShowing());
    EXPECT_FALSE(grid.EditorMode());
    w.clickCell(2, 3);
    EXPECT_FALSE(w.editorShowing());
}

TEST(QxCustomGrid, CommittingAnUnchangedEditorStillRaisesDoSetData) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetCells(2, 2, "same");
    std::vector<QPoint> dataSets;
    int setEditTexts = 0;
    grid.OnDoSetData = [&](QObject* sender, int c, int r) {
        EXPECT_EQ(sender, &grid);
        dataSets.emplace_back(c, r);
    };
    grid.OnSetEditText = [&](QObject*, int, int, const QString& value) {
        EXPECT_EQ(value, "same");
        ++setEditTexts;
    };
    grid.FocusCell(2, 2);
    QTest::keyClick(&grid, Qt::Key_F2);
    ASSERT_TRUE(w.editorShowing());
    EXPECT_FALSE(grid.InplaceEditor()->hasSelectedText()) << "F2 should put the caret at the end";
    EXPECT_EQ(grid.InplaceEditor()->cursorPosition(), 4);
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Down); // leave the cell
    EXPECT_EQ(dataSets, std::vector<QPoint>{QPoint(2, 2)});
    EXPECT_EQ(setEditTexts, 1);
    EXPECT_EQ(grid.Cells(2, 2), "same");
    EXPECT_EQ(grid.EditedCell(), QPoint(2, 3)) << "the editor should follow the current cell";
}

TEST(QxCustomGrid, EnterOpensTheEditorThenCommitsAndSelectsTheCellAgain) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.FocusCell(3, 2);
    std::vector<QPoint> selected;
    std::vector<QPoint> dataSets;
    grid.OnSelectCell = [&](QObject*, int c, int r, bool&) { selected.emplace_back(c, r); };
    grid.OnDoSetData = [&](QObject*, int c, int r) { dataSets.emplace_back(c, r); };

    QTest::keyClick(&grid, Qt::Key_Return);
    ASSERT_TRUE(w.editorShowing());
    QTest::keyClicks(grid.InplaceEditor(), "4.5");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);

    EXPECT_FALSE(w.editorShowing());
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_TRUE(grid.hasFocus());
    EXPECT_EQ(grid.Cells(3, 2), "4.5");
    EXPECT_EQ(dataSets, std::vector<QPoint>{QPoint(3, 2)});
    EXPECT_EQ(selected, std::vector<QPoint>{QPoint(3, 2)}) << "Enter must select the cell again";
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(3, 2));
}

TEST(QxCustomGrid, SettingTheFixedCountsTheyAlreadyHaveKeepsTheCurrentCell) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.FocusCell(3, 4);
    grid.SetFixedCols(1);
    grid.SetFixedRows(1);
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(3, 4));
    grid.SetFixedCols(2);
    EXPECT_EQ(grid.Col(), 2) << "a new fixed count still starts at the first free column";
}

struct TabCase {
    const char* what;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

class TabOutOfTheEditor : public ::testing::TestWithParam<TabCase> {};

/// With no other control to take the focus, the focus stays in the grid: the Tab key alone has
/// to commit, exactly as Enter does.
TEST_P(TabOutOfTheEditor, CommitsAsEnterDoesWhenTheFocusStaysInTheGrid) {
    const TabCase& tab = GetParam();
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    w.other->setFocusPolicy(Qt::NoFocus);
    std::vector<QPoint> dataSets;
    std::vector<QPoint> selected;
    grid.OnDoSetData = [&](QObject*, int c, int r) { dataSets.emplace_back(c, r); };
    grid.FocusCell(2, 3);
    grid.OnSelectCell = [&](QObject*, int c, int r, bool&) { selected.emplace_back(c, r); };
    QTest::keyClicks(&grid, "40");
    ASSERT_TRUE(w.editorShowing());
    QTest::keyClick(grid.InplaceEditor(), tab.key, tab.modifiers);

    EXPECT_EQ(grid.Cells(2, 3), "40") << tab.what;
    EXPECT_EQ(dataSets, std::vector<QPoint>{QPoint(2, 3)}) << tab.what;
    EXPECT_EQ(selected, std::vector<QPoint>{QPoint(2, 3)}) << tab.what;
    EXPECT_FALSE(w.editorShowing()) << tab.what;
    EXPECT_FALSE(grid.EditorMode()) << tab.what;
    EXPECT_TRUE(grid.hasFocus()) << tab.what;
    // Typing starts a fresh entry instead of appending to the committed one.
    QTest::keyClicks(&grid, "7");
    ASSERT_TRUE(w.editorShowing()) << tab.what;
    EXPECT_EQ(grid.InplaceEditor()->text(), "7") << tab.what;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TabOutOfTheEditor,
    ::testing::Values(TabCase{"tab", Qt::Key_Tab, {}},
                      TabCase{"shift_tab", Qt::Key_Backtab, Qt::ShiftModifier}),
    [](const ::testing::TestParamInfo<TabCase>& info) { return std::string(info.param.what); });

TEST(QxCustomGrid, TabBetweenCellsCommitsTheEditedCellAndEditsTheNext) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetOptions(grid.Options() | xgoTabs);
    std::vector<QPoint> dataSets;
    grid.OnDoSetData = [&](QObject*, int c, int r) { dataSets.emplace_back(c, r); };
    grid.FocusCell(2, 3);
    QTest::keyClicks(&grid, "40");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid.Cells(2, 3), "40");
    EXPECT_EQ(dataSets, std::vector<QPoint>{QPoint(2, 3)});
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(3, 3));
    EXPECT_EQ(grid.EditedCell(), QPoint(3, 3)) << "editor mode stays on for the next cell";
}

TEST(QxCustomGrid, CommitEditorCommitsAnOpenEditorAndIgnoresAClosedOne) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    std::vector<QPoint> dataSets;
    grid.OnDoSetData = [&](QObject*, int c, int r) { dataSets.emplace_back(c, r); };
    grid.CommitEditor();
    EXPECT_TRUE(dataSets.empty()) << "no editor, nothing to commit";
    grid.FocusCell(1, 2);
    QTest::keyClicks(&grid, "12");
    grid.CommitEditor();
    EXPECT_EQ(grid.Cells(1, 2), "12");
    EXPECT_EQ(dataSets, std::vector<QPoint>{QPoint(1, 2)});
    EXPECT_FALSE(w.editorShowing());
    EXPECT_TRUE(grid.hasFocus());
    grid.CommitEditor();
    EXPECT_EQ(dataSets.size(), 1u);
}

TEST(QxCustomGrid, TypingOnASelectedCellOpensTheEditorWithThatCharacter) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetCells(1, 1, "old");
    grid.FocusCell(1, 1);
    QTest::keyClicks(&grid, "7x");
    ASSERT_TRUE(w.editorShowing());
    EXPECT_EQ(grid.InplaceEditor()->text(), "7x");
    EXPECT_EQ(grid.Cells(1, 1), "old") << "the cell changed before the commit";
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Tab); // without xgoTabs: focus leaves the grid
    EXPECT_EQ(grid.Cells(1, 1), "7x");
    EXPECT_FALSE(w.editorShowing());
}

TEST(QxCustomGrid, NoEditorWithoutTheEditingOptionOrWithRowSelect) {
    for (QxGridOptions options :
         {QxGridFirstFiveOptions, QxGridFirstFiveOptions | xgoEditing | xgoRowSelect}) {
        GridWindow w;
        QxStringGrid& grid = *w.grid;
        grid.SetOptions(options);
        w.clickCell(2, 2);
        w.clickCell(2, 2);
        QTest::keyClick(&grid, Qt::Key_Return);
        QTest::keyClicks(&grid, "5");
        EXPECT_FALSE(w.editorShowing());
    }
}

TEST(QxDrawGrid, CanEditShowHandlerCanRefuseTheEditor) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.OnCanEditShow = [](QObject*, int col, int, bool& canShow) {
        canShow = canShow && col != 2;
    };
    w.clickCell(2, 2);
    w.clickCell(2, 2);
    EXPECT_FALSE(w.editorShowing());
    w.clickCell(3, 2);
    w.clickCell(3, 2);
    EXPECT_TRUE(w.editorShowing());
}

TEST(QxStringGrid, WritingTheEditedCellFromOutsideReloadsTheEditor) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.FocusCell(2, 2);
    QTest::keyClick(&grid, Qt::Key_F2);
    ASSERT_TRUE(w.editorShowing());
    grid.SetCells(2, 2, "from outside");
    EXPECT_EQ(grid.InplaceEditor()->text(), "from outside");
    grid.SetCells(3, 2, "elsewhere");
    EXPECT_EQ(grid.InplaceEditor()->text(), "from outside");
}

TEST(QxStringGrid, DataSetHandlerMayRewriteTheCommittedCell) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.OnDoSetData = [&](QObject*, int c, int r) {
        grid.SetCells(c, r, "[" + grid.Cells(c, r) + "]");
    };
    grid.FocusCell(2, 2);
    QTest::keyClicks(&grid, "9");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    EXPECT_EQ(grid.Cells(2, 2), "[9]");
    EXPECT_FALSE(w.editorShowing());
}

/// An editor that records how the grid drives it.
class RecordingEditor : public QLineEdit, public QxGridEditor {
public:
    explicit RecordingEditor(QWidget* parent) : QLineEdit(parent) {}
    void GridEditFormat(const QString& format) override { log.push_back("format " + format); }
    void GridValidateEdit() override {
        log.push_back("validate " + text());
        setText(text().toUpper());
    }
    void GridEnterEdit() override { log.push_back("enter " + text()); }
    std::vector<QString> log;
};

class RecordingGrid : public QxStringGrid {
public:
    using QxStringGrid::QxStringGrid;
    RecordingEditor* editor = nullptr;

protected:
    QLineEdit* CreateEditor() override { return editor = new RecordingEditor(viewport()); }
    int GetEditLimit() override { return 6; }
};

TEST(QxCustomGrid, EditorGetsTheColumnFormatAndValidatesBeforeTheCommit) {
    test::ensureApplication();
    QWidget window;
    auto* grid = new RecordingGrid(&window);
    grid->setGeometry(0, 0, 360, 200);
    window.resize(400, 260);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    grid->SetColFormatStr(2, "%0.2f");
    grid->SetCells(2, 1, "ab");
    grid->FocusCell(2, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_NE(grid->editor, nullptr);
    EXPECT_EQ(grid->editor->maxLength(), 6);
    QTest::keyClick(grid->editor, Qt::Key_End);
    QTest::keyClicks(grid->editor, "cdefgh");
    EXPECT_EQ(grid->editor->text(), "abcdef") << "the length limit was not applied";
    QTest::keyClick(grid->editor, Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, 1), "ABCDEF");
    EXPECT_EQ(grid->editor->log, (std::vector<QString>{"format %0.2f", "enter ab", "format %0.2f",
                                                       "validate abcdef"}));
}

TEST(QxCustomGrid, DraggingAColumnBorderInTheFixedRowResizesTheColumn) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetOptions(grid.Options() | xgoColSizing);
    int widthChanges = 0;
    grid.OnColWidthsChanged = [&](QObject*) { ++widthChanges; };
    const QRect header = grid.CellRect(1, 0);
    const QPoint border(header.right() + 1, header.center().y());
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border);
    QMouseEvent move(QEvent::MouseMove, QPointF(border + QPoint(20, 0)),
                     grid.viewport()->mapToGlobal(QPointF(border + QPoint(20, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border + QPoint(20, 0));
    EXPECT_EQ(grid.ColWidths(1), 64 + 20);
    EXPECT_EQ(widthChanges, 1);
    EXPECT_EQ(grid.ColWidths(2), 64);
}

TEST(QxCustomGrid, DraggingAFixedColumnHeaderMovesTheColumn) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetOptions(grid.Options() | xgoColMoving);
    grid.SetRows(0, {"", "a", "b", "c", "d"});
    std::vector<std::pair<int, int>> moves;
    grid.OnColumnMoved = [&](QObject*, int from, int to) { moves.emplace_back(from, to); };
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 0).center());
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(3, 0).center());
    EXPECT_EQ(grid.Rows(0).ToStringList(), QStringList({"", "b", "c", "a", "d"}));
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{1, 3}}));
}

TEST(QxCustomGrid, DraggingWithoutEditingSelectsARange) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetOptions(QxGridFirstFiveOptions);
    int clicks = 0;
    grid.OnClick = [&](QObject*) { ++clicks; };
    const QPoint from = grid.CellRect(1, 1).center();
    const QPoint to = grid.CellRect(3, 3).center();
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), grid.viewport()->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(grid.Selection(), (QxGridRect{1, 1, 3, 3}));
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(3, 3));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(w.editorShowing());
    // Shift extends from the anchor.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      grid.CellRect(2, 4).center());
    EXPECT_EQ(grid.Selection(), (QxGridRect{1, 1, 2, 4}));
}

TEST(QxCustomGrid, NoSizingWithoutTheOption) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetOptions(grid.Options() & ~QxGridOptions(xgoColSizing));
    const QRect header = grid.CellRect(1, 0);
    const QPoint border(header.right() + 1, header.center().y());
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border + QPoint(20, 0));
    EXPECT_EQ(grid.ColWidths(1), 64);
}

TEST(QxStringGrid, UnfocusedGridShowsNoHighlightUnlessAlwaysShowCell) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.FocusCell(2, 2);
    grid.SetSelection({2, 2, 3, 3});
    const QPoint probe = grid.CellRect(3, 3).center();
    const QColor highlight = grid.palette().color(QPalette::Highlight);
    auto colourAtProbe = [&] {
        QImage image(grid.viewport()->size(), QImage::Format_RGB32);
        grid.viewport()->render(&image);
        return image.pixelColor(probe);
    };
    EXPECT_EQ(colourAtProbe(), highlight) << "a focused grid shows its selection";
    w.other->setFocus();
    EXPECT_EQ(colourAtProbe(), grid.Color());
    grid.SetAlwaysShowCell(true);
    EXPECT_EQ(colourAtProbe(), highlight);
}

TEST(QxDrawGrid, DrawCellEventGetsEveryVisibleCellWithItsState) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.FocusCell(2, 3);
    std::vector<std::pair<QPoint, QxGridDrawState>> drawn;
    grid.OnDrawCell = [&](QObject*, int c, int r, const QRect& rect, QxGridDrawState state) {
        EXPECT_EQ(rect, grid.CellRect(c, r));
        EXPECT_NE(grid.Canvas(), nullptr);
        drawn.emplace_back(QPoint(c, r), state);
    };
    QImage image(grid.viewport()->size(), QImage::Format_RGB32);
    grid.viewport()->render(&image);
    ASSERT_EQ(drawn.size(), 25u);
    for (const auto& [cell, state] : drawn) {
        const bool fixed = cell.x() == 0 || cell.y() == 0;
        EXPECT_EQ(bool(state & gdFixed), fixed) << cell.x() << "," << cell.y();
        EXPECT_EQ(bool(state & gdFocused), cell == QPoint(2, 3)) << cell.x() << "," << cell.y();
        EXPECT_EQ(bool(state & gdSelected), cell == QPoint(2, 3)) << cell.x() << "," << cell.y();
    }
}

TEST(QxCustomGrid, RefusedSelectionKeepsTheCurrentCell) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.OnSelectCell = [](QObject*, int col, int, bool& canSelect) { canSelect = col != 3; };
    grid.FocusCell(2, 2);
    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(2, 2));
    w.clickCell(3, 3);
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(2, 2));
}

TEST(QxCustomGrid, ShrinkingTheGridCommitsAndClampsTheCurrentCell) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.FocusCell(4, 4);
    QTest::keyClicks(&grid, "x");
    ASSERT_TRUE(w.editorShowing());
    std::vector<QPoint> dataSets;
    grid.OnDoSetData = [&](QObject*, int c, int r) { dataSets.emplace_back(c, r); };
    grid.SetRowCount(3);
    EXPECT_EQ(dataSets, std::vector<QPoint>{QPoint(4, 4)});
    EXPECT_EQ(grid.Row(), 2);
    grid.SetRowCount(5);
    EXPECT_EQ(grid.Cells(4, 4), "x") << "storage keeps cells beyond a shrunk grid";
}

/// Counts message beeps while it lives.
struct BeepCounter {
    BeepCounter() : previous(SetBeepHook([this] { ++count; })) {}
    ~BeepCounter() { SetBeepHook(previous); }
    int count = 0;
    BeepHook previous;
};

TEST(QxInplaceEdit, FiltersTypingByTheColumnFormatAndFormatsOnCommit) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    BeepCounter beeps;
    grid.SetColFormatStr(2, "%0.2f");
    grid.FocusCell(2, 2);
    QTest::keyClicks(&grid, "1x2");
    ASSERT_TRUE(w.editorShowing());
    ASSERT_NE(dynamic_cast<QxInplaceEdit*>(grid.InplaceEditor()), nullptr);
    EXPECT_EQ(grid.InplaceEditor()->text(), "12");
    EXPECT_EQ(beeps.count, 1);
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    EXPECT_EQ(grid.Cells(2, 2), "12.00");
    EXPECT_EQ(beeps.count, 1);
}

TEST(QxInplaceEdit, EscapeRestoresTheTextOfTheCell) {
    GridWindow w;
    QxStringGrid& grid = *w.grid;
    grid.SetCells(1, 1, "kept");
    grid.FocusCell(1, 1);
    QTest::keyClick(&grid, Qt::Key_F2);
    QTest::keyClicks(grid.InplaceEditor(), "zz");
    EXPECT_EQ(grid.InplaceEditor()->text(), "keptzz");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Escape);
    EXPECT_EQ(grid.InplaceEditor()->text(), "kept");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    EXPECT_EQ(grid.Cells(1, 1), "kept");
}

/// A grid that limits its editor the way the entry grid limits a numeric row.
class RangeGrid : public QxStringGrid {
public:
    using QxStringGrid::QxStringGrid;

protected:
    void UpdateEditContents() override {
        QxStringGrid::UpdateEditContents();
        auto* editor = static_cast<QxInplaceEdit*>(InplaceEditor());
        editor->SetLowLimit(0.01);
        editor->SetHighLimit(5000);
    }
};

TEST(QxInplaceEdit, ValueAboveTheMaximumIsClampedWithABeepOnLeavingTheCell) {
    test::ensureApplication();
    QWidget window;
    auto* grid = new RangeGrid(&window);
    grid->setGeometry(0, 0, 360, 200);
    window.resize(400, 260);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    grid->SetColFormatStr(1, "%0.4f");
    std::vector<QPoint> dataSets;
    grid->OnDoSetData = [&](QObject*, int c, int r) { dataSets.emplace_back(c, r); };
    BeepCounter beeps;

    const QPoint cell = grid->CellRect(1, 2).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    ASSERT_TRUE(grid->InplaceEditor() != nullptr && grid->InplaceEditor()->isVisible());
    QTest::keyClicks(grid->InplaceEditor(), "5030");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 3).center());

    EXPECT_EQ(grid->Cells(1, 2), "5000.0000");
    EXPECT_EQ(beeps.count, 1);
    EXPECT_EQ(dataSets, std::vector<QPoint>{QPoint(1, 2)});
    EXPECT_EQ(QPoint(grid->Col(), grid->Row()), QPoint(1, 3));

    // Within the 0.5 % tolerance the typed value stands.
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_Up);
    QTest::keyClicks(grid->InplaceEditor(), "5020");
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 2), "5020.0000");
    EXPECT_EQ(beeps.count, 1);
}

} // namespace
} // namespace corvel
