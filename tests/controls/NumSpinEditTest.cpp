// The spin edit's behaviour: the typing filter per value type, reading and
// writing the value, the range check on leaving but not on Enter, stepping
// by keys and by the spin button with its repeat cadence, and AutoSelect.
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "ControlsTestUtil.h"
#include "controls/Beep.h"
#include "controls/LumButton.h"
#include "controls/NumSpin.h"
#include "platform/NumberLocale.h"

namespace quillet {
namespace {

using namespace test;

// Counts the beeps while it lives.
struct BeepCounter {
    int count = 0;
    BeepCounter()
    {
        SetBeepHook([this] { ++count; });
    }
    ~BeepCounter() { SetBeepHook({}); }
};

// A dialog with the box, a second box to tab to, and OK (default) and cancel
// buttons, as the page setup dialog has them.
struct DialogRig {
    QDialog dialog;
    TNumSpinEdit* spin = new TNumSpinEdit(&dialog);
    QLineEdit* other = new QLineEdit(&dialog);
    TLumButton* ok = new TLumButton(QStringLiteral("OK"), &dialog);
    TLumButton* cancel = new TLumButton(QStringLiteral("Cancel"), &dialog);
    DialogRig()
    {
        spin->setGeometry(10, 10, 100, 24);
        other->setGeometry(10, 40, 100, 24);
        ok->move(10, 70);
        cancel->move(90, 70);
        ok->setDefault(true);
        cancel->SetCancel(true);
        ShowActive(dialog);
        spin->setFocus();
    }
};

struct TypingCase {
    TNumValueType type;
    const char* typed;
    const char* shown;
    int beeps;
};

// Only the characters a number of the box's type can hold get in; every other
// one beeps and changes nothing.
TEST(NumSpinEdit, TypingFilterPerValueType)
{
    const TypingCase cases[] = {
        { TNumValueType::Integer, "-12a+3.5 ", "-12+35", 3 },
        { TNumValueType::Float, "1.5e3.E,x", "1.5e3", 4 },
        { TNumValueType::Float, "-2E-7.", "-2E-7.", 0 },
        { TNumValueType::Hex, "1aF-gG0x", "1aF-0", 3 },
    };
    for (const TypingCase& c : cases) {
        DialogRig rig;
        rig.spin->SetValueType(c.type);
        rig.spin->clear();
        BeepCounter beeps;
        QTest::keyClicks(rig.spin, QString::fromLatin1(c.typed));
        EXPECT_EQ(rig.spin->text(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(beeps.count, c.beeps) << c.typed;
        // Control characters pass.
        QTest::keyClick(rig.spin, Qt::Key_Backspace);
        EXPECT_EQ(rig.spin->text().size(), static_cast<int>(strlen(c.shown)) - 1) << c.typed;
        EXPECT_EQ(beeps.count, c.beeps);
    }
}

// With the editor switched off no character gets in, Backspace neither;
// moving the cursor is still allowed. Pasting text typing could not produce
// is refused with a beep.
TEST(NumSpinEdit, EditorOffAndPastes)
{
    DialogRig rig;
    BeepCounter beeps;
    rig.spin->SetValue(42);
    rig.spin->SetEditorEnabled(false);
    QTest::keyClicks(rig.spin, QStringLiteral("5"));
    QTest::keyClick(rig.spin, Qt::Key_Backspace);
    QTest::keyClick(rig.spin, Qt::Key_Delete);
    EXPECT_EQ(rig.spin->text(), QStringLiteral("42"));
    EXPECT_EQ(beeps.count, 3);
    QTest::keyClick(rig.spin, Qt::Key_Left);
    EXPECT_EQ(beeps.count, 3);

    rig.spin->SetEditorEnabled(true);
    rig.spin->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("12x"));
    QTest::keyClick(rig.spin, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(rig.spin->text(), QStringLiteral("42"));
    EXPECT_EQ(beeps.count, 4);
    QApplication::clipboard()->setText(QStringLiteral("77"));
    rig.spin->selectAll();
    QTest::keyClick(rig.spin, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(rig.spin->text(), QStringLiteral("77"));
    EXPECT_EQ(beeps.count, 4);
}

// MinValue 2, MaxValue 500: 900 and Tab shows 500, 1 and Tab shows 2; 900 and
// Enter leaves 900 (read as 900) and clicks the default button; Esc clicks
// the cancel button and leaves the text alone.
TEST(NumSpinEdit, RangeOnLeavingNotOnEnter)
{
    DialogRig rig;
    rig.spin->SetMinValue(2);
    rig.spin->SetMaxValue(500);
    rig.spin->SetValue(10);
    QSignalSpy okClicked(rig.ok, &QPushButton::clicked);
    QSignalSpy cancelClicked(rig.cancel, &QPushButton::clicked);

    rig.spin->selectAll();
    QTest::keyClicks(rig.spin, QStringLiteral("900"));
    QTest::keyClick(rig.spin, Qt::Key_Tab);
    EXPECT_TRUE(rig.other->hasFocus());
    EXPECT_EQ(rig.spin->text(), QStringLiteral("500"));

    rig.spin->setFocus();
    rig.spin->selectAll();
    QTest::keyClicks(rig.spin, QStringLiteral("1"));
    rig.other->setFocus();
    EXPECT_EQ(rig.spin->text(), QStringLiteral("2"));

    rig.spin->setFocus();
    rig.spin->selectAll();
    QTest::keyClicks(rig.spin, QStringLiteral("900"));
    QTest::keyClick(rig.spin, Qt::Key_Return);
    EXPECT_EQ(okClicked.count(), 1);
    EXPECT_EQ(rig.spin->text(), QStringLiteral("900"));
    EXPECT_EQ(rig.spin->Value(), 900);

    rig.dialog.show();
    rig.spin->setFocus();
    QTest::keyClick(rig.spin, Qt::Key_Escape);
    EXPECT_EQ(cancelClicked.count(), 1);
    EXPECT_EQ(rig.spin->text(), QStringLiteral("900"));

    // In range, or an empty box: leaving changes nothing.
    rig.dialog.show();
    rig.spin->setFocus();
    rig.spin->clear();
    rig.other->setFocus();
    EXPECT_EQ(rig.spin->text(), QString());
    EXPECT_EQ(rig.spin->Value(), 2);
}

// Texts that are no number read as MinValue (cut to a whole number for the
// whole-number types); so do numbers too long for 64 bits, without overflow.
TEST(NumSpinEdit, UnreadableTextReadsMinValue)
{
    TNumSpinEdit spin;
    spin.SetMinValue(2.7);
    spin.SetMaxValue(500);
    for (const char* text : { "", "-", "+", "1-2", "99999999999999999999999", "-99999999999999999999999" }) {
        spin.setText(QString::fromLatin1(text));
        EXPECT_EQ(spin.Value(), 2) << text;
        EXPECT_EQ(spin.AsInteger(), 2) << text;
    }
    spin.setText(QStringLiteral("900"));
    EXPECT_EQ(spin.Value(), 900); // reading applies no range

    spin.SetValueType(TNumValueType::Hex);
    for (const char* text : { "", "-", "FFFFFFFFFFFFFFFFFFFF" }) {
        spin.setText(QString::fromLatin1(text));
        EXPECT_EQ(spin.Value(), 2) << text;
    }
    spin.setText(QStringLiteral("7fffffffffffffff"));
    EXPECT_EQ(spin.AsInteger(), LLONG_MAX);

    spin.SetValueType(TNumValueType::Float);
    for (const char* text : { "", "-", "1e", "1e99999", "." }) {
        spin.setText(QString::fromLatin1(text));
        EXPECT_DOUBLE_EQ(spin.Value(), 2.7) << text;
    }
    spin.SetMinValue(0);
    spin.SetMaxValue(0);
    spin.setText(QStringLiteral("1e300"));
    EXPECT_EQ(spin.AsInteger(), LLONG_MAX);
    spin.setText(QStringLiteral("-1e300"));
    EXPECT_EQ(spin.AsInteger(), LLONG_MIN);
    spin.setText(QStringLiteral("-7.9"));
    EXPECT_EQ(spin.AsInteger(), -7);
}

// Writing the value: whole numbers rounded half to even, hexadecimal with a
// sign, fixed decimals for floats in the user's decimal separator; the range
// applies unless the bounds are equal; a changed type keeps the value.
TEST(NumSpinEdit, WritingTheValue)
{
    TNumSpinEdit spin;
    EXPECT_EQ(spin.text(), QStringLiteral("0"));
    EXPECT_EQ(spin.Value(), 0);
    const std::pair<double, const char*> whole[] = { { 2.5, "2" }, { 3.5, "4" }, { -2.5, "-2" },
        { -0.4, "0" }, { 1e6, "1000000" }, { 123456789012.0, "123456789012" } };
    for (const auto& [value, text] : whole) {
        spin.SetValue(value);
        EXPECT_EQ(spin.text(), QString::fromLatin1(text)) << value;
    }
    spin.SetValue(std::nan(""));
    EXPECT_EQ(spin.text(), QStringLiteral("0"));

    spin.SetMinValue(-10);
    spin.SetMaxValue(10);
    spin.SetValue(11);
    EXPECT_EQ(spin.text(), QStringLiteral("10"));
    spin.SetValue(-1e300);
    EXPECT_EQ(spin.text(), QStringLiteral("-10"));

    spin.SetMinValue(-1000);
    spin.SetMaxValue(1000);
    spin.SetValue(255);
    spin.SetValueType(TNumValueType::Hex);
    EXPECT_EQ(spin.text(), QStringLiteral("FF"));
    spin.SetValue(-255);
    EXPECT_EQ(spin.text(), QStringLiteral("-FF"));
    EXPECT_EQ(spin.Value(), -255);

    spin.SetValueType(TNumValueType::Float);
    EXPECT_EQ(spin.text(), QStringLiteral("-255.00"));
    spin.SetValue(3.14159);
    EXPECT_EQ(spin.text(), QStringLiteral("3.14"));
    spin.SetDecimal(0);
    EXPECT_EQ(spin.text(), QStringLiteral("3"));
    spin.SetDecimal(3);
    spin.SetValue(2.5);
    EXPECT_EQ(spin.text(), QStringLiteral("2.500"));

    // A comma-decimal desktop writes, reads and types the comma.
    const NumberLocale saved = CurrentNumberLocale();
    SetCurrentNumberLocale(NumberLocale { '.', ',' });
    spin.SetValue(1.25);
    EXPECT_EQ(spin.text(), QStringLiteral("1,250"));
    EXPECT_DOUBLE_EQ(spin.Value(), 1.25);
    spin.clear();
    BeepCounter beeps;
    QTest::keyClicks(&spin, QStringLiteral("2.,5"));
    EXPECT_EQ(spin.text(), QStringLiteral("2,5"));
    EXPECT_EQ(beeps.count, 1);
    SetCurrentNumberLocale(saved);
}

// Up and Down step by Increment within the range, mark the box modified and
// report the change once; at a bound nothing changes; a read-only box beeps;
// without ArrowKeys the keys do not step.
TEST(NumSpinEdit, StepsByKeys)
{
    DialogRig rig;
    TNumSpinEdit& spin = *rig.spin;
    spin.SetMinValue(0);
    spin.SetMaxValue(2);
    spin.SetValue(1);
    spin.setModified(false);
    QSignalSpy changed(&spin, &QLineEdit::textChanged);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.text(), QStringLiteral("2"));
    EXPECT_TRUE(spin.isModified());
    EXPECT_EQ(changed.count(), 1);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.text(), QStringLiteral("2"));
    EXPECT_EQ(changed.count(), 1);
    QTest::keyClick(&spin, Qt::Key_Down);
    QTest::keyClick(&spin, Qt::Key_Down);
    QTest::keyClick(&spin, Qt::Key_Down);
    EXPECT_EQ(spin.text(), QStringLiteral("0"));
    EXPECT_EQ(changed.count(), 3);

    spin.SetValueType(TNumValueType::Float);
    spin.SetIncrement(0.25);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.text(), QStringLiteral("0.25"));

    BeepCounter beeps;
    spin.setReadOnly(true);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.text(), QStringLiteral("0.25"));
    EXPECT_EQ(beeps.count, 1);
    spin.setReadOnly(false);
    spin.SetArrowKeys(false);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.text(), QStringLiteral("0.25"));
    EXPECT_EQ(beeps.count, 1);
}

