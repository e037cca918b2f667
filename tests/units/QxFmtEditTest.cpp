#include "units/QxFmtEdit.h"

#include "TestSupport.h"
#include "platform/Beep.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <string>

namespace corvel {
namespace {

/// The application object for the whole run, destroyed when the tests end rather than among
/// the static objects at exit.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[15] = "fmt_edit_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

/// A shown, active window holding the edit under test and a second edit to move the focus to.
class FmtEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousHook_ = SetBeepHook([this] { ++beeps; });
        window_ = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window_.get());
        edit = new QxCustomEdit(window_.get());
        other = new QLineEdit(window_.get());
        layout->addWidget(edit);
        layout->addWidget(other);
        window_->show();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }

    void TearDown() override {
        window_.reset();
        SetBeepHook(std::move(previousHook_));
    }

    /// Gives the edit the focus with `text` in it, as a grid cell opens it, all text selected.
    void enter(const QString& text) {
        other->setFocus();
        edit->setText(text);
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
        edit->selectAll();
    }

    void type(const QString& keys) { QTest::keyClicks(edit, keys); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(edit, key, modifiers);
    }

    /// Puts `text` on the clipboard and pastes it with Ctrl+V.
    void paste(const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        press(Qt::Key_V, Qt::ControlModifier);
    }

    void clickOther() { QTest::mouseClick(other, Qt::LeftButton); }

    QString text() const { return edit->text(); }

    QxCustomEdit* edit = nullptr;
    QLineEdit* other = nullptr;
    int beeps = 0;

private:
    std::unique_ptr<QWidget> window_;
    BeepHook previousHook_;
};

TEST_F(FmtEditTest, FreshEditShowsZeroAndFormatSEmptiesIt) {
    EXPECT_EQ(text(), "0.0");
    EXPECT_EQ(edit->Format(), "%0.1f");
    EXPECT_EQ(edit->Decimals(), 1);
    EXPECT_EQ(edit->DisplayMode(), 1);
    EXPECT_EQ(edit->SigDigits(), 5);
    EXPECT_EQ(edit->Factor(), 1.0);
    EXPECT_EQ(edit->Category(), UnitCategory::None);

    edit->SetFormat("%0.3f");
    EXPECT_EQ(text(), "0.0"); // not reformatted until the next validation
    EXPECT_EQ(edit->Decimals(), 3);
    edit->SetFormat("%S");
    EXPECT_EQ(text(), "");
}

struct RangeCase {
    double low;
    double high;
    const char* format;
    const char* typed;
    const char* shown;
    bool valid;
};

TEST_F(FmtEditTest, EnterHoldsTheNumberInRangeWithHalfAPercentTolerance) {
    const RangeCase cases[] = {
        {0.01, 5000, "%0.4f", "5020", "5020.0000", true},  // 0.4 % above
        {0.01, 5000, "%0.4f", "5030", "5000.0000", false}, // 0.6 % above
        {0.01, 5000, "%0.4f", "0.00999", "0.0100", true},  // 0.1 % below, shown rounded
        {0.01, 5000, "%0.4f", "0.0099", "0.0100", false},  // 1 % below, moved onto the limit
        {-20, 200, "%0.2f", "-20.05", "-20.05", true},     // 0.25 % below
        {-20, 200, "%0.2f", "-21", "-20.00", false},
        {0, 100, "%0.1f", "100.4", "100.4", true},
        {0, 100, "%0.1f", "-0.001", "0.0", false}, // no tolerance at a limit of 0
        {-20, 0, "%0.2f", "0.5", "0.00", false},
        {0, 0, "%0.1f", "-123456", "-123456.0", true}, // no range at all
        {5, 5.000001, "%0.1f", "99", "99.0", true},    // limits closer than 1e-5
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " in " + std::to_string(c.low) + ".." +
                     std::to_string(c.high));
        edit->SetFormat(c.format);
        edit->SetLowLimit(c.low);
        edit->SetHighLimit(c.high);
        enter("1");
        beeps = 0;
        type(c.typed);
        press(Qt::Key_Return);
        EXPECT_EQ(text(), c.shown);
        EXPECT_EQ(beeps, c.valid ? 0 : 1);
        EXPECT_TRUE(edit->Modified());
    }
}

