#include "units/QxFmtEdit.h"

#include "platform/Beep.h"
#include "platform/Errors.h"
#include "platform/FloatFaults.h"
#include "units/NumberText.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

namespace corvel {

namespace {

constexpr char32_t kCtrlC = 3;
constexpr char32_t kBackspace = 8;
constexpr char32_t kEnter = 13;
constexpr char32_t kCtrlV = 22;
constexpr char32_t kCtrlX = 24;
constexpr char32_t kEsc = 27;

// QLineEdit's own ceiling on the text length, which it also uses to mean "no limit".
constexpr int kNoLengthLimit = 32767;

/// The text of a code point, two UTF-16 units for one outside the basic plane.
QString codePointText(char32_t ch) {
    return QString::fromUcs4(&ch, 1);
}

/// The number of code points in `text`, a surrogate pair counting once.
qsizetype codePointCount(const QString& text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()))
            ++count;
    return count;
}

/// The characters a key event types, as the platform's character messages would deliver them:
/// Enter, Esc and Backspace as their control codes, Ctrl+letter as codes 1 to 26, printable text
/// as code points. Keys that type nothing (arrows, Delete, function keys) give none.
std::vector<char32_t> typedCharacters(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {kEnter};
    case Qt::Key_Escape:
        return {kEsc};
    case Qt::Key_Backspace:
        return {kBackspace};
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return {};
    default:
        break;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool control = (modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier);
    if (control) {
        if (event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
            return {static_cast<char32_t>(event->key() - Qt::Key_A + 1)};
        return {};
    }
    const QList<uint> codes = event->text().toUcs4();
    return std::vector<char32_t>(codes.begin(), codes.end());
}

bool isDigit(char32_t ch) {
    return ch >= '0' && ch <= '9';
}

/// Control codes are never typed into the text, whatever the pattern.
bool isControlCode(char32_t ch) {
    return ch < 32 || (ch >= 127 && ch < 160);
}

/// `value` rounded to the nearest whole number, ties to even.
double roundHalfEven(double value) {
    return std::nearbyint(value);
}

/// `value` rounded ties to even as a 32-bit integer; throws EInvalidOp outside that range.
std::int32_t roundToInt32(double value) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw EInvalidOp();
    return static_cast<std::int32_t>(rounded);
}

/// `value` rounded ties to even as a 64-bit integer; throws EInvalidOp outside that range.
long long roundToInt64(double value) {
    const double rounded = roundHalfEven(value);
    // 2^63 is the first double beyond the range
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        throw EInvalidOp();
    return static_cast<long long>(rounded);
}

/// The part of a pair pattern before its first "/", the pattern for a lone number.
std::string firstOfPair(const std::string& pattern) {
    return pattern.substr(0, pattern.find('/'));
}

} // namespace

QxCustomEdit::QxCustomEdit(QWidget* Owner) : QLineEdit(Owner) {
    // Dropped text would bypass the character filter; the clipboard keys are the way in.
    setAcceptDrops(false);
    setText("0.0");
}

QxCustomEdit::~QxCustomEdit() {
    SetLabelControl(nullptr);
}

void QxCustomEdit::SetFormat(const std::string& pattern) {
    format_ = pattern;
    decimals_ = FormatDecimals(pattern);
    if (pattern == "%S" && text() == "0.0")
        setText(QString());
}

void QxCustomEdit::SetUnit(int index) {
    unitIndex_ = ClampUnitIndex(category_, index);
    ApplyUnit();
    if (OnUnitsEdited)
        OnUnitsEdited(this);
}

void QxCustomEdit::SetLabelControl(QLabel* control) {
    if (IsTextFormat(format_))
        SetFormat("%0.1f");
    labelControl_ = control;
}

void QxCustomEdit::SetTextIfChanged(const QString& newText) {
    if (newText != text())
        setText(newText);
}

int QxCustomEdit::MaxLength() const {
    return maxLength() >= kNoLengthLimit ? 0 : maxLength();
}

void QxCustomEdit::SetMaxLength(int length) {
    setMaxLength(length <= 0 ? kNoLengthLimit : length);
}

// ---- Overridable operations --------------------------------------------------------------------

bool QxCustomEdit::CanModify() {
    return true;
}

void QxCustomEdit::RestoreOldText() {
    if (!isModified())
        return;
    SetTextIfChanged(oldText_);
    setModified(false);
}

