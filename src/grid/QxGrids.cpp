#include "grid/QxGrids.h"

#include "grid/QxInplaceEdit.h"
#include "platform/Beep.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>

namespace corvel {

namespace {

/// The largest column or row count a grid accepts (2^27 - 1 cells along one axis).
constexpr int kMaxGridExtent = 134217727;
/// Half-width of the zone around a column or row border in which a press starts sizing [px].
constexpr int kSizingZone = 3;
/// The longest format pattern a column keeps.
constexpr int kFormatLength = 12;
/// Interval of the scroll timer that follows the mouse while selecting beyond the edge [ms].
constexpr int kSelectScrollInterval = 60;

[[noreturn]] void raiseGrid(const char* message) {
    throw EInvalidGridOperation(message);
}

} // namespace

// ---- QxCustomGrid: construction and extents -------------------------------------------------

QxCustomGrid::QxCustomGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    color_ = palette().color(QPalette::Base);
    fixedColor_ = palette().color(QPalette::Button);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    SetBorderStyle(QxBorderStyle::Single);
    SetScrollBars(QxScrollStyle::Both);
    verticalScrollBar()->setTracking(false);
    horizontalScrollBar()->setTracking(false);
    resize(colCount_ * defaultColWidth_, rowCount_ * defaultRowHeight_);
    updateScrollBars();
}

QxCustomGrid::~QxCustomGrid() {
    if (editor_)
        editor_->removeEventFilter(this);
}

void QxCustomGrid::checkIndex(int col, int row) const {
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
}

void QxCustomGrid::SetColCount(int value) {
    if (value == colCount_)
        return;
    if (value < 1)
        raiseGrid(GridMessages::TooManyDeleted);
    if (value > kMaxGridExtent)
        raiseGrid(GridMessages::GridTooLarge);
    if (value <= fixedCols_)
        fixedCols_ = value - 1;
    changeSize(value, rowCount_);
}

void QxCustomGrid::SetRowCount(int value) {
    if (value == rowCount_)
        return;
    if (value < 1)
        raiseGrid(GridMessages::TooManyDeleted);
    if (value > kMaxGridExtent)
        raiseGrid(GridMessages::GridTooLarge);
    if (value <= fixedRows_)
        fixedRows_ = value - 1;
    changeSize(colCount_, value);
}

void QxCustomGrid::changeSize(int newColCount, int newRowCount) {
    // An edited cell that disappears is committed while it still exists.
    if (edited_.x() >= newColCount || edited_.y() >= newRowCount)
        UpdateText();
    if (!colWidths_.empty())
        colWidths_.resize(newColCount, defaultColWidth_);
    if (!colFormats_.empty())
        colFormats_.resize(newColCount);
    if (!rowHeights_.empty())
        rowHeights_.resize(newRowCount, defaultRowHeight_);
    colCount_ = newColCount;
    rowCount_ = newRowCount;
    auto clampPoint = [&](QPoint& p) {
        p.setX(std::clamp(p.x(), std::min(fixedCols_, colCount_ - 1), colCount_ - 1));
        p.setY(std::clamp(p.y(), std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1));
    };
    clampPoint(current_);
    clampPoint(anchor_);
    topLeft_.setX(std::clamp(topLeft_.x(), fixedCols_, std::max(fixedCols_, maxLeftCol())));
    topLeft_.setY(std::clamp(topLeft_.y(), fixedRows_, std::max(fixedRows_, maxTopRow())));
    updateScrollBars();
    InvalidateGrid();
    if (EditorShowing())
        UpdateEdit();
}

void QxCustomGrid::SetFixedCols(int value) {
    if (value < 0)
        raiseGrid(GridMessages::IndexOutOfRange);
    if (value >= colCount_)
        raiseGrid(GridMessages::FixedColTooBig);
    // Setting the count it already has keeps the current cell: a grid set up after its
    // constructor chose a current column must not lose that choice.
    if (value == fixedCols_)
        return;
    fixedCols_ = value;
    current_.setX(fixedCols_);
    anchor_ = current_;
    topLeft_.setX(fixedCols_);
    updateScrollBars();
    InvalidateGrid();
}

void QxCustomGrid::SetFixedRows(int value) {
    if (value < 0)
        raiseGrid(GridMessages::IndexOutOfRange);
    if (value >= rowCount_)
        raiseGrid(GridMessages::FixedRowTooBig);
    if (value == fixedRows_)
        return;
    fixedRows_ = value;
    current_.setY(fixedRows_);
    anchor_ = current_;
    topLeft_.setY(fixedRows_);
    updateScrollBars();
    InvalidateGrid();
}

void QxCustomGrid::SetDefaultColWidth(int value) {
    if (value < 0)
        value = 0;
    defaultColWidth_ = value;
    colWidths_.clear();
    ColWidthsChanged();
    InvalidateGrid();
}

void QxCustomGrid::SetDefaultRowHeight(int value) {
    if (value < 0)
        value = 0;
    defaultRowHeight_ = value;
    rowHeights_.clear();
    RowHeightsChanged();
    InvalidateGrid();
}

int QxCustomGrid::ColWidths(int col) const {
    if (col < 0 || col >= colCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    return colWidths_.empty() ? defaultColWidth_ : colWidths_[col];
}

void QxCustomGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= colCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    width = std::max(width, 0);
    if (colWidths_.empty())
        colWidths_.assign(colCount_, defaultColWidth_);
    if (colWidths_[col] == width)
        return;
    colWidths_[col] = width;
    ColWidthsChanged();
    InvalidateGrid();
}