TEST_F(FmtEditTest, LeavingWithAClampedNumberKeepsTheFocus) {
    edit->SetFormat("%0.4f");
    edit->SetLowLimit(0.01);
    edit->SetHighLimit(5000);
    enter("10.0000");
    type("5030");
    clickOther();
    EXPECT_EQ(text(), "5000.0000");
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_TRUE(edit->Modified());
    // The focus moves on once the shown limit is accepted.
    clickOther();
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(beeps, 1);
}

TEST_F(FmtEditTest, LeavingWithAValidNumberReformatsIt) {
    edit->SetFormat("%0.2f");
    enter("1.00");
    type("3.14159");
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(text(), "3.14");
    EXPECT_EQ(beeps, 0);
}

TEST_F(FmtEditTest, IntegerPatternRejectsThePointAndRoundsPastedNumbersToEven) {
    edit->SetFormat("%d");
    enter("0");
    type("2.5");
    EXPECT_EQ(text(), "25");
    EXPECT_EQ(beeps, 1);

    const struct {
        const char* pasted;
        const char* shown;
    } cases[] = {{"2.5", "2"}, {"3.5", "4"}, {"-2.5", "-2"}, {"7", "7"}};
    for (const auto& c : cases) {
        enter("0");
        paste(c.pasted);
        EXPECT_EQ(text(), c.pasted);
        press(Qt::Key_Return);
        EXPECT_EQ(text(), c.shown) << "pasted " << c.pasted;
    }
}

TEST_F(FmtEditTest, FilteringFollowsTheFormatClass) {
    const struct {
        const char* format;
        const char* typed;
        const char* kept;
    } cases[] = {
        {"%0.2f", "1a2.e5/", "12.5"},       {"%0.4g", "1a2.e5/", "12.e5"}, {"%d", "-1.2E3", "-123"},
        {"%0.1f/%0.1f", "1.5/x2", "1.5/2"}, {"%S", "ab c/1", "ab c/1"},
    };
    for (const auto& c : cases) {
        edit->SetFormat(c.format);
        enter("");
        type(c.typed);
        EXPECT_EQ(text(), c.kept) << c.format;
    }
}

TEST_F(FmtEditTest, PairPatternChecksAndFormatsBothNumbers) {
    edit->SetFormat("%0.1f/%0.1f");
    edit->SetLowLimit(0);
    edit->SetHighLimit(10);
    enter("");
    type("1/2");
    press(Qt::Key_Return);
    EXPECT_EQ(text(), "1.0/2.0");
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(std::get<std::string>(edit->GetValue()), "1.0/2.0");

    enter("");
    type("3/20");
    press(Qt::Key_Return);
    EXPECT_EQ(text(), "3.0/10.0");
    EXPECT_EQ(beeps, 1);

    enter("");
    type("4");
    press(Qt::Key_Return);
    EXPECT_EQ(text(), "4.0"); // one number: the first half of the pattern
    EXPECT_EQ(std::get<std::string>(edit->GetValue()), "4");
}

TEST_F(FmtEditTest, UnreadableTextStaysAsTypedWithoutComplaint) {
    const char* texts[] = {".", "-.", "E", "1E-", "/", "x"};
    for (const char* typed : texts) {
        edit->SetFormat("%0.4g");
        enter("");
        paste(typed);
        press(Qt::Key_Return);
        EXPECT_EQ(text(), typed);
        EXPECT_EQ(beeps, 0) << typed;
        EXPECT_EQ(std::get<std::string>(edit->GetValue()), typed);
    }
}

