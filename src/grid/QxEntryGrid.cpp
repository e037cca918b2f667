#include "grid/QxEntryGrid.h"

#include "grid/QxInplaceEdit.h"
#include "units/NumberText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace corvel {

namespace {

GridMessageHook& messageHook() {
    static GridMessageHook hook;
    return hook;
}

void showMessageBox(const QString& text, bool isError) {
    QMessageBox box(isError ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QApplication::applicationName(), text, QMessageBox::Ok);
    box.exec();
}

/// Widest item text that widens the choice list [px].
constexpr int kMaxChoiceWidth = 200;
/// Most items the choice list shows without scrolling.
constexpr int kVisibleChoices = 5;
/// A remainder this small counts as a value on the spin grid.
constexpr double kSpinTolerance = 1e-5;

/// `value` as the row shows it: its format applied and read back.
double atDisplayPrecision(const TNumField& field, double value) {
    if (IsIntegerFormat(field.Format))
        return std::nearbyint(value);
    return readReal(formatText(field.Format, {value}));
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

} // namespace

GridMessageHook SetGridMessageHook(GridMessageHook hook) {
    GridMessageHook previous = std::move(messageHook());
    messageHook() = std::move(hook);
    return previous;
}

QPixmap GridGlyph(const QString& name) {
    auto draw = [](int w, int h, auto paint) {
        QPixmap pixmap(w, h);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        paint(painter);
        return pixmap;
    };
    if (name == "PULLDNPIC")
        return draw(10, 10, [](QPainter& p) {
            p.drawPolygon(QPolygon({QPoint(1, 3), QPoint(9, 3), QPoint(5, 7)}));
        });
    if (name == "SPINUPPIC")
        return draw(6, 4, [](QPainter& p) {
            p.drawPolygon(QPolygon({QPoint(0, 4), QPoint(6, 4), QPoint(3, 1)}));
        });
    if (name == "SPINDNPIC")
        return draw(6, 4, [](QPainter& p) {
            p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(6, 0), QPoint(3, 3)}));
        });
    if (name == "PROPEDPIC")
        return draw(10, 10, [](QPainter& p) {
            for (int x : {1, 4, 7})
                p.drawRect(x, 6, 2, 2);
        });
    return {};
}

// ---- TMyListBox -----------------------------------------------------------------------------

TMyListBox::TMyListBox(TEntryGrid* grid) : QListWidget(grid), grid_(grid) {
    setWindowFlags(Qt::Popup);
    setFrameShape(QFrame::Box);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setMouseTracking(true);
    hide();
}

void TMyListBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        grid_->takeChoice();
        grid_->hideChoiceList(true);
        event->accept();
        return;
    default:
        QListWidget::keyPressEvent(event);
    }
}

void TMyListBox::keyReleaseEvent(QKeyEvent* event) {
    QListWidget::keyReleaseEvent(event);
    if (isVisible())
        grid_->takeChoice();
}

void TMyListBox::mousePressEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint())) {
        // A press outside the pop-up closes it.
        grid_->hideChoiceList(false);
        return;
    }
    QListWidget::mousePressEvent(event);
    grid_->takeChoice();
    grid_->hideChoiceList(true);
}

void TMyListBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint overGrid = grid_->viewport()->mapFromGlobal(event->globalPosition().toPoint());
    if (grid_->viewport()->rect().contains(overGrid) && !grid_->overEnumValueCell(overGrid)) {
        grid_->hideChoiceList(true);
        return;
    }
    QListWidget::mouseMoveEvent(event);
}

void TMyListBox::focusOutEvent(QFocusEvent* event) {
    QListWidget::focusOutEvent(event);
    hide();
}

// ---- Construction, lines and fields ---------------------------------------------------------

TEntryGrid::TEntryGrid(QWidget* parent) : QxStringGrid(parent) {
    SetDefaultColWidth(60);
    SetDefaultRowHeight(16);
    SetScrollBars(QxScrollStyle::None);
    SetColCount(3);
    SetRowCount(4);
    SetFixedCols(0);
    SetColWidths(0, 90);
    SetColWidths(1, 60);
    SetColWidths(2, 50);
    SetOptions(QxGridFirstFiveOptions | xgoColSizing | xgoEditing);
    resize(206, 72);
    colorEditCol_ = Color();
    colorEditMode_ = Color();
    colorEditModeText_ = FontColor();
    SetCol(1);
}