int QxCustomGrid::RowHeights(int row) const {
    if (row < 0 || row >= rowCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    return rowHeights_.empty() ? defaultRowHeight_ : rowHeights_[row];
}

void QxCustomGrid::SetRowHeights(int row, int height) {
    if (row < 0 || row >= rowCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    height = std::max(height, 0);
    if (rowHeights_.empty())
        rowHeights_.assign(rowCount_, defaultRowHeight_);
    if (rowHeights_[row] == height)
        return;
    rowHeights_[row] = height;
    RowHeightsChanged();
    InvalidateGrid();
}

void QxCustomGrid::SetGridLineWidth(int value) {
    gridLineWidth_ = std::max(value, 0);
    updateScrollBars();
    InvalidateGrid();
    if (EditorShowing())
        placeEditor();
}

void QxCustomGrid::SetDefaultColFormatStr(const QString& value) {
    defaultColFormat_ = value.left(kFormatLength);
    colFormats_.clear();
    InvalidateGrid();
}

QString QxCustomGrid::ColFormatStr(int col) const {
    if (col < 0 || col >= colCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    if (colFormats_.empty() || colFormats_[col].isNull())
        return defaultColFormat_;
    return colFormats_[col];
}

void QxCustomGrid::SetColFormatStr(int col, const QString& value) {
    if (col < 0 || col >= colCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    if (colFormats_.empty())
        colFormats_.resize(colCount_);
    // An empty text is kept as a format of its own, not as "use the default".
    colFormats_[col] = value.left(kFormatLength);
    if (colFormats_[col].isNull())
        colFormats_[col] = QLatin1String("");
}

void QxCustomGrid::SetOptions(QxGridOptions value) {
    if (value & xgoRowSelect)
        value &= ~QxGridOptions(xgoAlwaysShowEditor);
    const bool wasEditing = options_ & xgoEditing;
    options_ = value;
    verticalScrollBar()->setTracking(options_ & xgoThumbTracking);
    horizontalScrollBar()->setTracking(options_ & xgoThumbTracking);
    if (!(options_ & xgoEditing) && wasEditing)
        HideEditor();
    else if (options_ & xgoAlwaysShowEditor)
        ShowEditor();
    updateScrollBars();
    InvalidateGrid();
}

void QxCustomGrid::SetBorderStyle(QxBorderStyle value) {
    borderStyle_ = value;
    if (value == QxBorderStyle::Single)
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    else
        setFrameStyle(QFrame::NoFrame);
}

void QxCustomGrid::SetScrollBars(QxScrollStyle value) {
    scrollBars_ = value;
    const bool vertical = value == QxScrollStyle::Vertical || value == QxScrollStyle::Both;
    const bool horizontal = value == QxScrollStyle::Horizontal || value == QxScrollStyle::Both;
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateScrollBars();
}

void QxCustomGrid::SetDefaultDrawing(bool value) {
    defaultDrawing_ = value;
    InvalidateGrid();
}

void QxCustomGrid::SetColor(const QColor& value) {
    color_ = value;
    InvalidateGrid();
}

void QxCustomGrid::SetFixedColor(const QColor& value) {
    fixedColor_ = value;
    InvalidateGrid();
}

QColor QxCustomGrid::FontColor() const {
    return palette().color(QPalette::Text);
}

// ---- Geometry -------------------------------------------------------------------------------

int QxCustomGrid::vertLineWidth() const {
    return (options_ & (xgoFixedVertLine | xgoVertLine)) ? gridLineWidth_ : 0;
}

int QxCustomGrid::horzLineWidth() const {
    return (options_ & (xgoFixedHorzLine | xgoHorzLine)) ? gridLineWidth_ : 0;
}

int QxCustomGrid::fixedWidth() const {
    int width = 0;
    for (int c = 0; c < fixedCols_; ++c)
        width += ColWidths(c) + vertLineWidth();
    return width;
}

int QxCustomGrid::fixedHeight() const {
    int height = 0;
    for (int r = 0; r < fixedRows_; ++r)
        height += RowHeights(r) + horzLineWidth();
    return height;
}

int QxCustomGrid::maxTopRow() const {
    const int available = viewport()->height() - fixedHeight();
    int top = rowCount_ - 1;
    int extent = 0;
    for (int r = rowCount_ - 1; r >= fixedRows_; --r) {
        extent += RowHeights(r) + horzLineWidth();
        if (extent > available)
            break;
        top = r;
    }
    return std::max(top, fixedRows_);
}

int QxCustomGrid::maxLeftCol() const {
    const int available = viewport()->width() - fixedWidth();
    int left = colCount_ - 1;
    int extent = 0;
    for (int c = colCount_ - 1; c >= fixedCols_; --c) {
        extent += ColWidths(c) + vertLineWidth();
        if (extent > available)
            break;
        left = c;
    }
    return std::max(left, fixedCols_);
}

int QxCustomGrid::VisibleColCount() const {
    const int available = viewport()->width() - fixedWidth();
    int count = 0;
    int extent = 0;
    for (int c = topLeft_.x(); c < colCount_; ++c) {
        extent += ColWidths(c) + vertLineWidth();
        if (extent > available)
            break;
        ++count;
    }
    return count;
}

int QxCustomGrid::VisibleRowCount() const {
    const int available = viewport()->height() - fixedHeight();
    int count = 0;
    int extent = 0;
    for (int r = topLeft_.y(); r < rowCount_; ++r) {
        extent += RowHeights(r) + horzLineWidth();
        if (extent > available)
            break;
        ++count;
    }
    return count;
}

QRect QxCustomGrid::CellRect(int col, int row) const {
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_)
        return {};
    const int width = viewport()->width();
    const int height = viewport()->height();
    int x = 0;
    if (col < fixedCols_) {
        for (int c = 0; c < col; ++c)
            x += ColWidths(c) + vertLineWidth();
    } else {
        if (col < topLeft_.x())
            return {};
        x = fixedWidth();
        for (int c = topLeft_.x(); c < col && x < width; ++c)
            x += ColWidths(c) + vertLineWidth();
    }
    int y = 0;
    if (row < fixedRows_) {
        for (int r = 0; r < row; ++r)
            y += RowHeights(r) + horzLineWidth();
    } else {
        if (row < topLeft_.y())
            return {};
        y = fixedHeight();
        for (int r = topLeft_.y(); r < row && y < height; ++r)
            y += RowHeights(r) + horzLineWidth();
    }
    if (x >= width || y >= height)
        return {};
    return QRect(x, y, ColWidths(col), RowHeights(row));
}

QPoint QxCustomGrid::MouseCoord(int x, int y) const {
    if (x < 0 || y < 0)
        return {-1, -1};
    auto find = [](int pos, int fixedCount, int first, int count, int lineWidth, auto extentOf) {
        int edge = 0;
        for (int i = 0; i < fixedCount; ++i) {
            edge += extentOf(i) + lineWidth;
            if (pos < edge)
                return i;
        }
        for (int i = first; i < count; ++i) {
            edge += extentOf(i) + lineWidth;
            if (pos < edge)
                return i;
        }
        return -1;
    };
    const int col = find(x, fixedCols_, topLeft_.x(), colCount_, vertLineWidth(),
                         [this](int c) { return ColWidths(c); });
    const int row = find(y, fixedRows_, topLeft_.y(), rowCount_, horzLineWidth(),
                         [this](int r) { return RowHeights(r); });
    if (col < 0 || row < 0)
        return {-1, -1};
    return {col, row};
}

void QxCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
    const QPoint cell = MouseCoord(x, y);
    col = cell.x();
    row = cell.y();
}

// ---- Current cell, selection and scrolling ---------------------------------------------------

void QxCustomGrid::SetCol(int value) {
    if (value != current_.x())
        FocusCell(value, current_.y());
}

void QxCustomGrid::SetRow(int value) {
    if (value != current_.y())
        FocusCell(current_.x(), value);
}

void QxCustomGrid::FocusCell(int col, int row) {
    MoveCurrent(col, row, true, true);
}

QxGridRect QxCustomGrid::Selection() const {
    QxGridRect rect{std::min(anchor_.x(), current_.x()), std::min(anchor_.y(), current_.y()),
                    std::max(anchor_.x(), current_.x()), std::max(anchor_.y(), current_.y())};
    if (options_ & xgoRowSelect) {
        rect.Left = fixedCols_;
        rect.Right = colCount_ - 1;
    }
    return rect;
}

void QxCustomGrid::SetSelection(const QxGridRect& value) {
    checkIndex(value.Left, value.Top);
    checkIndex(value.Right, value.Bottom);
    anchor_ = QPoint(value.Right, value.Bottom);
    MoveCurrent(value.Left, value.Top, false, true);
}

bool QxCustomGrid::isSelected(int col, int row) const {
    return Selection().contains(col, row);
}

void QxCustomGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show) {
    checkIndex(col, row);
    if (!SelectCell(col, row))
        return;
    current_ = QPoint(col, row);
    if (moveAnchor || !(options_ & xgoRangeSelect))
        anchor_ = current_;
    if (show)
        clampInView(col, row);
    InvalidateGrid();
    UpdateEdit();
}

void QxCustomGrid::SetTopRow(int value) {
    setTopLeft(topLeft_.x(), value);
}

void QxCustomGrid::SetLeftCol(int value) {
    setTopLeft(value, topLeft_.y());
}

void QxCustomGrid::setTopLeft(int col, int row) {
    col = std::clamp(col, fixedCols_, std::max(fixedCols_, maxLeftCol()));
    row = std::clamp(row, fixedRows_, std::max(fixedRows_, maxTopRow()));
    if (col == topLeft_.x() && row == topLeft_.y())
        return;
    topLeft_ = QPoint(col, row);
    updateScrollBars();
    InvalidateGrid();
    TopLeftChanged();
    if (EditorShowing())
        UpdateEdit();
}

void QxCustomGrid::clampInView(int col, int row) {
    int left = topLeft_.x();
    int top = topLeft_.y();
    if (col >= fixedCols_) {
        if (col < left) {
            left = col;
        } else {
            // Bring the column in as the last fully visible one when it lies beyond the view.
            const int available = viewport()->width() - fixedWidth();
            int extent = 0;
            for (int c = left; c <= col; ++c)
                extent += ColWidths(c) + vertLineWidth();
            if (extent > available) {
                left = col;
                extent = ColWidths(col) + vertLineWidth();
                while (left > fixedCols_ &&
                       extent + ColWidths(left - 1) + vertLineWidth() <= available) {
                    --left;
                    extent += ColWidths(left) + vertLineWidth();
                }
            }
        }
    }
    if (row >= fixedRows_) {
        if (row < top) {
            top = row;
        } else {
            const int available = viewport()->height() - fixedHeight();
            int extent = 0;
            for (int r = top; r <= row && extent <= available; ++r)
                extent += RowHeights(r) + horzLineWidth();
            if (extent > available) {
                top = row;
                extent = RowHeights(row) + horzLineWidth();
                while (top > fixedRows_ &&
                       extent + RowHeights(top - 1) + horzLineWidth() <= available) {
                    --top;
                    extent += RowHeights(top) + horzLineWidth();
                }
            }
        }
    }
    setTopLeft(left, top);
}

void QxCustomGrid::updateScrollBars() {
    QScopedValueRollback guard(syncingScroll_, true);
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(fixedRows_, std::max(fixedRows_, maxTopRow()));
    vertical->setPageStep(std::max(1, VisibleRowCount()));
    vertical->setValue(topLeft_.y());
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(fixedCols_, std::max(fixedCols_, maxLeftCol()));
    horizontal->setPageStep(std::max(1, VisibleColCount()));
    horizontal->setValue(topLeft_.x());
}

void QxCustomGrid::scrollContentsBy(int, int) {
    if (syncingScroll_)
        return;
    setTopLeft(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void QxCustomGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // A grown view scrolls back so that no cells stay hidden to the left or above.
    setTopLeft(topLeft_.x(), topLeft_.y());
    updateScrollBars();
    if (EditorShowing())
        placeEditor();
}

// ---- Repainting -----------------------------------------------------------------------------

void QxCustomGrid::InvalidateCell(int col, int row) {
    if (updateLock_ > 0) {
        pendingRepaint_ = true;
        return;
    }
    const QRect rect = CellRect(col, row);
    if (!rect.isEmpty())
        viewport()->update(rect.adjusted(0, 0, vertLineWidth(), horzLineWidth()));
}

void QxCustomGrid::InvalidateRow(int row) {
    if (updateLock_ > 0) {
        pendingRepaint_ = true;
        return;
    }
    const QRect rect = CellRect(fixedCols_ > 0 ? 0 : topLeft_.x(), row);
    if (!rect.isEmpty())
        viewport()->update(
            QRect(0, rect.top(), viewport()->width(), rect.height() + horzLineWidth()));
}

void QxCustomGrid::InvalidateGrid() {
    if (updateLock_ > 0) {
        pendingRepaint_ = true;
        return;
    }
    viewport()->update();
}

void QxCustomGrid::EndUpdate() {
    if (updateLock_ > 0 && --updateLock_ == 0 && pendingRepaint_) {
        pendingRepaint_ = false;
        viewport()->update();
    }
}

void QxCustomGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    PaintGrid(painter, event->rect());
}

void QxCustomGrid::PaintGrid(QPainter& painter, const QRect& clip) {
    canvas_ = &painter;
    auto resetCanvas = qScopeGuard([this] { canvas_ = nullptr; });
    painter.fillRect(clip, color_);

    const int width = viewport()->width();
    const int height = viewport()->height();
    const int vl = vertLineWidth();
    const int hl = horzLineWidth();
    const bool focused = gridHasFocus();
    const QxGridRect selection = Selection();
    const QColor fixedLineColor = palette().color(QPalette::Shadow);
    const QColor lineColor = palette().color(QPalette::Mid);

    struct Span {
        int index, pos, extent;
    };
    std::vector<Span> cols, rows;
    int x = 0;
    for (int c = 0; c < fixedCols_ && x < width; ++c) {
        cols.push_back({c, x, ColWidths(c)});
        x += ColWidths(c) + vl;
    }
    for (int c = topLeft_.x(); c < colCount_ && x < width; ++c) {
        cols.push_back({c, x, ColWidths(c)});
        x += ColWidths(c) + vl;
    }
    int y = 0;
    for (int r = 0; r < fixedRows_ && y < height; ++r) {
        rows.push_back({r, y, RowHeights(r)});
        y += RowHeights(r) + hl;
    }
    for (int r = topLeft_.y(); r < rowCount_ && y < height; ++r) {
        rows.push_back({r, y, RowHeights(r)});
        y += RowHeights(r) + hl;
    }

    const bool editing = EditorShowing();
    for (const Span& row : rows) {
        if (row.pos > clip.bottom() || row.pos + row.extent + hl <= clip.top())
            continue;
        for (const Span& col : cols) {
            if (col.pos > clip.right() || col.pos + col.extent + vl <= clip.left())
                continue;
            const QRect rect(col.pos, row.pos, col.extent, row.extent);
            const bool fixed = col.index < fixedCols_ || row.index < fixedRows_;
            QxGridDrawState state;
            if (fixed)
                state |= gdFixed;
            const bool isCurrent = col.index == current_.x() && row.index == current_.y();
            if (focused && isCurrent)
                state |= gdFocused;
            if (!fixed && selection.contains(col.index, row.index))
                state |= gdSelected;

            // Lines first, so that a cell never paints over its neighbour's border.
            const bool vertical = fixed ? (options_ & xgoFixedVertLine) : (options_ & xgoVertLine);
            const bool horizontal =
                fixed ? (options_ & xgoFixedHorzLine) : (options_ & xgoHorzLine);
            const QColor& lines = fixed ? fixedLineColor : lineColor;
            if (vertical && vl > 0)
                painter.fillRect(QRect(rect.right() + 1, rect.top(), vl, rect.height() + hl),
                                 lines);
            if (horizontal && hl > 0)
                painter.fillRect(QRect(rect.left(), rect.bottom() + 1, rect.width() + vl, hl),
                                 lines);

            // The cell under the editor is the editor's to draw.
            if (editing && isCurrent)
                continue;
            QColor background = fixed ? fixedColor_ : color_;
            QColor text = fixed ? palette().color(QPalette::ButtonText) : FontColor();
            if ((state & gdSelected) &&
                (!(state & gdFocused) || (options_ & (xgoDrawFocusSelected | xgoRowSelect)))) {
                background = palette().color(QPalette::Highlight);
                text = palette().color(QPalette::HighlightedText);
            }
            if (defaultDrawing_)
                painter.fillRect(rect, background);
            painter.setPen(text);
            painter.setBrush(Qt::NoBrush);
            DrawCell(col.index, row.index, rect, state);
            if (defaultDrawing_ && (state & gdFocused) &&
                (options_ & (xgoEditing | xgoAlwaysShowEditor)) !=
                    QxGridOptions(xgoEditing | xgoAlwaysShowEditor) &&
                !(options_ & xgoRowSelect)) {
                painter.setPen(QPen(FontColor(), 1, Qt::DotLine));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(rect.adjusted(0, 0, -1, -1));
            }
        }
    }

    if (gridState_ == GridState::ColSizing || gridState_ == GridState::RowSizing) {
        painter.setPen(QPen(FontColor(), 1, Qt::DotLine));
        if (gridState_ == GridState::ColSizing)
            painter.drawLine(sizingPos_, 0, sizingPos_, height);
        else
            painter.drawLine(0, sizingPos_, width, sizingPos_);
    }
}

// ---- Editor lifecycle -----------------------------------------------------------------------

bool QxCustomGrid::gridHasFocus() const {
    const QWidget* focus = window()->focusWidget();
    return focus != nullptr &&
           (focus == this || focus == viewport() || (editor_ != nullptr && focus == editor_));
}

bool QxCustomGrid::EditorShowing() const {
    return editor_ != nullptr && !editor_->isHidden() && edited_.x() >= 0;
}

QLineEdit* QxCustomGrid::CreateEditor() {
    return new QxInplaceEdit(this);
}

bool QxCustomGrid::CanEditShow() {
    return (options_ & xgoEditing) && !(options_ & xgoRowSelect) && editorMode_ &&
           ((options_ & xgoAlwaysShowEditor) || gridHasFocus());
}

void QxCustomGrid::UpdateEdit() {
    if (inUpdateEdit_ || committing_)
        return;
    if (!CanEditShow()) {
        // Moved onto a cell that takes no editor: the entry of the cell left is committed, as a
        // move between editable cells commits it, rather than its editor staying open and
        // taking keys for a row no longer selected.
        if (EditorShowing() && edited_ != current_) {
            QScopedValueRollback guard(inUpdateEdit_, true);
            UpdateText();
        }
        return;
    }
    QScopedValueRollback guard(inUpdateEdit_, true);
    const bool hadFocus = gridHasFocus();
    if (!editor_) {
        editor_ = CreateEditor();
        if (editor_->parentWidget() != viewport())
            editor_->setParent(viewport());
        editor_->installEventFilter(this);
        editor_->hide();
    }
    if (edited_ != current_) {
        if (edited_.x() >= 0) {
            // The commit runs handlers; it must not reopen the editor from inside.
            UpdateText();
        }
        UpdateEditContents();
    }
    placeEditor();
    editor_->show();
    if (hadFocus)
        editor_->setFocus(Qt::OtherFocusReason);
}

void QxCustomGrid::UpdateEditContents() {
    if (!editor_)
        return;
    edited_ = current_;
    auto* hooks = dynamic_cast<QxGridEditor*>(editor_);
    if (hooks)
        hooks->GridEditFormat(EditorFormat(current_.x(), current_.y()));
    const QString text = GetEditText(current_.x(), current_.y());
    const int limit = GetEditLimit();
    editor_->setMaxLength(limit > 0 ? limit : 32767);
    editor_->setText(QString());
    editor_->setText(text);
    if (hooks)
        hooks->GridEnterEdit();
    else
        editor_->setModified(false);
    editor_->selectAll();
}

void QxCustomGrid::placeEditor() {
    if (!editor_)
        return;
    const QRect rect = CellRect(current_.x(), current_.y());
    // A cell scrolled out of view keeps the editor, at no size, until it comes back.
    editor_->setGeometry(rect.isEmpty() ? QRect(0, 0, 0, 0) : rect);
}

void QxCustomGrid::UpdateText() {
    if (edited_.x() < 0 || !editor_)
        return;
    const QPoint cell = edited_;
    QScopedValueRollback guard(committing_, true);
    if (auto* hooks = dynamic_cast<QxGridEditor*>(editor_)) {
        hooks->GridEditFormat(EditorFormat(cell.x(), cell.y()));
        hooks->GridValidateEdit();
    }
    const QString text = editor_->text();
    // The editor is put away before any handler runs, so that an error raised by a handler
    // never leaves a half-committed editor behind.
    edited_ = QPoint(-1, -1);
    hideEditWindow();
    SetEditText(cell.x(), cell.y(), text);
    DoSetData(cell.x(), cell.y());
}

void QxCustomGrid::hideEditWindow() {
    if (!editor_)
        return;
    // An editor the menu bar or a menu has the keyboard from gets it back when the menu closes;
    // hidden, it could not take it, and the keyboard would be lost: the grid takes it instead.
    if (editor_->hasFocus() || editorAwayInMenu_) {
        editorAwayInMenu_ = false;
        setFocus(Qt::OtherFocusReason);
    }
    editor_->hide();
    InvalidateGrid();
}

void QxCustomGrid::ShowEditor() {
    editorMode_ = true;
    UpdateEdit();
}

void QxCustomGrid::HideEditor() {
    editorMode_ = false;
    UpdateText();
    hideEditWindow();
}

void QxCustomGrid::CommitEditor() {
    if (!EditorShowing())
        return;
    HideEditor();
    // A derived grid re-runs its selection logic for the cell, as after Enter.
    SelectCell(current_.x(), current_.y());
}

void QxCustomGrid::SetEditorMode(bool value) {
    if (!value) {
        HideEditor();
        return;
    }
    ShowEditor();
    if (EditorShowing()) {
        editor_->deselect();
        editor_->end(false);
    }
}

void QxCustomGrid::focusLeftGrid() {
    if (options_ & xgoAlwaysShowEditor) {
        UpdateText();
        UpdateEdit();
    } else {
        HideEditor();
    }
}

QString QxCustomGrid::GetEditText(int, int) {
    return {};
}

void QxCustomGrid::SetEditText(int, int, const QString&) {}

bool QxCustomGrid::SelectCell(int, int) {
    return true;
}

void QxCustomGrid::DoSetData(int, int) {}

void QxCustomGrid::ColumnMoved(int, int) {}
void QxCustomGrid::RowMoved(int, int) {}
void QxCustomGrid::TopLeftChanged() {}

void QxCustomGrid::ColWidthsChanged() {
    updateScrollBars();
    if (EditorShowing())
        UpdateEdit();
}

void QxCustomGrid::RowHeightsChanged() {
    updateScrollBars();
    if (EditorShowing())
        UpdateEdit();
}

void QxCustomGrid::Click() {
    if (OnClick)
        OnClick(this);
}

void QxCustomGrid::DblClick() {
    if (OnDblClick)
        OnDblClick(this);
}

// ---- Moving and deleting --------------------------------------------------------------------

void QxCustomGrid::MoveColumn(int from, int to) {
    if (from < 0 || from >= colCount_ || to < 0 || to >= colCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    if (from == to)
        return;
    UpdateText();
    auto rotate = [from, to](auto& items) {
        if (items.empty())
            return;
        if (from < to)
            std::rotate(items.begin() + from, items.begin() + from + 1, items.begin() + to + 1);
        else
            std::rotate(items.begin() + to, items.begin() + from, items.begin() + from + 1);
    };
    rotate(colWidths_);
    rotate(colFormats_);
    ColumnMoved(from, to);
    InvalidateGrid();
    ColWidthsChanged();
}

void QxCustomGrid::MoveRow(int from, int to) {
    if (from < 0 || from >= rowCount_ || to < 0 || to >= rowCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    if (from == to)
        return;
    UpdateText();
    if (!rowHeights_.empty()) {
        if (from < to)
            std::rotate(rowHeights_.begin() + from, rowHeights_.begin() + from + 1,
                        rowHeights_.begin() + to + 1);
        else
            std::rotate(rowHeights_.begin() + to, rowHeights_.begin() + from,
                        rowHeights_.begin() + from + 1);
    }
    RowMoved(from, to);
    InvalidateGrid();
    RowHeightsChanged();
}

void QxCustomGrid::DeleteRow(int row) {
    if (row < 0 || row >= rowCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    if (rowCount_ <= 1)
        raiseGrid(GridMessages::TooManyDeleted);
    MoveRow(row, rowCount_ - 1);
    SetRowCount(rowCount_ - 1);
}

void QxCustomGrid::DeleteColumn(int col) {
    if (col < 0 || col >= colCount_)
        raiseGrid(GridMessages::IndexOutOfRange);
    if (colCount_ <= 1)
        raiseGrid(GridMessages::TooManyDeleted);
    MoveColumn(col, colCount_ - 1);
    SetColCount(colCount_ - 1);
}

// ---- Keyboard -------------------------------------------------------------------------------

void QxCustomGrid::moveBy(int dcol, int drow, bool extend) {
    const int col = std::clamp(current_.x() + dcol, fixedCols_, colCount_ - 1);
    const int row = std::clamp(current_.y() + drow, fixedRows_, rowCount_ - 1);
    if (col == current_.x() && row == current_.y())
        return;
    MoveCurrent(col, row, !extend, true);
}

bool QxCustomGrid::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress && (options_ & xgoTabs)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & Qt::AltModifier)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void QxCustomGrid::keyPressEvent(QKeyEvent* event) {
    handleGridKey(event);
}

void QxCustomGrid::handleGridKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool extend = (mods & Qt::ShiftModifier) && (options_ & xgoRangeSelect);
    const int page = std::max(1, VisibleRowCount());
    event->accept();
    switch (event->key()) {
    case Qt::Key_Up:
        moveBy(0, -1, extend);
        return;
    case Qt::Key_Down:
        moveBy(0, 1, extend);
        return;
    case Qt::Key_Left:
        moveBy(-1, 0, extend);
        return;
    case Qt::Key_Right:
        moveBy(1, 0, extend);
        return;
    case Qt::Key_PageUp:
        moveBy(0, -page, extend);
        return;
    case Qt::Key_PageDown:
        moveBy(0, page, extend);
        return;
    case Qt::Key_Home:
        if (ctrl || (options_ & xgoRowSelect))
            MoveCurrent(fixedCols_, fixedRows_, !extend, true);
        else
            MoveCurrent(fixedCols_, current_.y(), !extend, true);
        return;
    case Qt::Key_End:
        if (ctrl || (options_ & xgoRowSelect))
            MoveCurrent(colCount_ - 1, rowCount_ - 1, !extend, true);
        else
            MoveCurrent(colCount_ - 1, current_.y(), !extend, true);
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if ((options_ & xgoTabs) && !(mods & Qt::AltModifier)) {
            // The edited cell is committed before the move, whether or not the editor may
            // show at the next cell; editor mode stays on for it.
            UpdateText();
            int col = current_.x();
            int row = current_.y();
            if (event->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier)) {
                if (--col < fixedCols_) {
                    col = colCount_ - 1;
                    if (--row < fixedRows_)
                        row = rowCount_ - 1;
                }
            } else if (++col >= colCount_) {
                col = fixedCols_;
                if (++row >= rowCount_)
                    row = fixedRows_;
            }
            MoveCurrent(col, row, true, true);
        } else {
            // Leaving the editor with Tab commits it as Enter does before the focus moves on;
            // the focus may well stay in the grid (no other control takes it), so the grid's
            // focus-out cannot be relied on to commit.
            CommitEditor();
            // The focus chain continues from the grid, not from its editor.
            if (editor_ && editor_->hasFocus()) {
                QScopedValueRollback guard(inUpdateEdit_, true);
                setFocus(Qt::TabFocusReason);
            }
            focusNextPrevChild(event->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
        }
        return;
    case Qt::Key_F2:
        SetEditorMode(true);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!(options_ & xgoAlwaysShowEditor)) {
            if (editorMode_) {
                HideEditor();
                // A derived grid re-runs its selection logic for the cell.
                SelectCell(current_.x(), current_.y());
            } else {
                ShowEditor();
            }
        }
        return;
    default:
        break;
    }
    const QString text = event->text();
    const bool typed =
        !text.isEmpty() && (text.at(0).isPrint() || event->key() == Qt::Key_Backspace);
    if (typed && (options_ & xgoEditing) && !(options_ & xgoRowSelect) &&
        CanGridAcceptKey(event->key(), event->modifiers())) {
        ShowEditor();
        if (EditorShowing()) {
            QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(),
                           event->isAutoRepeat(), event->count());
            QApplication::sendEvent(editor_, &copy);
        }
        return;
    }
    event->ignore();
    QAbstractScrollArea::keyPressEvent(event);
}