bool QxCustomEdit::ValidateText(const QString& typed) {
    bool result = true;
    try {
        if (IsTextFormat(format_)) {
            SetTextIfChanged(QString::fromStdString(formatText(format_, {typed.toStdString()})));
            setModified(true);
            return result;
        }
        const std::string clean = CleanNumberText(typed.toStdString());
        std::string built;
        if (IsPairFormat(format_)) {
            double a = 0;
            double b = 0;
            if (SplitPair(clean, a, b)) {
                const bool aInRange = CheckRange(a);
                const bool bInRange = CheckRange(b);
                result = aInRange && bInRange;
                built = formatText(format_, {a, b});
            } else {
                result = CheckRange(a);
                built = formatText(firstOfPair(format_), {a});
            }
        } else {
            double x = readReal(clean);
            result = CheckRange(x);
            if (IsIntegerFormat(format_))
                built = formatText(format_, {roundToInt32(x)});
            else
                built = DisplayText(x);
        }
        SetTextIfChanged(QString::fromStdString(built));
        setModified(true);
    } catch (const std::exception&) {
        // A text that cannot be read as a number stays as typed.
    }
    return result;
}

void QxCustomEdit::SignalInvalid() {
    MessageBeep();
}

void QxCustomEdit::ValidateEdit() {
    if (!isModified() || ValidateText(text()))
        return;
    // Taking the focus back runs the focus-entry step, which clears Modified: set it again so
    // that Esc and the next exit still see a changed entry.
    setFocus();
    setModified(true);
    SignalInvalid();
}

// ---- Values and units --------------------------------------------------------------------------

double QxCustomEdit::ToReference(double display) const {
    FloatFaultScope scope;
    return scope.result(ConvertFromUnit(display, factor_, offset_));
}

double QxCustomEdit::ToDisplay(double value) const {
    FloatFaultScope scope;
    return scope.result(ConvertToUnit(value, factor_, offset_));
}

bool QxCustomEdit::CheckRange(double& x) const {
    if (IsTextFormat(format_))
        return true;
    const double lo = ToDisplay(lowLimit_);
    const double hi = ToDisplay(highLimit_);
    if (std::fabs(hi - lo) < 1e-5)
        return true;
    // A value within 0.5 % beyond a limit stands as typed; at a limit of 0 there is no tolerance.
    constexpr double kTolerance = 0.005;
    if (x < lo && (lo == 0 || std::fabs((lo - x) / lo) > kTolerance)) {
        x = lo;
        return false;
    }
    if (x > hi && (hi == 0 || std::fabs((x - hi) / hi) > kTolerance)) {
        x = hi;
        return false;
    }
    return true;
}

std::string QxCustomEdit::DisplayText(double x) const {
    switch (displayMode_) {
    case 0:
        return formatText(SignificantFormat(sigDigits_, 12, x), {x});
    case 2:
        if (std::pow(10.0, 2 - decimals_) > x)
            return formatText(SignificantFormat(sigDigits_, 12, x), {x});
        break;
    default:
        break;
    }
    return formatText(format_, {x});
}

Variant QxCustomEdit::GetValue() const {
    const std::string content = text().toStdString();
    Variant result = content;
    try {
        if (IsTextFormat(format_)) {
            result = formatText(format_, {content});
        } else if (IsPairFormat(format_)) {
            double a = 0;
            double b = 0;
            if (SplitPair(content, a, b))
                result = formatText(format_, {ToReference(a), ToReference(b)});
            else
                result = formatText("%0.4g", {ToReference(a)});
        } else {
            const double value = ToReference(readReal(CleanNumberText(content)));
            result = value;
            if (IsIntegerFormat(format_)) {
                const double rounded = roundHalfEven(value);
                if (rounded >= -2147483648.0 && rounded <= 2147483647.0)
                    result = static_cast<std::int32_t>(rounded);
            }
        }
    } catch (const std::exception&) {
        // The text, or whatever was built before the failure, stands.
    }
    return result;
}