TEntryGrid::~TEntryGrid() {
    for (QToolButton* button : {pullDown_.data(), spinUp_.data(), spinDown_.data(), propEd_.data()})
        delete button;
}

void TEntryGrid::SetLines(const QStringList& lines) {
    lines_ = lines;
    RebuildRows();
}

void TEntryGrid::SetLine(int row, const QString& line) {
    if (row <= 0 || row >= lines_.size() || row >= RowCount())
        return;
    lines_[row] = line;
    std::uint8_t kind = kFieldKindNone;
    TPropEditEvent propEdit;
    if (const TField* old = Field(row); old && old->Kind == kFieldKindPropEditor) {
        kind = old->Kind;
        propEdit = old->OnPropEdit;
    }
    TField* field = ParseRowDef(row);
    if (field && kind == kFieldKindPropEditor) {
        field->Kind = kind;
        field->OnPropEdit = std::move(propEdit);
    }
    if (row == Row() && Col() != 0 && Col() != unitCol_)
        SelectCell(Col(), Row());
    InvalidateRow(row);
}

void TEntryGrid::SetColorEditCol(const QColor& color) {
    colorEditCol_ = color;
    InvalidateGrid();
}

TField* TEntryGrid::Field(int row) const {
    if (row < 0 || row >= static_cast<int>(fields_.size()))
        return nullptr;
    return fields_[static_cast<std::size_t>(row)].get();
}

void TEntryGrid::showError(const QString& text) {
    if (const GridMessageHook& hook = messageHook())
        hook(text, true);
    else
        showMessageBox(text, true);
}

void TEntryGrid::showMessage(const QString& text) {
    if (const GridMessageHook& hook = messageHook())
        hook(text, false);
    else
        showMessageBox(text, false);
}

void TEntryGrid::RebuildRows() {
    hideButtons();
    hideChoiceList(false);
    currentField_ = nullptr;
    currentNumField_ = nullptr;
    currentEnumField_ = nullptr;
    fields_.clear();

    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(lines_.size()));
    for (const QString& line : lines_)
        lines.push_back(utf8(line));
    TRowModel model = BuildRows(lines, delim_, [this](const std::string& message) {
        showError(QString::fromStdString(message));
    });

    BeginUpdate();
    SetRowCount(model.RowCount);
    for (std::size_t row = 0; row < model.Cells.size(); ++row) {
        const auto& pieces = model.Cells[row];
        const int n = std::min(static_cast<int>(pieces.size()), ColCount());
        for (int col = 0; col < n; ++col)
            SetCells(col, static_cast<int>(row),
                     QString::fromStdString(pieces[static_cast<std::size_t>(col)]));
    }
    fields_ = std::move(model.Fields);
    EndUpdate();
}

TField* TEntryGrid::ParseRowDef(int row) {
    if (row <= 0 || row >= lines_.size() || row >= RowCount())
        return nullptr;
    TRowDef def =
        corvel::ParseRowDef(utf8(lines_.at(row)), delim_, [this](const std::string& message) {
            showError(QString::fromStdString(message));
        });
    const int n = std::min(static_cast<int>(def.Cells.size()), ColCount());
    for (int col = 0; col < n; ++col)
        SetCells(col, row, QString::fromStdString(def.Cells[static_cast<std::size_t>(col)]));
    if (row >= static_cast<int>(fields_.size()))
        fields_.resize(static_cast<std::size_t>(row) + 1);
    TField*& current = currentField_;
    if (current == fields_[static_cast<std::size_t>(row)].get()) {
        current = nullptr;
        currentNumField_ = nullptr;
        currentEnumField_ = nullptr;
    }
    fields_[static_cast<std::size_t>(row)] = std::move(def.Field);
    return fields_[static_cast<std::size_t>(row)].get();
}