// AutoSelect selects the whole text when the box is entered by keyboard but
// not by a mouse click; switched off it selects nothing.
TEST(NumSpinEdit, AutoSelectOnEntering)
{
    DialogRig rig;
    rig.spin->SetValue(123);
    EXPECT_TRUE(rig.spin->AutoSelect());
    rig.other->setFocus();
    rig.spin->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(rig.spin->selectedText(), QStringLiteral("123"));
    rig.other->setFocus();
    rig.spin->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(rig.spin->hasSelectedText());
    rig.spin->SetAutoSelect(false);
    rig.other->setFocus();
    rig.spin->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(rig.spin->hasSelectedText());
}

QPoint UpperHalf(QWidget* button)
{
    return QPoint(button->width() / 4, button->height() / 4);
}
QPoint LowerHalf(QWidget* button)
{
    return QPoint(button->width() * 3 / 4, button->height() * 3 / 4);
}

// A press on the button takes the focus into the box and steps at once; the
// repeat waits 400 ms, then 100 ms; release ends it. The standard up-down
// button steps the same way.
TEST(NumSpinEdit, SpinButtonStepsAndRepeatCadence)
{
    DialogRig rig;
    rig.other->setFocus();
    TSpinButtonBase* button = rig.spin->Button();
    EXPECT_EQ(button->FirstRepeatInterval(), 400);
    EXPECT_EQ(button->RepeatInterval(), 100);
    QTest::mousePress(button, Qt::LeftButton, {}, UpperHalf(button));
    EXPECT_TRUE(rig.spin->hasFocus());
    EXPECT_EQ(rig.spin->text(), QStringLiteral("1"));
    EXPECT_EQ(button->PressedHalf(), TSpinHalf::Up);
    EXPECT_TRUE(button->Repeating());
    EXPECT_EQ(button->CurrentRepeatWait(), 400);
    QTest::mouseRelease(button, Qt::LeftButton, {}, UpperHalf(button));
    EXPECT_FALSE(button->Repeating());
    EXPECT_EQ(button->PressedHalf(), TSpinHalf::None);
    QTest::mouseClick(button, Qt::LeftButton, {}, LowerHalf(button));
    QTest::mouseClick(button, Qt::LeftButton, {}, LowerHalf(button));
    EXPECT_EQ(rig.spin->text(), QStringLiteral("-1"));

    // Held down on the lower half with a shortened cadence: one step at once,
    // the next after the first wait, then one per interval.
    const int first = 150;
    const int next = 40;
    button->SetRepeatIntervals(first, next);
    rig.spin->SetValue(100);
    QList<qint64> stepTimes;
    QElapsedTimer clock;
    QObject::connect(rig.spin, &QLineEdit::textChanged, [&] { stepTimes.append(clock.elapsed()); });
    clock.start();
    QTest::mousePress(button, Qt::LeftButton, {}, LowerHalf(button));
    ASSERT_EQ(stepTimes.size(), 1);
    EXPECT_EQ(button->CurrentRepeatWait(), first);
    QTRY_VERIFY_WITH_TIMEOUT(stepTimes.size() >= 2, 5000);
    EXPECT_EQ(button->CurrentRepeatWait(), next);
    QTRY_VERIFY_WITH_TIMEOUT(stepTimes.size() >= 5, 5000);
    QTest::mouseRelease(button, Qt::LeftButton, {}, LowerHalf(button));
    EXPECT_GE(stepTimes[1] - stepTimes[0], first * 9 / 10);
    for (int i = 2; i < stepTimes.size(); ++i)
        EXPECT_GE(stepTimes[i] - stepTimes[i - 1], next * 9 / 10) << i;
    const int steps = stepTimes.size();
    EXPECT_EQ(rig.spin->Value(), 100 - steps);
    QTest::qWait(3 * next);
    EXPECT_EQ(stepTimes.size(), steps);

    rig.spin->SetButtonKind(TNumSpinButtonKind::Standard);
    button = rig.spin->Button();
    rig.spin->SetValue(5);
    QTest::mouseClick(button, Qt::LeftButton, {}, UpperHalf(button));
    EXPECT_EQ(rig.spin->text(), QStringLiteral("6"));
    QTest::mouseClick(button, Qt::LeftButton, {}, LowerHalf(button));
    QTest::mouseClick(button, Qt::LeftButton, {}, LowerHalf(button));
    EXPECT_EQ(rig.spin->text(), QStringLiteral("4"));
}

