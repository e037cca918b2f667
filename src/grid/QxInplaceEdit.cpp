#include "grid/QxInplaceEdit.h"

namespace corvel {

QxInplaceEdit::QxInplaceEdit(QxCustomGrid* grid) : QxCustomEdit(grid->viewport()), grid_(grid) {
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus);
    // Text starts 2 pixels right of and below the cell corner, where the grid draws it.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextMargins(0, 2, 0, 0);
    SetFormat("%S");
}

} // namespace corvel