bool QxCustomGrid::handleEditorKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alwaysShow = options_ & xgoAlwaysShowEditor;
    const bool atStart = editor_->cursorPosition() == 0 && !editor_->hasSelectedText();
    const bool atEnd =
        editor_->cursorPosition() == editor_->text().length() && !editor_->hasSelectedText();
    switch (event->key()) {
    case Qt::Key_Escape:
        return false;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down:
        handleGridKey(event);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (mods & Qt::AltModifier)
            return false;
        handleGridKey(event);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Home:
        if (alwaysShow && (ctrl || atStart)) {
            handleGridKey(event);
            return true;
        }
        return false;
    case Qt::Key_Right:
    case Qt::Key_End:
        if (alwaysShow && (ctrl || atEnd)) {
            handleGridKey(event);
            return true;
        }
        return false;
    case Qt::Key_F2:
        editor_->deselect();
        editor_->end(false);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (alwaysShow)
            return false;
        handleGridKey(event);
        return true;
    case Qt::Key_Delete:
        return !CanEditModify();
    case Qt::Key_Insert:
        return (mods & Qt::ShiftModifier) && !CanEditModify();
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty() || ctrl)
        return false;
    if (!CanEditModify())
        return true;
    if (!CanEditAcceptKey(text.at(0))) {
        MessageBeep();
        return true;
    }
    return false;
}

