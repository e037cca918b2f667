#pragma once

// The grid family: QxCustomGrid scrolls and paints a table of cells with fixed rows and columns
// and runs keyboard and mouse navigation, sizing, moving and the in-place editor; QxDrawGrid
// raises the grid's events; QxStringGrid keeps a text and an object per cell in sparse storage.

#include "grid/QxGridErrors.h"
#include "grid/QxSparse.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QFlags>
#include <QLineEdit>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace corvel {

/// Options of a grid; the order is the bit order of the stored option set.
enum QxGridOption : unsigned {
    xgoFixedVertLine = 1u << 0,
    xgoFixedHorzLine = 1u << 1,
    xgoVertLine = 1u << 2,
    xgoHorzLine = 1u << 3,
    xgoRangeSelect = 1u << 4,
    xgoDrawFocusSelected = 1u << 5,
    xgoRowSizing = 1u << 6,
    xgoColSizing = 1u << 7,
    xgoRowMoving = 1u << 8,
    xgoColMoving = 1u << 9,
    xgoEditing = 1u << 10,
    xgoTabs = 1u << 11,
    xgoRowSelect = 1u << 12,
    xgoAlwaysShowEditor = 1u << 13,
    xgoThumbTracking = 1u << 14,
};
Q_DECLARE_FLAGS(QxGridOptions, QxGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(QxGridOptions)

/// The state a cell is drawn in.
enum QxGridDrawStateFlag : unsigned {
    gdSelected = 1u << 0,
    gdFocused = 1u << 1,
    gdFixed = 1u << 2
};
Q_DECLARE_FLAGS(QxGridDrawState, QxGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(QxGridDrawState)

enum class QxBorderStyle { None, Single };
enum class QxScrollStyle { None, Horizontal, Vertical, Both };

/// The first five options: grid lines everywhere and range selection.
inline constexpr QxGridOptions QxGridFirstFiveOptions{xgoFixedVertLine | xgoFixedHorzLine |
                                                      xgoVertLine | xgoHorzLine | xgoRangeSelect};

/// A rectangle of cells, inclusive, by column (Left, Right) and row (Top, Bottom).
struct QxGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool contains(int col, int row) const {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
    bool operator==(const QxGridRect&) const = default;
};

/// What an in-place editor of the grid can be asked beyond being a line edit. An editor that
/// does not implement it is loaded and committed as a plain QLineEdit.
class QxGridEditor {
public:
    virtual ~QxGridEditor() = default;
    /// Sets the format pattern that filters and validates the text.
    virtual void GridEditFormat(const QString& format) = 0;
    /// Validates a modified text (clamping it to the range, with a beep, when it lies beyond).
    virtual void GridValidateEdit() = 0;
    /// Marks the start of an edit: the text just loaded counts as unmodified.
    virtual void GridEnterEdit() = 0;
};

class QxCustomGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit QxCustomGrid(QWidget* parent = nullptr);
    ~QxCustomGrid() override;

    // --- Extents and layout -------------------------------------------------------------
    int ColCount() const { return colCount_; }
    virtual void SetColCount(int value);
    int RowCount() const { return rowCount_; }
    virtual void SetRowCount(int value);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return defaultColWidth_; }
    virtual void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int value);

    /// Format pattern of the in-place editor for all columns without a format of their own;
    /// at most 12 characters. Setting it drops every per-column format.
    QString DefaultColFormatStr() const { return defaultColFormat_; }
    void SetDefaultColFormatStr(const QString& value);
    QString ColFormatStr(int col) const;
    void SetColFormatStr(int col, const QString& value);

    QxGridOptions Options() const { return options_; }
    void SetOptions(QxGridOptions value);
    QxBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(QxBorderStyle value);
    QxScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(QxScrollStyle value);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool value);
    QColor Color() const { return color_; }
    void SetColor(const QColor& value);
    QColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(const QColor& value);
    QColor FontColor() const;

    // --- Current cell, selection and scrolling ------------------------------------------
    int Col() const { return current_.x(); }
    void SetCol(int value);
    int Row() const { return current_.y(); }
    void SetRow(int value);
    /// Makes (col, row) the current cell and the selection anchor.
    void FocusCell(int col, int row);
    QxGridRect Selection() const;
    void SetSelection(const QxGridRect& value);
    int TopRow() const { return topLeft_.y(); }
    void SetTopRow(int value);
    int LeftCol() const { return topLeft_.x(); }
    void SetLeftCol(int value);
    int VisibleColCount() const;
    int VisibleRowCount() const;

    /// The cell's rectangle in viewport coordinates; empty when the cell is scrolled away.
    QRect CellRect(int col, int row) const;
    /// The cell under a viewport point, (-1, -1) outside the cells.
    QPoint MouseCoord(int x, int y) const;
    void MouseToCell(int x, int y, int& col, int& row) const;

    // --- Editing ------------------------------------------------------------------------
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool value);
    void ShowEditor();
    void HideEditor();
    /// Commits an open editor as the Enter key does: validates its text (a value beyond the
    /// range becomes the limit, with a beep), stores it in the cell, runs the data-set step,
    /// closes the editor and selects the cell again. Nothing happens when no editor is open.
    void CommitEditor();
    QLineEdit* InplaceEditor() const { return editor_; }
    /// The column and row being edited, (-1, -1) when no cell is.
    QPoint EditedCell() const { return edited_; }

    void MoveColumn(int from, int to);
    void MoveRow(int from, int to);

    /// The painter of the paint in progress (null outside painting), for OnDrawCell handlers.
    QPainter* Canvas() const { return canvas_; }

    /// Groups changes so that the grid repaints once when the outermost group ends.
    void BeginUpdate() { ++updateLock_; }
    void EndUpdate();

    std::function<void(QObject* Sender)> OnClick;
    std::function<void(QObject* Sender)> OnDblClick;