void TEntryGrid::SetPropEditor(int row, TPropEditEvent handler) {
    TField* field = Field(row);
    if (!field) {
        showMessage(QString("Error setting property editor, row %1").arg(row));
        return;
    }
    field->Kind = kFieldKindPropEditor;
    field->OnPropEdit = std::move(handler);
}

Variant TEntryGrid::GetValue(int col, int row) {
    const std::string text = utf8(Cells(col, row));
    if (col != 1)
        return text;
    return FieldGetValue(Field(row), text);
}

void TEntryGrid::SetValue(int col, int row, const Variant& value) {
    if (col != 1) {
        SetCells(col, row, QString::fromStdString(VariantText(value)));
        return;
    }
    SetCells(col, row, QString::fromStdString(FieldSetValueText(Field(row), value)));
}

double TEntryGrid::RangeLo(int row) {
    try {
        return FieldRangeLo(Field(row));
    } catch (const Exception&) {
        showMessage(QString("Error getting range lo, row %1").arg(row));
        return 0;
    }
}

double TEntryGrid::RangeHi(int row) {
    try {
        return FieldRangeHi(Field(row));
    } catch (const Exception&) {
        showMessage(QString("Error getting range hi, row %1").arg(row));
        return 0;
    }
}

void TEntryGrid::Loaded() {
    RebuildRows();
    // The buttons are made when first wanted: most start-ups select a row that has none, and
    // four hidden buttons with their drawn glyphs would only delay the first showing.
    loaded_ = true;
}

// ---- Buttons --------------------------------------------------------------------------------

const TEntryGrid* TEntryGrid::buttons() const {
    if (loaded_ && !pullDown_)
        const_cast<TEntryGrid*>(this)->createButtons();
    return this;
}

void TEntryGrid::createButtons() {
    QWidget* host = parentWidget() ? parentWidget() : viewport();
    auto make = [this, host](const char* glyph) {
        auto* button = new QToolButton(host);
        const QPixmap pixmap = GridGlyph(glyph);
        button->setIcon(QIcon(pixmap));
        button->setIconSize(pixmap.size());
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        button->resize(15, 15);
        button->hide();
        return button;
    };
    pullDown_ = make("PULLDNPIC");
    spinUp_ = make("SPINUPPIC");
    spinDown_ = make("SPINDNPIC");
    propEd_ = make("PROPEDPIC");
    connect(pullDown_, &QToolButton::released, this, [this] { PullDownRelease(); });
    connect(spinUp_, &QToolButton::clicked, this, [this] { SpinUpClick(); });
    connect(spinDown_, &QToolButton::clicked, this, [this] { SpinDownClick(); });
    connect(propEd_, &QToolButton::clicked, this, [this] { PropEdClick(); });
    // The choice list is made when a choice row first shows it.
}

void TEntryGrid::hideButtons() {
    wantedButtons_ = 0;
    for (QToolButton* button : {pullDown_.data(), spinUp_.data(), spinDown_.data(), propEd_.data()})
        if (button)
            button->hide();
}

void TEntryGrid::placeButtons(int row) {
    if (row < 0 || row >= RowCount())
        return;
    if (wantedButtons_ != 0)
        buttons();
    const QRect r = CellRect(1, row);
    const int h = RowHeights(row);
    auto place = [&](QToolButton* button, int width, int height, int dy) {
        if (!button)
            return;
        if (r.isEmpty()) {
            button->hide();
            return;
        }
        QWidget* host = button->parentWidget();
        const QPoint at =
            host == viewport()
                ? QPoint(r.x() + r.width() - width, r.y() + dy)
                : viewport()->mapTo(host, QPoint(r.x() + r.width() - width, r.y() + dy));
        button->setGeometry(at.x(), at.y(), width, height);
        button->setEnabled(true);
        button->show();
        button->raise();
    };
    const int half = static_cast<int>(std::lround(h / 2.0));
    if (wantedButtons_ & kPropEdButton)
        place(propEd_, h, h, 0);
    if (wantedButtons_ & kPullDownButton)
        place(pullDown_, h, h, 0);
    if (wantedButtons_ & kSpinButtons) {
        place(spinUp_, h, half, 0);
        place(spinDown_, h, half, half);
    }
}

