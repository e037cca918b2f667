#pragma once

// QxCustomEdit: a single-line edit for one number, one pair of numbers "a/b" or free text,
// shown through a printf-style format pattern. It lets through only the characters the
// pattern's class allows, validates and reformats its text on Enter and when the focus leaves,
// holds numbers inside a range with a 0.5 % tolerance, restores the text it had on entry on Esc,
// and can be bound to a unit of the catalogue so that its value follows a change of unit.

#include "units/QxConv.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <string>

class QMenu;

namespace corvel {

class QxCustomEdit : public QLineEdit {
    Q_OBJECT

public:
    /// A fresh edit: format "%0.1f", display mode 1, unbound, no range, text "0.0".
    explicit QxCustomEdit(QWidget* Owner = nullptr);
    ~QxCustomEdit() override;

    /// The text the edit had when it last received the focus; Esc returns to it.
    const QString& OldText() const { return oldText_; }

    /// The format pattern. Setting it also sets Decimals; "%S" empties a text of "0.0". The text
    /// itself is not reformatted.
    const std::string& Format() const { return format_; }
    void SetFormat(const std::string& pattern);

    /// How real values are shown: 0 with SigDigits significant digits, 1 with Format, 2 with
    /// SigDigits below 10^(2 − Decimals) and Format above, 3 with Format, kept on unit changes.
    int DisplayMode() const { return displayMode_; }
    void SetDisplayMode(int mode) { displayMode_ = static_cast<std::uint8_t>(mode); }

    /// The allowed range in the reference unit; two limits closer than 1e-5 in display units
    /// mean no range.
    double LowLimit() const { return lowLimit_; }
    void SetLowLimit(double limit) { lowLimit_ = limit; }
    double HighLimit() const { return highLimit_; }
    void SetHighLimit(double limit) { highLimit_ = limit; }

    /// The unit category the edit is bound to; None means unbound. Setting it changes nothing
    /// else until the next SetUnit.
    UnitCategory Category() const { return category_; }
    void SetCategory(UnitCategory category) { category_ = category; }

    /// The display unit within Category.
    int UnitIndex() const { return unitIndex_; }
    /// Selects display unit `index` (clamped into the category) and converts the shown value.
    void SetUnit(int index);

    /// The unit in which values are exchanged with the program: always the base unit.
    int RefUnit() const { return refUnit_; }

    /// The current conversion pair: display = value × Factor + Offset.
    double Factor() const { return factor_; }
    double Offset() const { return offset_; }

    /// The caption control showing the current unit label; not owned. Setting it replaces a
    /// text-class Format by "%0.1f".
    QLabel* LabelControl() const { return labelControl_; }
    void SetLabelControl(QLabel* control);

    /// The decimals Format asks for.
    int Decimals() const { return decimals_; }

    /// Significant digits for display modes 0 and 2.
    int SigDigits() const { return sigDigits_; }
    void SetSigDigits(int digits) { sigDigits_ = digits; }

    /// The content in the reference unit: a double, a 32-bit integer for an integer pattern, or
    /// text (for text and pair patterns, and for a text that is not a number).
    Variant GetValue() const;
    /// Shows `value` (in the reference unit) in the display unit. Sets no Modified flag and
    /// checks no range; a value that cannot be shown empties the text.
    void SetValue(const Variant& value);

    /// The focus-entry step: OldText := the text, Modified := false. Runs when the focus comes
    /// in; an owner that loads new text into an edit that already has the focus runs it itself.
    void DoEnter();

    /// Replaces the text only when `text` differs from it.
    void SetTextIfChanged(const QString& text);

    /// The most characters the user may type or paste; 0 means no limit.
    int MaxLength() const;
    void SetMaxLength(int length);

    /// Whether the user changed the text since it was last set or the focus entered.
    bool Modified() const { return isModified(); }
    void SetModified(bool modified) { setModified(modified); }

    /// Pastes the first line of the clipboard (or of the X selection) in place of the
    /// selection, unfiltered; nothing when the text may not be modified.
    void PasteFirstLine(QClipboard::Mode mode);

    /// Raised after SetUnit has converted the shown value to a new unit.
    std::function<void(QObject* Sender)> OnUnitsEdited;

    // Overridable operations, in this order.

    /// Whether typing may change the text.
    virtual bool CanModify();
    /// Returns to OldText when the text was modified.
    virtual void RestoreOldText();
    /// Reads, range-checks and reformats `text`; false when a number had to be moved onto a
    /// limit. A text that cannot be read stays as typed and counts as valid.
    virtual bool ValidateText(const QString& text);
    /// Tells the user an entry was refused or clamped: the message beep.
    virtual void SignalInvalid();
    /// Validates a modified text; an invalid one keeps the focus and is signalled.
    virtual void ValidateEdit();

protected:
    /// Key-down step; setting `key` to 0 keeps the base control from handling the key.
    virtual void KeyDown(int& key, Qt::KeyboardModifiers modifiers);
    /// Key-press step for one character (a Unicode code point, control codes included); setting
    /// `ch` to 0 consumes it. Ctrl+C and Ctrl+X (3, 24) reach the base control, Ctrl+V (22)
    /// pastes the clipboard's first line. Select all, undo and redo never get here.
    virtual void KeyPress(char32_t& ch);

    /// Handles one typed character: Esc, Backspace and Enter, else filtering and insertion.
    void HandleChar(char32_t ch);
    /// Whether `ch` may be typed under Format's class; sets Modified whatever the outcome.
    bool IsCharAllowed(char32_t ch);
    /// Applies ConvertFromUnit to a display value and stores the result as a double.
    double ToReference(double display) const;
    /// Applies ConvertToUnit to a reference value and stores the result as a double.
    double ToDisplay(double value) const;
    /// Brings `x` (a display value) into the range; false when it had to be moved onto a limit.
    bool CheckRange(double& x) const;
    /// The text of display value `x` by DisplayMode.
    std::string DisplayText(double x) const;
    /// Takes the unit of UnitIndex: converts the shown value, sets Format and the label.
    void ApplyUnit();

    /// The standard context menu whose Paste takes the first line of the clipboard.
    QMenu* CreateContextMenu();

    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    /// The base control's own handling of a key (caret movement, Delete, clipboard keys).
    void baseKeyPress(QKeyEvent* event);
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    QString oldText_;
    double lowLimit_ = 0;
    double highLimit_ = 0;
    UnitCategory category_ = UnitCategory::None;
    int unitIndex_ = 0;
    int refUnit_ = 0;
    double factor_ = 1.0;
    double offset_ = 0.0;
    QPointer<QLabel> labelControl_;
    int decimals_ = 1;
    std::uint8_t displayMode_ = 1;
    int sigDigits_ = 5;
    std::string format_ = "%0.1f";
    bool entered_ = false; // the focus came in and has not moved to another control since
};

} // namespace corvel