protected:
    // Overridable operations, in their traditional slot order.
    /// Shows the editor at the current cell when it may show, loading it when the cell changed.
    virtual void UpdateEdit();
    /// Commits the editor's text to the edited cell, runs the data-set step and hides it.
    virtual void UpdateText();
    enum class SizingState { None, RowSizing, ColSizing, RowMoving, ColMoving };
    virtual SizingState CalcSizingState(int x, int y, int& index, int& sizingPos, int& sizingOfs);
    /// Makes the in-place editor, parented to the viewport: a QxInplaceEdit.
    virtual QLineEdit* CreateEditor();
    virtual bool CanEditShow();
    /// Loads the editor for the current cell: format, text, length limit, selection.
    virtual void UpdateEditContents();
    virtual void DrawCell(int col, int row, const QRect& rect, QxGridDrawState state) = 0;
    /// Asked before a cell becomes current; false refuses the move.
    virtual bool SelectCell(int col, int row);
    virtual void DeleteRow(int row);
    virtual void DeleteColumn(int col);
    /// The data-set step that follows every commit of the editor.
    virtual void DoSetData(int col, int row);

    // Hooks.
    virtual QString GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const QString& value);
    virtual int GetEditLimit() { return 0; }
    virtual bool CanEditModify() { return true; }
    virtual bool CanEditAcceptKey(QChar) { return true; }
    /// Whether a key typed on the grid (not in its editor) may open the editor.
    virtual bool CanGridAcceptKey(int, Qt::KeyboardModifiers) { return true; }
    virtual void ColumnMoved(int from, int to);
    virtual void RowMoved(int from, int to);
    virtual void TopLeftChanged();
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void Click();
    virtual void DblClick();
    /// The format pattern the editor gets for a cell: the column's format string.
    virtual QString EditorFormat(int col, int row);
    /// The focus entered the grid from outside (not back from its own editor).
    virtual void FocusEntered();

    /// Repaints one cell.
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    void InvalidateGrid();
    void checkIndex(int col, int row) const;
    /// Moves the current cell; `moveAnchor` collapses the selection onto it.
    void MoveCurrent(int col, int row, bool moveAnchor, bool show);

    /// Set by a derived grid to make the next mouse press re-select the pressed cell even when it
    /// is the current one, instead of opening the editor there; cleared after every press.
    bool ReselectOnNextPress = false;
    /// True while the editor's own commit writes its text.
    bool Committing() const { return committing_; }
    /// Whether the editor is shown over a cell it was loaded for.
    bool EditorShowing() const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

    /// Paints every visible cell, the grid lines and the focus rectangle with `painter`.
    void PaintGrid(QPainter& painter, const QRect& clip);