TEST_F(FmtEditTest, AnyPastedTextIsHandledSafely) {
    const struct {
        QString pasted;
        QString shown;
    } cases[] = {
        {"1E999", QString::fromStdString("1" + std::string(99, '0') + ".0")},
        {"1E-999", "0.0"},
        {"-", "0.0"},
        {"1 2 . 5", "12.5"},
        {QString(10000, QChar('9')), QString()}, // beyond a double: stays as typed
        {QString::fromUtf8("\xC2\xB5\xE2\x82\xAC 5"), QString::fromUtf8("\xC2\xB5\xE2\x82\xAC 5")},
    };
    for (const auto& c : cases) {
        enter("");
        paste(c.pasted);
        press(Qt::Key_Return);
        EXPECT_EQ(text(), c.shown.isEmpty() ? c.pasted : c.shown);
        edit->GetValue();
        edit->SetCategory(UnitCategory::Temperature);
        edit->SetUnit(1);
        edit->SetUnit(0);
        edit->SetCategory(UnitCategory::None);
    }
}

TEST_F(FmtEditTest, TypingReplacesTheSelection) {
    edit->SetFormat("%0.0f");
    enter("777");
    type("5");
    EXPECT_EQ(text(), "5"); // the whole text was selected on entry

    enter("12345");
    press(Qt::Key_Home);
    press(Qt::Key_Right);
    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(edit->selectedText(), "23");
    type("9");
    EXPECT_EQ(text(), "1945");
    EXPECT_EQ(edit->cursorPosition(), 2);

    // A refused character still clears a selection of several characters.
    enter("12345");
    type("x");
    EXPECT_EQ(text(), "");
    EXPECT_EQ(beeps, 1);
}

TEST_F(FmtEditTest, BackspaceRemovesOnlyTheCharacterBeforeTheCaretOrSelection) {
    edit->SetFormat("%0.0f");
    enter("12345");
    press(Qt::Key_Home);
    press(Qt::Key_Backspace);
    EXPECT_EQ(text(), "12345"); // caret at the start

    press(Qt::Key_End);
    press(Qt::Key_Backspace);
    EXPECT_EQ(text(), "1234");
    EXPECT_EQ(edit->cursorPosition(), 4);
    EXPECT_TRUE(edit->Modified());

    press(Qt::Key_Home);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_Backspace); // "3" selected: the "2" before it goes
    EXPECT_EQ(text(), "134");
    EXPECT_EQ(edit->cursorPosition(), 1);

    edit->setReadOnly(true);
    press(Qt::Key_End);
    press(Qt::Key_Backspace);
    type("9");
    EXPECT_EQ(text(), "134");
}

TEST_F(FmtEditTest, EscRestoresTextOfFocusEntry) {
    edit->SetFormat("%0.2f");
    enter("1.50");
    type("42");
    press(Qt::Key_Escape);
    EXPECT_EQ(text(), "1.50");
    EXPECT_FALSE(edit->Modified());
    EXPECT_EQ(edit->OldText(), "1.50");

    // An owner that loads new text while the edit keeps the focus runs the entry step itself.
    edit->setText("2.00");
    edit->DoEnter();
    type("9");
    press(Qt::Key_Escape);
    EXPECT_EQ(text(), "2.00");
}

TEST_F(FmtEditTest, SwitchingWindowsContinuesTheEntry) {
    edit->SetFormat("%0.1f");
    edit->SetHighLimit(10);
    enter("1.0");
    type("99");
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    EXPECT_EQ(text(), "99"); // not validated on leaving the window
    QApplication::setActiveWindow(edit->window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(edit->window()));
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_TRUE(edit->Modified());
    press(Qt::Key_Escape);
    EXPECT_EQ(text(), "1.0");
    EXPECT_EQ(beeps, 0);
}