bool QxCustomGrid::eventFilter(QObject* watched, QEvent* event) {
    if (editor_ != nullptr && watched == editor_) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return handleEditorKey(static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
            editorAwayInMenu_ = false;
            break;
        case QEvent::FocusOut: {
            auto* focus = static_cast<QFocusEvent*>(event);
            const QWidget* next = QApplication::focusWidget();
            focusFromEditor_ = next == this || next == viewport();
            focusLeftWithWindow_ = focus->reason() == Qt::ActiveWindowFocusReason ||
                                   focus->reason() == Qt::PopupFocusReason;
            // Alt and a menu letter lend the keyboard to the menu bar, which gives it back when its
            // menu closes: the edit goes on, as it does across a pop-up.
            editorAwayInMenu_ = focus->reason() == Qt::MenuBarFocusReason ||
                                focus->reason() == Qt::PopupFocusReason;
            if (!committing_ && !inUpdateEdit_ && focus->reason() != Qt::ActiveWindowFocusReason &&
                !editorAwayInMenu_ && next != this && next != editor_ && next != viewport())
                focusLeftGrid();
            break;
        }
        default:
            break;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void QxCustomGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    InvalidateGrid();
    // Coming back from the editor, or to a window that was left with the grid focused, the
    // focus never really left the grid.
    const bool returning =
        focusFromEditor_ || committing_ || inUpdateEdit_ ||
        (focusLeftWithWindow_ && (event->reason() == Qt::ActiveWindowFocusReason ||
                                  event->reason() == Qt::PopupFocusReason));
    focusFromEditor_ = false;
    focusLeftWithWindow_ = false;
    if (!returning)
        FocusEntered();
    if (event->reason() != Qt::MouseFocusReason && !committing_ && !inUpdateEdit_)
        UpdateEdit();
}

void QxCustomGrid::FocusEntered() {}

QString QxCustomGrid::EditorFormat(int col, int) {
    return ColFormatStr(col);
}

void QxCustomGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    InvalidateGrid();
    focusLeftWithWindow_ =
        event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
    const QWidget* next = QApplication::focusWidget();
    if (committing_ || inUpdateEdit_ || event->reason() == Qt::ActiveWindowFocusReason ||
        event->reason() == Qt::PopupFocusReason || next == editor_ || next == this)
        return;
    focusLeftGrid();
}