void QxCustomEdit::SetValue(const Variant& value) {
    try {
        if (IsTextFormat(format_)) {
            setText(QString::fromStdString(formatText(format_, {VariantText(value)})));
        } else if (IsPairFormat(format_)) {
            double a = 0;
            double b = 0;
            if (SplitPair(VariantText(value), a, b))
                setText(QString::fromStdString(formatText(format_, {ToDisplay(a), ToDisplay(b)})));
            else
                setText(QString::fromStdString(formatText(firstOfPair(format_), {ToDisplay(a)})));
        } else {
            const double display = ToDisplay(VariantReal(value));
            if (IsIntegerFormat(format_))
                setText(QString::fromStdString(formatText(format_, {roundToInt64(display)})));
            else if (IsRealFormat(format_))
                setText(QString::fromStdString(DisplayText(display)));
        }
    } catch (const std::exception&) {
        setText(QString());
    }
}

void QxCustomEdit::ApplyUnit() {
    if (category_ == UnitCategory::None && (IsTextFormat(format_) || IsIntegerFormat(format_)))
        return;
    try {
        const bool pair = IsPairFormat(format_);
        // Read with the old conversion, so the value is in the reference unit.
        const Variant current = GetValue();
        std::string pairText;
        double value = 0;
        if (pair)
            pairText = VariantText(current);
        else
            value = VariantReal(current);

        std::string label;
        std::string unitFormat;
        UnitConversion(category_, unitIndex_, refUnit_, label, factor_, offset_, unitFormat);
        if (displayMode_ != 3 && category_ != UnitCategory::None)
            format_ = unitFormat;
        if (IsTextFormat(format_))
            return;
        decimals_ = FormatDecimals(format_);
        if (labelControl_)
            labelControl_->setText(QString::fromStdString(label));
        if (pair) {
            if (!IsPairFormat(format_))
                format_ = format_ + "/" + format_;
            SetValue(pairText);
        } else {
            SetValue(value);
        }
    } catch (const std::exception&) {
        // The unit change stops where it failed.
    }
}

// ---- Keyboard and focus ------------------------------------------------------------------------

void QxCustomEdit::KeyDown(int& key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Backspace)
        return;
    // Backspace removes the character before the caret (or before the selection) and nothing
    // else; the base control never sees the key.
    if (CanModify() && !isReadOnly()) {
        const int p = hasSelectedText() ? selectionStart() : cursorPosition();
        if (p > 0) {
            const QString content = text();
            const bool pairBefore =
                p >= 2 && content[p - 1].isLowSurrogate() && content[p - 2].isHighSurrogate();
            const int width = pairBefore ? 2 : 1;
            // Removed through the control's own editing, so that Ctrl+Z can undo it.
            setSelection(p - width, width);
            del();
        }
    }
    key = 0;
}

void QxCustomEdit::KeyPress(char32_t&) {}

void QxCustomEdit::HandleChar(char32_t ch) {
    if (ch == kEsc) {
        RestoreOldText();
        return;
    }
    if (!CanModify() || isReadOnly())
        return;
    if (ch == kBackspace) {
        setModified(true); // the deletion itself happened on key down
        return;
    }
    if (ch == kEnter) {
        ValidateEdit();
        return;
    }

    // Every change goes through the control's own editing (del, insert), so that Ctrl+Z can
    // undo it.
    // A selection of several characters goes even when the character is then refused.
    if (codePointCount(selectedText()) > 1) {
        del();
        setModified(true);
    }
    if (!IsCharAllowed(ch)) {
        MessageBeep();
        return;
    }
    const QString typed = codePointText(ch);
    const qsizetype length = text().size() - selectedText().size() + typed.size();
    if (length > maxLength()) {
        MessageBeep();
        return;
    }
    insert(typed);
    setModified(true);
}

void QxCustomEdit::PasteFirstLine(QClipboard::Mode mode) {
    if (isReadOnly() || !CanModify())
        return;
    QString pasted = QGuiApplication::clipboard()->text(mode);
    // A single-line edit takes the first line of a text of several.
    const auto lineEnd = std::find_if(pasted.cbegin(), pasted.cend(), [](QChar c) {
        return c == u'\n' || c == u'\r' || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator || c == QChar(0x85) || c == u'\v' || c == u'\f';
    });
    pasted.truncate(lineEnd - pasted.cbegin());
    if (!pasted.isEmpty() || hasSelectedText())
        insert(pasted);
}

QMenu* QxCustomEdit::CreateContextMenu() {
    QMenu* menu = createStandardContextMenu();
    // The Paste item is the one connected to the base control's paste(), whatever its caption
    // in the user's language.
    for (QAction* action : menu->actions()) {
        // Connected by member pointer or by signature, depending on the Qt version.
        if (disconnect(action, &QAction::triggered, this, &QLineEdit::paste) ||
            disconnect(action, SIGNAL(triggered()), this, SLOT(paste())))
            connect(action, &QAction::triggered, this,
                    [this] { PasteFirstLine(QClipboard::Clipboard); });
    }
    return menu;
}

void QxCustomEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void QxCustomEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the X selection at the caret (not over the selected text, as
    // the line edit does): its first line, like every other paste.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        if (!isReadOnly() && CanModify())
            deselect();
        PasteFirstLine(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

bool QxCustomEdit::IsCharAllowed(char32_t ch) {
    setModified(true);
    if (isControlCode(ch))
        return false;
    if (IsPairFormat(format_))
        return ch >= '-' && ch <= '9'; // "-", ".", "/" and the digits
    if (IsIntegerFormat(format_))
        return isDigit(ch) || ch == '-';
    if (IsRealFormat(format_))
        return isDigit(ch) || ch == '-' || ch == '.' ||
               (IsGeneralFormat(format_) && (ch == 'e' || ch == 'E'));
    return true;
}

void QxCustomEdit::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    KeyDown(key, event->modifiers());
    if (key != 0 && (event->matches(QKeySequence::SelectAll) ||
                     event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))) {
        // Select all, undo and redo work as in every text field; they type nothing.
        baseKeyPress(event);
        return;
    }
    const std::vector<char32_t> typed = typedCharacters(event);
    if (typed.empty()) {
        // Caret movement, Delete and the other keys that type nothing; Shift+Insert pastes.
        if (key != 0 && event->matches(QKeySequence::Paste)) {
            PasteFirstLine(QClipboard::Clipboard);
            event->accept();
        } else if (key != 0) {
            baseKeyPress(event);
        } else {
            event->accept();
        }
        return;
    }
    event->accept();
    for (char32_t ch : typed) {
        KeyPress(ch);
        if (ch == 0)
            continue;
        if (ch == kCtrlV) {
            // Paste goes through unfiltered, its first line only; validation reads the result.
            PasteFirstLine(QClipboard::Clipboard);
            return;
        }
        if (ch == kCtrlC || ch == kCtrlX) {
            // Copy and cut go through unfiltered.
            baseKeyPress(event);
            return;
        }
        if (ch == kEsc && !isModified()) {
            // Nothing to restore: leave Esc to the window, so a dialog can close.
            event->ignore();
            return;
        }
        HandleChar(ch);
    }
}

void QxCustomEdit::baseKeyPress(QKeyEvent* event) {
    // Delete, paste and cut change the text too: they obey CanModify as typing does.
    const bool readOnly = isReadOnly();
    const bool lock = !readOnly && !CanModify();
    if (lock)
        setReadOnly(true);
    QLineEdit::keyPressEvent(event);
    if (lock)
        setReadOnly(false);
}

void QxCustomEdit::inputMethodEvent(QInputMethodEvent* event) {
    // Composed text takes the same path as typed characters; the composition itself is shown
    // by the base control.
    const QString committed = event->commitString();
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&composing);
    for (const uint code : committed.toUcs4()) {
        char32_t ch = code;
        KeyPress(ch);
        if (ch != 0)
            HandleChar(ch);
    }
    event->accept();
}

namespace {

/// Focus changes that come from switching windows, a pop-up or the menu bar borrowing the
/// keyboard (Alt and a menu letter) and giving it back, not from moving between controls.
bool isWindowFocusChange(const QFocusEvent* event) {
    return event->reason() == Qt::ActiveWindowFocusReason ||
           event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason;
}

} // namespace

void QxCustomEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Returning to the window or from a pop-up or the menu bar continues the current entry: the
    // typed text and its Modified flag stay, so Esc and validation still apply to it.
    if (entered_ && isWindowFocusChange(event))
        return;
    entered_ = true;
    DoEnter();
}

void QxCustomEdit::DoEnter() {
    oldText_ = text();
    setModified(false);
}

void QxCustomEdit::focusOutEvent(QFocusEvent* event) {
    if (!isWindowFocusChange(event)) {
        ValidateEdit();
        if (hasFocus())
            return; // an invalid entry took the focus back
        entered_ = false;
    }
    QLineEdit::focusOutEvent(event);
}

bool QxCustomEdit::event(QEvent* event) {
    // Claim Esc from window shortcuts while there is a typed entry to restore.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && isModified()) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

} // namespace corvel