private:
    int vertLineWidth() const;
    int horzLineWidth() const;
    int fixedWidth() const;
    int fixedHeight() const;
    int maxTopRow() const;
    int maxLeftCol() const;
    void setTopLeft(int col, int row);
    void clampInView(int col, int row);
    void updateScrollBars();
    void changeSize(int newColCount, int newRowCount);
    void placeEditor();
    void hideEditWindow();
    void focusLeftGrid();
    bool gridHasFocus() const;
    bool handleEditorKey(QKeyEvent* event);
    void handleGridKey(QKeyEvent* event);
    void moveBy(int dcol, int drow, bool extend);
    void updateCursor(const QPoint& pos);
    bool isSelected(int col, int row) const;

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 16;
    int gridLineWidth_ = 1;
    QString defaultColFormat_ = "%S";
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    std::vector<QString> colFormats_;
    QxGridOptions options_ = QxGridFirstFiveOptions | xgoEditing;
    QxBorderStyle borderStyle_ = QxBorderStyle::Single;
    QxScrollStyle scrollBars_ = QxScrollStyle::Both;
    bool defaultDrawing_ = true;
    QColor color_;
    QColor fixedColor_;

    QPoint current_{1, 1};
    QPoint anchor_{1, 1};
    QPoint topLeft_{1, 1};

    bool editorMode_ = false;
    QLineEdit* editor_ = nullptr;
    QPoint edited_{-1, -1};
    bool committing_ = false;
    bool inUpdateEdit_ = false;
    bool syncingScroll_ = false;
    bool focusFromEditor_ = false;
    bool focusLeftWithWindow_ = false;
    /// The editor lent the keyboard to the menu bar or a menu, which will give it back.
    bool editorAwayInMenu_ = false;

    enum class GridState { Normal, Selecting, RowSizing, ColSizing, RowMoving, ColMoving };
    GridState gridState_ = GridState::Normal;
    int sizingIndex_ = 0;
    int sizingPos_ = 0;
    int sizingOfs_ = 0;
    int moveFrom_ = -1;
    QPoint lastMouse_;
    QBasicTimer scrollTimer_;

    QPainter* canvas_ = nullptr;
    int updateLock_ = 0;
    bool pendingRepaint_ = false;
};

/// Publishes the grid's events: each hook of the grid raises the event of the same name.
class QxDrawGrid : public QxCustomGrid {
    Q_OBJECT
public:
    explicit QxDrawGrid(QWidget* parent = nullptr);