// ---- Mouse ----------------------------------------------------------------------------------

QxCustomGrid::SizingState QxCustomGrid::CalcSizingState(int x, int y, int& index, int& sizingPos,
                                                        int& sizingOfs) {
    const int vl = vertLineWidth();
    const int hl = horzLineWidth();
    if (y >= 0 && y < fixedHeight() && (options_ & xgoColSizing)) {
        int edge = 0;
        auto test = [&](int c) {
            edge += ColWidths(c) + vl;
            if (std::abs(x - edge) <= kSizingZone) {
                index = c;
                sizingPos = edge;
                sizingOfs = x - edge;
                return true;
            }
            return false;
        };
        for (int c = 0; c < fixedCols_; ++c)
            if (test(c))
                return SizingState::ColSizing;
        for (int c = topLeft_.x(); c < colCount_ && edge <= viewport()->width(); ++c)
            if (test(c))
                return SizingState::ColSizing;
    }
    if (x >= 0 && x < fixedWidth() && (options_ & xgoRowSizing)) {
        int edge = 0;
        auto test = [&](int r) {
            edge += RowHeights(r) + hl;
            if (std::abs(y - edge) <= kSizingZone) {
                index = r;
                sizingPos = edge;
                sizingOfs = y - edge;
                return true;
            }
            return false;
        };
        for (int r = 0; r < fixedRows_; ++r)
            if (test(r))
                return SizingState::RowSizing;
        for (int r = topLeft_.y(); r < rowCount_ && edge <= viewport()->height(); ++r)
            if (test(r))
                return SizingState::RowSizing;
    }
    const QPoint cell = MouseCoord(x, y);
    if (cell.x() >= fixedCols_ && cell.y() >= 0 && cell.y() < fixedRows_ &&
        (options_ & xgoColMoving)) {
        index = cell.x();
        return SizingState::ColMoving;
    }
    if (cell.y() >= fixedRows_ && cell.x() >= 0 && cell.x() < fixedCols_ &&
        (options_ & xgoRowMoving)) {
        index = cell.y();
        return SizingState::RowMoving;
    }
    return SizingState::None;
}