// Dragging the held mouse off the pressed half shows the button unpressed and
// stops the steps; back on the half they go on.
TEST(NumSpinEdit, LeavingThePressedHalfPausesTheRepeat)
{
    DialogRig rig;
    TSpinButtonBase* button = rig.spin->Button();
    button->SetRepeatIntervals(20, 10);
    QTest::mousePress(button, Qt::LeftButton, {}, UpperHalf(button));
    QTest::mouseMove(button, LowerHalf(button));
    EXPECT_EQ(button->HeldHalf(), TSpinHalf::Up);
    EXPECT_EQ(button->PressedHalf(), TSpinHalf::None);
    const QString paused = rig.spin->text();
    QTest::qWait(80);
    EXPECT_EQ(rig.spin->text(), paused);
    QTest::mouseMove(button, UpperHalf(button));
    EXPECT_EQ(button->PressedHalf(), TSpinHalf::Up);
    QTRY_VERIFY_WITH_TIMEOUT(rig.spin->Value() > paused.toInt(), 5000);
    QTest::mouseRelease(button, Qt::LeftButton, {}, UpperHalf(button));
}

// The repeat ends when the box is disabled or hidden while the button is
// held, and a box destroyed while held leaves no timer behind.
TEST(NumSpinEdit, RepeatStopsWhenDisabledHiddenOrDestroyed)
{
    DialogRig rig;
    TSpinButtonBase* button = rig.spin->Button();
    button->SetRepeatIntervals(10, 10);
    QTest::mousePress(button, Qt::LeftButton, {}, UpperHalf(button));
    ASSERT_TRUE(button->Repeating());
    rig.spin->setEnabled(false);
    EXPECT_FALSE(button->Repeating());
    EXPECT_EQ(button->PressedHalf(), TSpinHalf::None);
    const QString atDisable = rig.spin->text();
    QTest::qWait(40);
    EXPECT_EQ(rig.spin->text(), atDisable);

    rig.spin->setEnabled(true);
    QTest::mousePress(button, Qt::LeftButton, {}, UpperHalf(button));
    ASSERT_TRUE(button->Repeating());
    rig.spin->hide();
    EXPECT_FALSE(button->Repeating());

    rig.spin->show();
    QTest::mousePress(button, Qt::LeftButton, {}, UpperHalf(button));
    ASSERT_TRUE(button->Repeating());
    delete rig.spin;
    rig.spin = nullptr;
    QTest::qWait(40); // a live timer would step a deleted box here
    QTest::mouseRelease(rig.other, Qt::LeftButton);
}

} // namespace
} // namespace quillet