    std::function<void(QObject* Sender, int FromIndex, int ToIndex)> OnColumnMoved;
    std::function<void(QObject* Sender)> OnColWidthsChanged;
    std::function<void(QObject* Sender, int ACol, int ARow, const QRect& Rect,
                       QxGridDrawState State)>
        OnDrawCell;
    std::function<void(QObject* Sender, int ACol, int ARow, QString& Value)> OnGetEditText;
    std::function<void(QObject* Sender, int FromIndex, int ToIndex)> OnRowMoved;
    std::function<void(QObject* Sender, int ACol, int ARow, bool& CanSelect)> OnSelectCell;
    std::function<void(QObject* Sender, int ACol, int ARow, const QString& Value)> OnSetEditText;
    std::function<void(QObject* Sender)> OnTopLeftChanged;
    std::function<void(QObject* Sender, int ACol, int ARow)> OnDoSetData;
    std::function<void(QObject* Sender, int ACol, int ARow, bool& CanEditShow)> OnCanEditShow;

protected:
    bool CanEditShow() override;
    void DrawCell(int col, int row, const QRect& rect, QxGridDrawState state) override;
    bool SelectCell(int col, int row) override;
    void DoSetData(int col, int row) override;
    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString& value) override;
    void ColumnMoved(int from, int to) override;
    void RowMoved(int from, int to) override;
    void TopLeftChanged() override;
    void ColWidthsChanged() override;
};

class QxStringGrid;

/// A string list over one row or one column of a string grid. Its count is the grid's column
/// count (row view) or row count (column view); items cannot be inserted or deleted.
class TStringGridStrings {
public:
    TStringGridStrings(QxStringGrid* grid, bool isRow, int index)
        : grid_(grid), isRow_(isRow), index_(index) {}

    int Count() const;
    QString Get(int index) const;
    void Put(int index, const QString& text);
    QString operator[](int index) const { return Get(index); }
    CellObject GetObject(int index) const;
    void PutObject(int index, CellObject object);
    /// Puts `text` into the first empty item and returns its index, -1 when none is empty.
    int Add(const QString& text);
    /// Raises "Cannot insert or delete rows from grid".
    void Insert(int index, const QString& text);
    /// Raises "Cannot insert or delete rows from grid".
    void Delete(int index);
    /// Empties every item.
    void Clear();
    /// Copies as many lines as the view has items; the grid repaints once at the end.
    void Assign(const QStringList& lines);
    QStringList ToStringList() const;

private:
    QxStringGrid* grid_;
    bool isRow_;
    int index_;
};

class QxStringGrid : public QxDrawGrid {
    Q_OBJECT
public:
    explicit QxStringGrid(QWidget* parent = nullptr);
    ~QxStringGrid() override;

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    CellObject Objects(int col, int row) const;
    void SetObjects(int col, int row, CellObject object);
    TStringGridStrings& Rows(int row);
    void SetRows(int row, const QStringList& lines) { Rows(row).Assign(lines); }
    TStringGridStrings& Cols(int col);
    void SetCols(int col, const QStringList& lines) { Cols(col).Assign(lines); }

    /// When false (the default), a selected cell of a grid without the focus is drawn like an
    /// unselected one.
    bool AlwaysShowCell() const { return alwaysShowCell_; }
    void SetAlwaysShowCell(bool value);

    /// Moves every row after `row` up by one and drops the last row.
    void DeleteRow(int row) override;
    void DeleteColumn(int col) override;

    // Measures of the sparse storage, for tests and benchmarks.
    std::size_t StoredRowCount() const;
    std::size_t StoredCellCount() const;
    std::size_t RowViewCount() const;
    std::size_t ColViewCount() const;

protected:
    void DrawCell(int col, int row, const QRect& rect, QxGridDrawState state) override;
    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString& value) override;
    void ColumnMoved(int from, int to) override;
    void RowMoved(int from, int to) override;

    /// Whether the grid or its editor holds the focus of its window.
    bool hasFocusWithin() const;

private:
    void initializeStorage();
    TStringSparseList& ensureDataRow(int row);
    TStringGridStrings& ensureView(bool isRow, int index);
    void cellChanged(int col, int row);

    bool alwaysShowCell_ = false;
    std::unique_ptr<TSparseList<TStringSparseList>> data_;
    std::unique_ptr<TSparseList<TStringGridStrings>> rowViews_;
    std::unique_ptr<TSparseList<TStringGridStrings>> colViews_;
    SparseQuantum cellQuantum_ = SparseQuantum::Small;

    friend class TStringGridStrings;
};

} // namespace corvel