void QxCustomGrid::updateCursor(const QPoint& pos) {
    int index = 0, sizingPos = 0, sizingOfs = 0;
    switch (CalcSizingState(pos.x(), pos.y(), index, sizingPos, sizingOfs)) {
    case SizingState::ColSizing:
        viewport()->setCursor(Qt::SplitHCursor);
        break;
    case SizingState::RowSizing:
        viewport()->setCursor(Qt::SplitVCursor);
        break;
    default:
        viewport()->unsetCursor();
        break;
    }
}

void QxCustomGrid::mousePressEvent(QMouseEvent* event) {
    auto clearMark = qScopeGuard([this] { ReselectOnNextPress = false; });
    UpdateText();
    if ((focusPolicy() & Qt::ClickFocus) && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    lastMouse_ = pos;
    int index = 0;
    switch (CalcSizingState(pos.x(), pos.y(), index, sizingPos_, sizingOfs_)) {
    case SizingState::ColSizing:
        gridState_ = GridState::ColSizing;
        sizingIndex_ = index;
        InvalidateGrid();
        return;
    case SizingState::RowSizing:
        gridState_ = GridState::RowSizing;
        sizingIndex_ = index;
        InvalidateGrid();
        return;
    case SizingState::ColMoving:
        gridState_ = GridState::ColMoving;
        moveFrom_ = index;
        return;
    case SizingState::RowMoving:
        gridState_ = GridState::RowMoving;
        moveFrom_ = index;
        return;
    case SizingState::None:
        break;
    }
    const QPoint cell = MouseCoord(pos.x(), pos.y());
    if (cell.x() < fixedCols_ || cell.y() < fixedRows_)
        return;
    if (options_ & xgoEditing) {
        if (cell != current_ || ReselectOnNextPress) {
            MoveCurrent(cell.x(), cell.y(), true, true);
            UpdateEdit();
        } else {
            ShowEditor();
        }
        Click();
    } else {
        gridState_ = GridState::Selecting;
        scrollTimer_.start(kSelectScrollInterval, this);
        const bool extend = (event->modifiers() & Qt::ShiftModifier) && (options_ & xgoRangeSelect);
        MoveCurrent(cell.x(), cell.y(), !extend, true);
    }
}

void QxCustomGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    auto clearMark = qScopeGuard([this] { ReselectOnNextPress = false; });
    if ((focusPolicy() & Qt::ClickFocus) && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton)
        DblClick();
}

void QxCustomGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    lastMouse_ = pos;
    switch (gridState_) {
    case GridState::Normal:
        updateCursor(pos);
        break;
    case GridState::Selecting: {
        const QPoint cell = MouseCoord(std::clamp(pos.x(), 0, viewport()->width() - 1),
                                       std::clamp(pos.y(), 0, viewport()->height() - 1));
        if (cell.x() >= fixedCols_ && cell.y() >= fixedRows_ && cell != current_)
            MoveCurrent(cell.x(), cell.y(), !(options_ & xgoRangeSelect), true);
        break;
    }
    case GridState::ColSizing:
    case GridState::RowSizing:
        sizingPos_ = (gridState_ == GridState::ColSizing ? pos.x() : pos.y()) - sizingOfs_;
        InvalidateGrid();
        break;
    default:
        break;
    }
}

void QxCustomGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const GridState state = gridState_;
    gridState_ = GridState::Normal;
    scrollTimer_.stop();
    switch (state) {
    case GridState::Selecting:
        Click();
        break;
    case GridState::ColSizing: {
        const int edge = (pos.x() - sizingOfs_);
        const QRect cell = CellRect(sizingIndex_, 0);
        const int left = cell.isEmpty() ? 0 : cell.left();
        SetColWidths(sizingIndex_, std::max(1, edge - left - vertLineWidth()));
        InvalidateGrid();
        break;
    }
    case GridState::RowSizing: {
        const int edge = (pos.y() - sizingOfs_);
        const QRect cell = CellRect(0, sizingIndex_);
        const int top = cell.isEmpty() ? 0 : cell.top();
        SetRowHeights(sizingIndex_, std::max(1, edge - top - horzLineWidth()));
        InvalidateGrid();
        break;
    }
    case GridState::ColMoving: {
        const QPoint cell = MouseCoord(pos.x(), std::min(pos.y(), fixedHeight() - 1));
        if (cell.x() >= fixedCols_ && cell.x() != moveFrom_)
            MoveColumn(moveFrom_, cell.x());
        break;
    }
    case GridState::RowMoving: {
        const QPoint cell = MouseCoord(std::min(pos.x(), fixedWidth() - 1), pos.y());
        if (cell.y() >= fixedRows_ && cell.y() != moveFrom_)
            MoveRow(moveFrom_, cell.y());
        break;
    }
    case GridState::Normal:
        break;
    }
}

void QxCustomGrid::timerEvent(QTimerEvent* event) {
    if (event->timerId() != scrollTimer_.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (gridState_ != GridState::Selecting) {
        scrollTimer_.stop();
        return;
    }
    // Selecting beyond an edge scrolls one cell that way per tick.
    int col = current_.x();
    int row = current_.y();
    if (lastMouse_.y() < 0)
        row = std::max(fixedRows_, std::min(row, topLeft_.y()) - 1);
    else if (lastMouse_.y() >= viewport()->height())
        row = std::min(rowCount_ - 1, row + 1);
    if (lastMouse_.x() < 0)
        col = std::max(fixedCols_, std::min(col, topLeft_.x()) - 1);
    else if (lastMouse_.x() >= viewport()->width())
        col = std::min(colCount_ - 1, col + 1);
    if (col != current_.x() || row != current_.y())
        MoveCurrent(col, row, !(options_ & xgoRangeSelect), true);
}

// ---- QxDrawGrid -----------------------------------------------------------------------------

QxDrawGrid::QxDrawGrid(QWidget* parent) : QxCustomGrid(parent) {}

bool QxDrawGrid::CanEditShow() {
    bool result = QxCustomGrid::CanEditShow();
    if (OnCanEditShow)
        OnCanEditShow(this, Col(), Row(), result);
    return result;
}

void QxDrawGrid::DrawCell(int col, int row, const QRect& rect, QxGridDrawState state) {
    if (OnDrawCell)
        OnDrawCell(this, col, row, rect, state);
}

bool QxDrawGrid::SelectCell(int col, int row) {
    bool canSelect = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, canSelect);
    return canSelect;
}

void QxDrawGrid::DoSetData(int col, int row) {
    if (OnDoSetData)
        OnDoSetData(this, col, row);
}

QString QxDrawGrid::GetEditText(int col, int row) {
    QString value;
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
    return value;
}

void QxDrawGrid::SetEditText(int col, int row, const QString& value) {
    if (OnSetEditText)
        OnSetEditText(this, col, row, value);
}

void QxDrawGrid::ColumnMoved(int from, int to) {
    if (OnColumnMoved)
        OnColumnMoved(this, from, to);
}

void QxDrawGrid::RowMoved(int from, int to) {
    if (OnRowMoved)
        OnRowMoved(this, from, to);
}