void TEntryGrid::TopLeftChanged() {
    QxStringGrid::TopLeftChanged();
    placeButtons(Row());
}

void TEntryGrid::ColWidthsChanged() {
    QxStringGrid::ColWidthsChanged();
    placeButtons(Row());
}

// ---- Selection and editing ------------------------------------------------------------------

bool TEntryGrid::CanEditShow() {
    bool canShow = QxStringGrid::CanEditShow();
    if (Col() == 0 || Col() == unitCol_)
        return false;
    if (const TField* field = Field(Row())) {
        if (dynamic_cast<const TEnumField*>(field) || !field->Enabled || !field->Editable)
            return false;
    }
    return canShow;
}

bool TEntryGrid::SelectCell(int col, int row) {
    try {
        if (col == 0 || col == unitCol_) {
            hideButtons();
        } else {
            hideChoiceList(false);
            hideButtons();
            currentEnumField_ = nullptr;
            // A row that is not numeric has no numeric field, so its spin buttons change nothing.
            currentNumField_ = nullptr;
            currentFormat_ = "%S";
            rangeLo_ = 0;
            rangeHi_ = 0;
            currentField_ = Field(row);
            if (currentField_)
                currentFormat_ = QString::fromStdString(currentField_->Format);
            if (currentField_ && currentField_->Enabled) {
                if (currentField_->Kind == kFieldKindPropEditor)
                    wantedButtons_ |= kPropEdButton;
                else if (currentField_->Kind == kFieldKindSpin)
                    wantedButtons_ |= kSpinButtons;
                if (auto* number = dynamic_cast<TNumField*>(currentField_)) {
                    currentNumField_ = number;
                    currentFormat_ = QString::fromStdString(number->Format);
                    currentDisplayMode_ = number->DisplayMode;
                    rangeLo_ = RangeLo(row);
                    rangeHi_ = RangeHi(row);
                } else if (auto* choices = dynamic_cast<TEnumField*>(currentField_)) {
                    currentEnumField_ = choices;
                    wantedButtons_ |= kPullDownButton;
                }
                placeButtons(row);
            }
        }
    } catch (const Exception&) {
        // Selecting never fails; the context keeps what was set so far.
    }
    return QxStringGrid::SelectCell(col, row);
}

QString TEntryGrid::EditorFormat(int col, int row) {
    if (QPoint(col, row) == EditedCell())
        return editFormat_;
    return currentFormat_;
}

void TEntryGrid::UpdateEditContents() {
    // The editor covers the value cell; only the pull-down button stays.
    wantedButtons_ &= kPullDownButton;
    if (propEd_)
        propEd_->hide();
    if (spinUp_)
        spinUp_->hide();
    if (spinDown_)
        spinDown_->hide();
    // The editor keeps the loaded row's format and range until its commit, even when the
    // selection has already moved on to another row.
    editFormat_ = currentFormat_;
    if (auto* editor = dynamic_cast<QxInplaceEdit*>(InplaceEditor())) {
        editor->SetDisplayMode(currentDisplayMode_);
        editor->SetLowLimit(rangeLo_);
        editor->SetHighLimit(rangeHi_);
        QPalette palette = editor->palette();
        palette.setColor(QPalette::Base, colorEditMode_);
        palette.setColor(QPalette::Text, colorEditModeText_);
        editor->setPalette(palette);
    }
    QxStringGrid::UpdateEditContents();
}

void TEntryGrid::FocusEntered() {
    SelectCell(Col(), Row());
    ReselectOnNextPress = true;
}

// ---- Spin and property-editor buttons -------------------------------------------------------

void TEntryGrid::SpinUpClick() {
    spin(true);
}

void TEntryGrid::SpinDownClick() {
    spin(false);
}