TEST_F(FmtEditTest, EscIsLeftToTheDialogOnlyWhenNothingWasTyped) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* dialogEdit = new QxCustomEdit(&dialog);
    layout->addWidget(dialogEdit);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialogEdit->setFocus();

    QTest::keyClicks(dialogEdit, "7");
    QTest::keyClick(dialogEdit, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible()); // claimed: restored the entry text
    EXPECT_EQ(dialogEdit->text(), "0.0");

    QTest::keyClick(dialogEdit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()); // not claimed: the dialog closed
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(FmtEditTest, CharactersOutsideTheBasicPlaneStayWhole) {
    edit->SetFormat("%S");
    enter("");
    const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80"); // a surrogate pair in UTF-16
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, grin, Qt::NoModifier);
    type(QString::fromUtf8("\xC2\xB0"));
    EXPECT_EQ(text(), grin + QString::fromUtf8("\xC2\xB0"));
    press(Qt::Key_Backspace);
    press(Qt::Key_Backspace);
    EXPECT_EQ(text(), "");

    // Control codes never enter the text, even under a text pattern.
    enter("ab");
    press(Qt::Key_End);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "ab");
}

TEST_F(FmtEditTest, CopyAndCutPassUnfiltered) {
    edit->SetFormat("%0.2f");
    enter("12.50");
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "12.50");
    press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(text(), "");
    EXPECT_EQ(beeps, 0);
}

TEST_F(FmtEditTest, CtrlASelectsAllWithoutABeep) {
    edit->SetFormat("%0.2f");
    enter("12.50");
    press(Qt::Key_End);
    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(text(), "12.50");
    EXPECT_EQ(edit->selectedText(), "12.50");
    EXPECT_EQ(beeps, 0);
    type("7");
    EXPECT_EQ(text(), "7");
}

TEST_F(FmtEditTest, CtrlZUndoesTypingAndBackspaceAndCtrlShiftZRedoes) {
    edit->SetFormat("%0.2f");
    enter("3.06"); // all selected, as a grid cell opens the editor
    type("5");
    EXPECT_EQ(text(), "5");
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "3.06");
    EXPECT_EQ(beeps, 0);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(), "5");

    enter("12.5");
    press(Qt::Key_End);
    press(Qt::Key_Backspace);
    EXPECT_EQ(text(), "12.");
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "12.5");
    EXPECT_EQ(beeps, 0);
}

TEST_F(FmtEditTest, UndoLeavesAnEditThatMayNotBeModifiedAlone) {
    edit->SetFormat("%0.2f");
    enter("3.06");
    type("5");
    edit->setReadOnly(true);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "5");
}

struct PasteCase {
    const char* what;
    QString clipboard;
    QString pasted;
};

TEST_F(FmtEditTest, PastingSeveralLinesTakesTheFirstLine) {
    const PasteCase cases[] = {
        {"LF", "12.5\n99", "12.5"},
        {"CR LF", "12.5\r\n99\r\n", "12.5"},
        {"lone CR", "12.5\r99", "12.5"},
        {"line separator",
         QString::fromUtf8("12.5\u2028"
                           "99"),
         "12.5"},
        {"empty first line", "\n99", ""},
        {"one line", "12.5", "12.5"},
    };
    for (const PasteCase& c : cases) {
        edit->SetFormat("%S");
        enter("");
        paste(c.clipboard);
        EXPECT_EQ(text(), c.pasted) << c.what;
    }
    enter("1");
    QGuiApplication::clipboard()->setText("2\n3");
    press(Qt::Key_End);
    press(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(text(), "12") << "Shift+Insert";
}

/// An edit whose context menu the test can reach.
class MenuEdit : public QxCustomEdit {
public:
    using QxCustomEdit::CreateContextMenu;
    using QxCustomEdit::QxCustomEdit;
};

TEST_F(FmtEditTest, ContextMenuPasteTakesTheFirstLine) {
    MenuEdit menuEdit(edit->window());
    menuEdit.SetFormat("%S");
    menuEdit.show();
    QGuiApplication::clipboard()->setText("42\n43");
    std::unique_ptr<QMenu> menu(menuEdit.CreateContextMenu());
    QAction* pasteAction = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().startsWith(QLatin1String("&Paste")))
            pasteAction = action;
    ASSERT_NE(pasteAction, nullptr);
    pasteAction->trigger();
    EXPECT_EQ(menuEdit.text(), "42");
}