void QxDrawGrid::TopLeftChanged() {
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

void QxDrawGrid::ColWidthsChanged() {
    QxCustomGrid::ColWidthsChanged();
    if (OnColWidthsChanged)
        OnColWidthsChanged(this);
}

// ---- TStringGridStrings ---------------------------------------------------------------------

int TStringGridStrings::Count() const {
    return isRow_ ? grid_->ColCount() : grid_->RowCount();
}

QString TStringGridStrings::Get(int index) const {
    return isRow_ ? grid_->Cells(index, index_) : grid_->Cells(index_, index);
}

void TStringGridStrings::Put(int index, const QString& text) {
    if (isRow_)
        grid_->SetCells(index, index_, text);
    else
        grid_->SetCells(index_, index, text);
}

CellObject TStringGridStrings::GetObject(int index) const {
    return isRow_ ? grid_->Objects(index, index_) : grid_->Objects(index_, index);
}

void TStringGridStrings::PutObject(int index, CellObject object) {
    if (isRow_)
        grid_->SetObjects(index, index_, object);
    else
        grid_->SetObjects(index_, index, object);
}

int TStringGridStrings::Add(const QString& text) {
    for (int i = 0; i < Count(); ++i) {
        if (Get(i).isEmpty()) {
            Put(i, text);
            return i;
        }
    }
    return -1;
}

void TStringGridStrings::Insert(int, const QString&) {
    throw EInvalidGridOperation(GridMessages::CannotInsertDelete);
}

void TStringGridStrings::Delete(int) {
    throw EInvalidGridOperation(GridMessages::CannotInsertDelete);
}

void TStringGridStrings::Clear() {
    grid_->BeginUpdate();
    auto end = qScopeGuard([this] { grid_->EndUpdate(); });
    for (int i = 0; i < Count(); ++i) {
        if (GetObject(i) != nullptr)
            PutObject(i, nullptr);
        Put(i, QString());
    }
}

void TStringGridStrings::Assign(const QStringList& lines) {
    grid_->BeginUpdate();
    auto end = qScopeGuard([this] { grid_->EndUpdate(); });
    const int n = std::min<qsizetype>(lines.size(), Count());
    for (int i = 0; i < n; ++i)
        Put(i, lines.at(i));
}

QStringList TStringGridStrings::ToStringList() const {
    QStringList lines;
    for (int i = 0; i < Count(); ++i)
        lines << Get(i);
    return lines;
}

// ---- QxStringGrid ---------------------------------------------------------------------------

QxStringGrid::QxStringGrid(QWidget* parent) : QxDrawGrid(parent) {}

QxStringGrid::~QxStringGrid() = default;

void QxStringGrid::initializeStorage() {
    // Large sections pay off only for a grid that is large when its storage is set up.
    const SparseQuantum rowQuantum = RowCount() > 256 ? SparseQuantum::Large : SparseQuantum::Small;
    const SparseQuantum colQuantum = ColCount() > 512 ? SparseQuantum::Large : SparseQuantum::Small;
    data_ = std::make_unique<TSparseList<TStringSparseList>>(rowQuantum);
    rowViews_ = std::make_unique<TSparseList<TStringGridStrings>>(rowQuantum);
    colViews_ = std::make_unique<TSparseList<TStringGridStrings>>(colQuantum);
    cellQuantum_ = colQuantum;
}

TStringSparseList& QxStringGrid::ensureDataRow(int row) {
    if (!data_)
        initializeStorage();
    TStringSparseList* list = data_->Get(row);
    if (!list) {
        auto created = std::make_unique<TStringSparseList>(cellQuantum_);
        list = created.get();
        data_->Put(row, std::move(created));
    }
    return *list;
}

TStringGridStrings& QxStringGrid::ensureView(bool isRow, int index) {
    if (!data_)
        initializeStorage();
    auto& views = isRow ? *rowViews_ : *colViews_;
    TStringGridStrings* view = views.Get(index);
    if (!view) {
        auto created = std::make_unique<TStringGridStrings>(this, isRow, index);
        view = created.get();
        views.Put(index, std::move(created));
    }
    return *view;
}

QString QxStringGrid::Cells(int col, int row) const {
    checkIndex(col, row);
    if (!data_)
        return {};
    const TStringSparseList* list = data_->Get(row);
    return list ? list->Get(col) : QString();
}

void QxStringGrid::SetCells(int col, int row, const QString& text) {
    checkIndex(col, row);
    ensureDataRow(row).Put(col, text);
    ensureView(true, row);
    ensureView(false, col);
    cellChanged(col, row);
}

CellObject QxStringGrid::Objects(int col, int row) const {
    checkIndex(col, row);
    if (!data_)
        return nullptr;
    const TStringSparseList* list = data_->Get(row);
    return list ? list->GetObject(col) : nullptr;
}

void QxStringGrid::SetObjects(int col, int row, CellObject object) {
    checkIndex(col, row);
    ensureDataRow(row).PutObject(col, object);
    ensureView(true, row);
    ensureView(false, col);
}

TStringGridStrings& QxStringGrid::Rows(int row) {
    if (row < 0 || row >= RowCount())
        throw EInvalidGridOperation(GridMessages::IndexOutOfRange);
    return ensureView(true, row);
}

TStringGridStrings& QxStringGrid::Cols(int col) {
    if (col < 0 || col >= ColCount())
        throw EInvalidGridOperation(GridMessages::IndexOutOfRange);
    return ensureView(false, col);
}

void QxStringGrid::cellChanged(int col, int row) {
    InvalidateCell(col, row);
    // Text written from outside into the cell being edited shows in the editor at once.
    if (!Committing() && EditorShowing() && EditedCell() == QPoint(col, row))
        UpdateEditContents();
}

void QxStringGrid::SetAlwaysShowCell(bool value) {
    alwaysShowCell_ = value;
    InvalidateGrid();
}

void QxStringGrid::DrawCell(int col, int row, const QRect& rect, QxGridDrawState state) {
    QPainter* painter = Canvas();
    if (DefaultDrawing() && painter)
        painter->drawText(rect.adjusted(2, 2, 0, 0),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Cells(col, row));
    QxDrawGrid::DrawCell(col, row, rect, state);
    // A grid without the focus shows no highlighted cell unless asked to.
    if (!alwaysShowCell_ && (state & gdSelected) && painter &&
        (!isEnabled() || !hasFocusWithin())) {
        painter->fillRect(rect, Color());
        painter->setPen(FontColor());
        painter->drawText(rect.adjusted(2, 2, 0, 0),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Cells(col, row));
    }
}

bool QxStringGrid::hasFocusWithin() const {
    const QWidget* focus = window()->focusWidget();
    return focus != nullptr && (focus == this || isAncestorOf(focus));
}

QString QxStringGrid::GetEditText(int col, int row) {
    QString value = Cells(col, row);
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
    return value;
}

void QxStringGrid::SetEditText(int col, int row, const QString& value) {
    if (Cells(col, row) != value)
        SetCells(col, row, value);
    QxDrawGrid::SetEditText(col, row, value);
}

void QxStringGrid::ColumnMoved(int from, int to) {
    if (data_)
        data_->ForAll([from, to](int, TStringSparseList& row) { row.Move(from, to); });
    QxDrawGrid::ColumnMoved(from, to);
}

void QxStringGrid::RowMoved(int from, int to) {
    if (data_)
        data_->Move(from, to);
    QxDrawGrid::RowMoved(from, to);
}

void QxStringGrid::DeleteRow(int row) {
    QxDrawGrid::DeleteRow(row);
}

void QxStringGrid::DeleteColumn(int col) {
    QxDrawGrid::DeleteColumn(col);
}

std::size_t QxStringGrid::StoredRowCount() const {
    std::size_t n = 0;
    if (data_)
        data_->ForAll([&n](int, const TStringSparseList&) { ++n; });
    return n;
}

std::size_t QxStringGrid::StoredCellCount() const {
    std::size_t n = 0;
    if (data_)
        data_->ForAll([&n](int, const TStringSparseList& row) {
            for (int c = 0; c < row.Count(); ++c)
                n += !row.Get(c).isEmpty() || row.GetObject(c) != nullptr;
        });
    return n;
}

std::size_t QxStringGrid::RowViewCount() const {
    std::size_t n = 0;
    if (rowViews_)
        rowViews_->ForAll([&n](int, const TStringGridStrings&) { ++n; });
    return n;
}

std::size_t QxStringGrid::ColViewCount() const {
    std::size_t n = 0;
    if (colViews_)
        colViews_->ForAll([&n](int, const TStringGridStrings&) { ++n; });
    return n;
}

} // namespace corvel