void TEntryGrid::spin(bool up) {
    TNumField* f = currentNumField_;
    if (!f)
        return;
    const int row = Row();
    try {
        double v = VariantReal(GetValue(1, row));
        if (v == (up ? f->Max : f->Min))
            return;
        if (const TSpinEvent& handler = up ? f->OnSpinUp : f->OnSpinDown) {
            v = handler(v);
        } else {
            // On the step grid a value moves one step. Off it, a value on the side of zero the
            // step points to moves to the next grid value that way; one on the other side
            // moves to the grid value nearer zero.
            const bool towardStep = up ? v > 0 : v < 0;
            v = atDisplayPrecision(*f, v);
            const double q = v / f->Step;
            double r = (q - std::trunc(q)) * f->Step;
            if (std::fabs(r) < kSpinTolerance)
                r = 0;
            v -= r;
            if (r == 0 || towardStep)
                v += up ? f->Step : -f->Step;
        }
        if (v < f->Min)
            v = f->Min;
        if (v > f->Max)
            v = f->Max;
        SetValue(1, row, v);
        DoSetData(1, row);
    } catch (const Exception&) {
        // A value cell that does not hold a number is left alone.
    }
}

void TEntryGrid::PropEdClick() {
    TField* field = Field(Row());
    if (!field || field->Kind != kFieldKindPropEditor || !field->OnPropEdit)
        return;
    const int row = Row();
    Variant value = GetValue(1, row);
    const int result = field->OnPropEdit(value);
    if (result == 1) {
        SetValue(1, row, value);
        DoSetData(1, row);
        setFocus();
    } else if (result == 2) {
        setFocus();
    }
}

// ---- Choice list ----------------------------------------------------------------------------

bool TEntryGrid::enumRowEnabled(int row) const {
    const auto* choices = dynamic_cast<const TEnumField*>(Field(row));
    return choices && choices->Enabled;
}

bool TEntryGrid::overEnumValueCell(const QPoint& viewportPos) const {
    const QPoint cell = MouseCoord(viewportPos.x(), viewportPos.y());
    return cell.x() == 1 && dynamic_cast<const TEnumField*>(Field(cell.y())) != nullptr;
}

void TEntryGrid::PullDownRelease() {
    if (list_ && list_->isVisible()) {
        hideChoiceList(true);
        return;
    }
    showChoiceList();
}

void TEntryGrid::showChoiceList() {
    if (!list_)
        list_ = new TMyListBox(this);
    if (!currentEnumField_)
        return;
    const int row = Row();
    list_->clear();
    const int itemHeight = DefaultRowHeight();
    for (const std::string& choice : currentEnumField_->Choices) {
        auto* item = new QListWidgetItem(QString::fromStdString(choice), list_);
        item->setSizeHint(QSize(0, itemHeight));
    }
    const Variant position = GetValue(1, row);
    if (const auto* index = std::get_if<std::int32_t>(&position))
        list_->setCurrentRow(*index);

    const QRect r = CellRect(1, row);
    const int lineWidth = GridLineWidth();
    const QPoint at = viewport()->mapToGlobal(
        QPoint(r.left() + lineWidth, r.top() + lineWidth + DefaultRowHeight()));
    const int count = list_->count();
    const int height = itemHeight * (std::min(count, kVisibleChoices) + 1);
    int width = lineWidth + r.width();
    const QFontMetrics metrics(list_->font());
    for (int i = 0; i < count; ++i) {
        const int textWidth = metrics.horizontalAdvance(list_->item(i)->text()) + 8;
        if (textWidth < kMaxChoiceWidth && textWidth > width)
            width = textWidth;
    }
    list_->setGeometry(at.x(), at.y(), width, height);
    list_->show();
    list_->raise();
    list_->setFocus();
}

void TEntryGrid::hideChoiceList(bool focusGrid) {
    if (list_ && list_->isVisible())
        list_->hide();
    if (focusGrid)
        setFocus();
}

void TEntryGrid::takeChoice() {
    if (!list_ || list_->currentRow() < 0)
        return;
    const int row = Row();
    SetValue(1, row, static_cast<std::int32_t>(list_->currentRow()));
    DoSetData(1, row);
}

void TEntryGrid::cycleChoice(bool next) {
    const int row = Row();
    SelectCell(Col(), row);
    const auto* choices = dynamic_cast<const TEnumField*>(Field(row));
    if (!choices || choices->Choices.empty())
        return;
    const int n = static_cast<int>(choices->Choices.size());
    const Variant value = GetValue(1, row);
    const int i = std::holds_alternative<std::int32_t>(value) ? std::get<std::int32_t>(value) : -1;
    int chosen;
    if (next)
        chosen = i >= n - 1 ? 0 : i + 1;
    else
        chosen = i <= 0 ? n - 1 : i - 1; // a text that is no choice steps back to the last one
    SetValue(1, row, static_cast<std::int32_t>(chosen));
    DoSetData(1, row);
}

