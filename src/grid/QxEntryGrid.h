#pragma once

// TEntryGrid: a three-column string grid (caption, value, unit) whose rows come from definition
// lines. Per row it decides how the value cell is edited: with the formatted in-place editor
// held to the row's range, with spin buttons, with a property-editor button handing the value
// to an outside handler, or with a pop-up list of choices. Every commit of a value raises
// OnDoSetData.

#include "grid/QxFields.h"
#include "grid/QxGrids.h"

#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QToolButton>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace corvel {

class TEntryGrid;

/// Shows a message to the user: `isError` an error dialog (error icon, one OK button), else a
/// plain message. Replaceable so that tests and fuzzing record instead of opening dialogs.
using GridMessageHook = std::function<void(const QString& text, bool isError)>;
/// Installs `hook` and returns the one it replaces; an empty hook restores the message boxes.
GridMessageHook SetGridMessageHook(GridMessageHook hook);

/// The glyph named "PULLDNPIC" (10 × 10 down arrow), "SPINUPPIC" or "SPINDNPIC" (6 × 4 arrows)
/// or "PROPEDPIC" (10 × 10 ellipsis); a null pixmap for any other name.
QPixmap GridGlyph(const QString& name);

/// The entry grid's pop-up list of choices: it hides itself when it loses the focus.
class TMyListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TMyListBox(TEntryGrid* grid);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TEntryGrid* grid_;
};

class TEntryGrid : public QxStringGrid {
    Q_OBJECT
public:
    explicit TEntryGrid(QWidget* parent = nullptr);
    ~TEntryGrid() override;

    /// The definition lines, line 0 the header. Assigning copies them and rebuilds the rows.
    const QStringList& Lines() const { return lines_; }
    void SetLines(const QStringList& lines);
    /// Replaces the definition line of `row` (1 or more) and rebuilds that row's field and
    /// cells, keeping a property editor installed on the row; a selected row takes the new
    /// format and range at once. Nothing for a row without a line.
    void SetLine(int row, const QString& line);
    char Delim() const { return delim_; }
    void SetDelim(char delim) { delim_ = delim; }
    QColor ColorEditCol() const { return colorEditCol_; }
    void SetColorEditCol(const QColor& color);
    QColor ColorEditMode() const { return colorEditMode_; }
    void SetColorEditMode(const QColor& color) { colorEditMode_ = color; }
    QColor ColorEditModeText() const { return colorEditModeText_; }
    void SetColorEditModeText(const QColor& color) { colorEditModeText_ = color; }

    /// Marks `row` as doubtful: its value is drawn in `colour` and hovering the row shows `tip`.
    /// The cell texts stay as they are. An empty `tip` removes the mark.
    void SetRowMark(int row, const QColor& colour, const QString& tip);
    /// The tooltip of a marked row; empty for a row without a mark.
    QString RowMarkTip(int row) const;
    /// The colour of a marked row's value; invalid for a row without a mark.
    QColor RowMarkColour(int row) const;

    /// Raised after a click in the unit column has been handed to the unit-click hook.
    std::function<void(QObject* Sender, int ARow)> OnAfterRightClick;
    /// Called on a press in the unit column of a row that has a field, with the grid, the row,
    /// the mouse position on screen and the row's field. Nothing in the program installs it.
    std::function<void(TEntryGrid* grid, int row, int x, int y, TField& field)> UnitClickHook;

    /// Discards the fields and rebuilds rows and fields from Lines.
    void RebuildRows();
    /// Builds the field of one row from its definition line and fills the row's cells.
    TField* ParseRowDef(int row);
    /// Makes `row` a property-editor row with `handler`, whatever its definition line said.
    void SetPropEditor(int row, TPropEditEvent handler);
    Variant GetValue(int col, int row);
    void SetValue(int col, int row, const Variant& value);
    /// The row's minimum (maximum) in displayed measure; 0 for a row that is not numeric.
    double RangeLo(int row);
    double RangeHi(int row);
    /// The load step that follows setting the stored properties: rebuilds the rows. The buttons
    /// are made when a row first wants one (or one is asked for), the choice list when a choice
    /// row first shows it.
    void Loaded();

    /// The field of `row`, null when the row has none.
    TField* Field(int row) const;
    int FieldCount() const { return static_cast<int>(fields_.size()); }

    /// The buttons beside the value cell; null before Loaded().
    QToolButton* PullDownButton() const { return buttons()->pullDown_; }
    QToolButton* SpinUpButton() const { return buttons()->spinUp_; }
    QToolButton* SpinDownButton() const { return buttons()->spinDown_; }
    QToolButton* PropEdButton() const { return buttons()->propEd_; }
    /// The drop-down list of a choice row; null until one was first shown.
    TMyListBox* ChoiceList() const { return list_; }

    void SpinUpClick();
    void SpinDownClick();
    void PropEdClick();
    /// Shows the choice list for the current row, or hides it when it shows.
    void PullDownRelease();

protected:
    bool CanEditShow() override;
    bool SelectCell(int col, int row) override;
    void UpdateEditContents() override;
    void DrawCell(int col, int row, const QRect& rect, QxGridDrawState state) override;
    QString EditorFormat(int col, int row) override;
    void FocusEntered() override;
    void TopLeftChanged() override;
    void ColWidthsChanged() override;
    void DblClick() override;

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    friend class TMyListBox;

    struct RowMark {
        QColor colour;
        QString tip;
    };

    /// One step of the spin buttons, up or down.
    void spin(bool up);
    /// This grid with its buttons made, once it is loaded.
    const TEntryGrid* buttons() const;
    void createButtons();
    void hideButtons();
    void placeButtons(int row);
    void showChoiceList();
    void hideChoiceList(bool focusGrid);
    void takeChoice();
    void cycleChoice(bool next);
    bool enumRowEnabled(int row) const;
    bool overEnumValueCell(const QPoint& viewportPos) const;
    void showError(const QString& text);
    void showMessage(const QString& text);

    QStringList lines_;
    char delim_ = ';';
    QColor colorEditCol_;
    QColor colorEditMode_;
    QColor colorEditModeText_;
    std::vector<std::unique_ptr<TField>> fields_;
    std::map<int, RowMark> marks_;

    // The selected row's editing context.
    TField* currentField_ = nullptr;
    QString currentFormat_ = "%S";
    /// The format of the cell the editor was loaded for, kept until its commit.
    QString editFormat_ = "%S";
    int currentDisplayMode_ = 1;
    double rangeLo_ = 0;
    double rangeHi_ = 0;
    TNumField* currentNumField_ = nullptr;
    TEnumField* currentEnumField_ = nullptr;
    /// The buttons the selected row shows, placed again whenever the view scrolls or resizes.
    enum : unsigned { kPropEdButton = 1, kSpinButtons = 2, kPullDownButton = 4 };
    unsigned wantedButtons_ = 0;

    // The buttons live on the grid's parent, which may delete them first.
    QPointer<QToolButton> pullDown_;
    QPointer<QToolButton> spinUp_;
    QPointer<QToolButton> spinDown_;
    QPointer<QToolButton> propEd_;
    bool loaded_ = false; ///< Loaded() has run: the buttons may be made
    TMyListBox* list_ = nullptr;
    int unitCol_ = 2;
};

} // namespace corvel
