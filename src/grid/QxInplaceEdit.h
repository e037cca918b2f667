#pragma once

// The grid's in-place editor: the formatted numeric edit, borderless over the edited cell.

#include "grid/QxGrids.h"
#include "units/QxFmtEdit.h"

namespace corvel {

/// A formatted edit that the grid places over its current cell. It has no border, is no tab
/// stop, and starts with format "%S" (which empties its initial "0.0"); the grid sets its
/// format per column (or per row, in the entry grid) every time it is loaded and committed.
class QxInplaceEdit : public QxCustomEdit, public QxGridEditor {
    Q_OBJECT
public:
    explicit QxInplaceEdit(QxCustomGrid* grid);

    QxCustomGrid* Grid() const { return grid_; }

    void GridEditFormat(const QString& format) override { SetFormat(format.toStdString()); }
    void GridValidateEdit() override { ValidateEdit(); }
    // Records the text of focus entry (Esc returns to it) and clears Modified.
    void GridEnterEdit() override { DoEnter(); }

private:
    QxCustomGrid* grid_;
};

} // namespace corvel