// ---- Drawing, keys and mouse ----------------------------------------------------------------

void TEntryGrid::SetRowMark(int row, const QColor& colour, const QString& tip) {
    const auto old = marks_.find(row);
    if (tip.isEmpty()) {
        if (old == marks_.end())
            return;
        marks_.erase(old);
    } else {
        if (old != marks_.end() && old->second.colour == colour && old->second.tip == tip)
            return;
        marks_[row] = {colour, tip};
    }
    InvalidateCell(1, row);
}

QString TEntryGrid::RowMarkTip(int row) const {
    const auto mark = marks_.find(row);
    return mark == marks_.end() ? QString() : mark->second.tip;
}

QColor TEntryGrid::RowMarkColour(int row) const {
    const auto mark = marks_.find(row);
    return mark == marks_.end() ? QColor() : mark->second.colour;
}

bool TEntryGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        int col = -1;
        int row = -1;
        MouseToCell(help->pos().x(), help->pos().y(), col, row);
        const QString tip = RowMarkTip(row);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport(), CellRect(col, row));
        return true;
    }
    return QxStringGrid::viewportEvent(event);
}

void TEntryGrid::DrawCell(int col, int row, const QRect& rect, QxGridDrawState state) {
    QPainter* painter = Canvas();
    const TField* field = Field(row);
    const QColor mark = RowMarkColour(row);
    const QColor rowText = field && !field->Enabled
                               ? palette().color(QPalette::Disabled, QPalette::Text)
                           : mark.isValid() ? mark
                                            : palette().color(QPalette::Text);
    if (painter && col == 1 && row > 0) {
        painter->setPen(rowText);
        if (colorEditCol_ != Color())
            painter->fillRect(rect, colorEditCol_);
    }
    QxStringGrid::DrawCell(col, row, rect, state);
    if (painter && (state & gdSelected) && (!isEnabled() || !hasFocusWithin()) &&
        colorEditCol_ != Color()) {
        painter->fillRect(rect, colorEditCol_);
        painter->setPen(rowText);
        painter->drawText(rect.adjusted(2, 2, 0, 0),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Cells(col, row));
    }
}

void TEntryGrid::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Right || event->key() == Qt::Key_Left) && enumRowEnabled(Row())) {
        cycleChoice(event->key() == Qt::Key_Right);
        event->accept();
        return;
    }
    QxStringGrid::keyPressEvent(event);
}

void TEntryGrid::DblClick() {
    if (enumRowEnabled(Row()))
        cycleChoice(true);
    QxStringGrid::DblClick();
}

void TEntryGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QPoint cell = MouseCoord(pos.x(), pos.y());
    if (cell.x() == unitCol_ && cell.y() > 0 && UnitClickHook) {
        if (TField* field = Field(cell.y())) {
            const QPoint global = event->globalPosition().toPoint();
            UnitClickHook(this, cell.y(), global.x(), global.y(), *field);
            currentFormat_ = QString::fromStdString(field->Format);
            if (OnAfterRightClick)
                OnAfterRightClick(this, cell.y());
            SetValue(1, cell.y(), GetValue(1, cell.y()));
            InvalidateRow(cell.y());
            ReselectOnNextPress = true;
            if (cell.x() != Col())
                SetCol(cell.x());
        }
    }
    QxStringGrid::mousePressEvent(event);
}

void TEntryGrid::mouseMoveEvent(QMouseEvent* event) {
    if (list_ && list_->isVisible() && !overEnumValueCell(event->position().toPoint()))
        hideChoiceList(true);
    QxStringGrid::mouseMoveEvent(event);
}

void TEntryGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (list_ && list_->isVisible() && overEnumValueCell(event->position().toPoint()))
        hideChoiceList(true);
    QxStringGrid::mouseReleaseEvent(event);
}

} // namespace corvel