/// An edit whose text the user may not change, as a read-only grid row.
class LockedEdit : public QxCustomEdit {
public:
    using QxCustomEdit::QxCustomEdit;
    bool CanModify() override { return false; }
};

TEST_F(FmtEditTest, NoKeyChangesTheTextWhenItMayNotBeModified) {
    LockedEdit locked(edit->window());
    locked.setText("12.5");
    locked.show();
    locked.setFocus();
    QGuiApplication::clipboard()->setText("99");
    QTest::keyClick(&locked, Qt::Key_End);
    QTest::keyClick(&locked, Qt::Key_Backspace);
    QTest::keyClick(&locked, Qt::Key_Home);
    QTest::keyClick(&locked, Qt::Key_Delete);
    QTest::keyClicks(&locked, "7");
    QTest::keyClick(&locked, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&locked, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&locked, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(locked.text(), "12.5");
    EXPECT_FALSE(locked.isReadOnly());
    EXPECT_EQ(beeps, 0);
}

TEST_F(FmtEditTest, MaxLengthLimitsTyping) {
    edit->SetFormat("%S");
    edit->SetMaxLength(3);
    EXPECT_EQ(edit->MaxLength(), 3);
    enter("");
    type("abcd");
    EXPECT_EQ(text(), "abc");
    edit->SetMaxLength(0);
    EXPECT_EQ(edit->MaxLength(), 0);
}

TEST_F(FmtEditTest, TextPatternFormatsTheTypedText) {
    edit->SetFormat("<%S>");
    enter("");
    type("ab");
    press(Qt::Key_Return);
    EXPECT_EQ(text(), "<ab>");
    EXPECT_EQ(std::get<std::string>(edit->GetValue()), "<<ab>>");
}

// ---- Values ------------------------------------------------------------------------------------

TEST_F(FmtEditTest, SetValueRoundsIntegerPatternsToEven) {
    edit->SetFormat("%d");
    const struct {
        double value;
        const char* shown;
    } cases[] = {{2.5, "2"}, {3.5, "4"}, {-0.5, "0"}, {1e10, "10000000000"}};
    for (const auto& c : cases) {
        edit->SetValue(c.value);
        EXPECT_EQ(text(), c.shown) << c.value;
        EXPECT_FALSE(edit->Modified());
    }
    edit->SetValue(1e300); // beyond a 64-bit integer
    EXPECT_EQ(text(), "");

    edit->setText("3.5");
    EXPECT_EQ(std::get<std::int32_t>(edit->GetValue()), 4);
    edit->setText("1E12"); // beyond 32 bits: stays a double
    EXPECT_EQ(std::get<double>(edit->GetValue()), 1e12);
}

TEST_F(FmtEditTest, SetValueShowsRealsByDisplayMode) {
    const struct {
        int mode;
        const char* format;
        double value;
        const char* shown;
    } cases[] = {
        {0, "%0.2f", 0.05, "0.0500"}, {0, "%0.2f", 12.345, "12.345"},  {1, "%0.2f", 0.05, "0.05"},
        {2, "%0.2f", 0.5, "0.500"},   {2, "%0.2f", 12.3, "12.30"},     {2, "%0.2f", -5, "-5.000"},
        {3, "%0.3f", 0.5, "0.500"},   {1, "%0.4g", 123456, "1.235E5"},
    };
    for (const auto& c : cases) {
        edit->SetFormat(c.format);
        edit->SetDisplayMode(c.mode);
        edit->SetValue(c.value);
        EXPECT_EQ(text(), c.shown) << "mode " << c.mode << " value " << c.value;
    }
}

TEST_F(FmtEditTest, SetValueEmptiesTheTextWhenTheValueCannotBeShown) {
    edit->SetValue(std::string("not a number"));
    EXPECT_EQ(text(), "");
    edit->SetValue(std::string("2.25"));
    EXPECT_EQ(text(), "2.3"); // "%0.1f"; ties of the shown decimal are the formatter's choice
}

TEST_F(FmtEditTest, SetUnitConvertsTheShownTemperature) {
    QLabel label;
    edit->SetLabelControl(&label);
    edit->SetCategory(UnitCategory::Temperature);
    edit->SetValue(100.0);
    EXPECT_EQ(text(), "100.0");

    edit->SetUnit(1);
    EXPECT_EQ(text(), "212.0");
    EXPECT_EQ(label.text(), QString::fromUtf8("\xC2\xB0"
                                              "F"));
    EXPECT_EQ(edit->Factor(), 1.8);
    EXPECT_EQ(edit->Offset(), 32.0);
    EXPECT_TRUE(test::NearRel(std::get<double>(edit->GetValue()), 100));

    edit->SetUnit(7);
    EXPECT_EQ(edit->UnitIndex(), 2);
    EXPECT_EQ(text(), "373.15");
    EXPECT_EQ(label.text(), "K");
    EXPECT_EQ(edit->Format(), "%0.2f");
    EXPECT_EQ(edit->Decimals(), 2);

    edit->SetUnit(0);
    EXPECT_EQ(text(), "100.0");
}

TEST_F(FmtEditTest, LimitsAreConvertedToTheDisplayUnit) {
    edit->SetCategory(UnitCategory::Temperature);
    edit->SetLowLimit(0);
    edit->SetHighLimit(100); // °C
    edit->SetValue(20.0);
    edit->SetUnit(1);
    enter(text());
    type("250");
    press(Qt::Key_Return);
    EXPECT_EQ(text(), "212.0");
    EXPECT_EQ(beeps, 1);
}

TEST_F(FmtEditTest, DisplayModeThreeKeepsTheFormatOnUnitChange) {
    edit->SetCategory(UnitCategory::Diameter);
    edit->SetFormat("%0.4f");
    edit->SetDisplayMode(3);
    edit->SetValue(0.5);
    edit->SetUnit(2);
    EXPECT_EQ(edit->Format(), "%0.4f");
    EXPECT_EQ(text(), "19.6850");
}

TEST_F(FmtEditTest, PairValuesFollowAUnitChange) {
    edit->SetCategory(UnitCategory::LengthPrimary);
    edit->SetFormat("%0.3f/%0.3f");
    edit->SetValue(std::string("1/2"));
    EXPECT_EQ(text(), "1.000/2.000");
    edit->SetUnit(1); // cm, whose format "%0.2f" is made a pair
    EXPECT_EQ(edit->Format(), "%0.2f/%0.2f");
    EXPECT_EQ(text(), "100.00/200.00");
}

TEST_F(FmtEditTest, UnboundTextOrIntegerEditIgnoresUnitChanges) {
    edit->SetFormat("%d");
    edit->SetValue(5.0);
    edit->SetUnit(3);
    EXPECT_EQ(text(), "5");
    EXPECT_EQ(edit->UnitIndex(), 3); // not clamped without a category
}

TEST_F(FmtEditTest, LabelControlMayBeDestroyedFirst) {
    auto label = std::make_unique<QLabel>();
    edit->SetFormat("%S");
    edit->SetLabelControl(label.get());
    EXPECT_EQ(edit->Format(), "%0.1f"); // a label means a number
    label.reset();
    edit->SetCategory(UnitCategory::Time);
    edit->SetValue(60.0);
    edit->SetUnit(1);
    EXPECT_EQ(text(), "1.00");
}

} // namespace
} // namespace corvel
