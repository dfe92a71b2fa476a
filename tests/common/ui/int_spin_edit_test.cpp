#include "common/ui/int_spin_edit.h"

#include "support/spin_field.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <climits>

using common::ui::ArrowButtons;
using common::ui::IntSpinEdit;
using common::ui::RepeatButton;

namespace {

using testing_support::BeepCounter;

struct Field : testing_support::ShownSpinField<IntSpinEdit> {
    Field() : ShownSpinField(80) {}
};

}  // namespace

TEST(IntSpinEdit, UnreadableTextReadsAsMinimumAndDefaultsDoNotClamp) {
    IntSpinEdit spin;
    EXPECT_EQ(spin.Text(), "0");
    spin.SetText("1-2");
    EXPECT_EQ(spin.Value(), 0);
    spin.SetMinValue(3);
    spin.SetMaxValue(9);
    EXPECT_EQ(spin.Value(), 3);
    spin.SetText("");
    EXPECT_EQ(spin.Value(), 3);
    spin.SetText(" 7 ");
    EXPECT_EQ(spin.Value(), 7);

    IntSpinEdit equal;
    equal.SetMinValue(5);
    equal.SetMaxValue(5);
    equal.SetValue(-40);
    EXPECT_EQ(equal.Text(), "-40");
    equal.SetValue(1000);
    EXPECT_EQ(equal.Value(), 1000);
}

TEST(IntSpinEdit, SetValueClampsAndProgrammaticChangesAreSilent) {
    IntSpinEdit spin;
    spin.SetMinValue(1);
    spin.SetMaxValue(13);
    QSignalSpy user(&spin, &IntSpinEdit::UserChanged);
    spin.SetValue(20);
    EXPECT_EQ(spin.Text(), "13");
    spin.SetValue(-3);
    EXPECT_EQ(spin.Text(), "1");
    spin.SetText("abc");  // shown as it is
    EXPECT_EQ(spin.Text(), "abc");
    EXPECT_EQ(user.count(), 0);
}

TEST(IntSpinEdit, ArrowsAndKeysStepFromTheText) {
    Field f;
    BeepCounter beeps;
    f.spin->SetMinValue(0);
    f.spin->SetMaxValue(10);
    f.spin->SetIncrement(3);
    f.spin->SetValue(4);
    QSignalSpy user(f.spin, &IntSpinEdit::UserChanged);
    f.Enter();
    QTest::keyClick(f.spin->Editor(), Qt::Key_Up);
    EXPECT_EQ(f.spin->Text(), "7");
    QTest::keyClick(f.spin->Editor(), Qt::Key_Up);
    EXPECT_EQ(f.spin->Text(), "10");  // clamped at the maximum
    QTest::keyClick(f.spin->Editor(), Qt::Key_Up);
    EXPECT_EQ(f.spin->Text(), "10");
    QTest::keyClick(f.spin->Editor(), Qt::Key_Down);
    EXPECT_EQ(f.spin->Text(), "7");
    EXPECT_EQ(user.count(), 3);  // the step that changed nothing is not a change

    // Garbage reads as the minimum, then steps.
    f.spin->SetText("x");
    QTest::keyClick(f.spin->Editor(), Qt::Key_Up);
    EXPECT_EQ(f.spin->Text(), "3");
    EXPECT_EQ(beeps.count, 0);
}

TEST(IntSpinEdit, SteppingAtTheIntegerLimitsDoesNotOverflow) {
    IntSpinEdit spin;
    spin.SetIncrement(10);
    spin.SetValue(INT_MAX - 3);
    spin.StepUp();
    EXPECT_EQ(spin.Value(), INT_MAX);
    spin.SetValue(INT_MIN + 1);
    spin.StepDown();
    EXPECT_EQ(spin.Value(), INT_MIN);
}

TEST(IntSpinEdit, LeavingClampsOnlyWhenOutOfRange) {
    Field f;
    f.spin->SetMinValue(0);
    f.spin->SetMaxValue(10);
    QSignalSpy user(f.spin, &IntSpinEdit::UserChanged);
    QSignalSpy finished(f.spin, &IntSpinEdit::EditingFinished);
    f.Enter();
    f.spin->Editor()->selectAll();
    QTest::keyClicks(f.spin->Editor(), "12");
    EXPECT_EQ(f.spin->Text(), "12");
    const int typed = user.count();
    EXPECT_GE(typed, 1);
    f.Leave();
    EXPECT_EQ(f.spin->Text(), "10");
    EXPECT_EQ(user.count(), typed + 1);
    EXPECT_GE(finished.count(), 1);

    // In range, or unreadable (reads as the minimum, which is in range): kept.
    f.spin->SetText("1-");
    f.Enter();
    f.Leave();
    EXPECT_EQ(f.spin->Text(), "1-");
    EXPECT_EQ(user.count(), typed + 1);
}

TEST(IntSpinEdit, TypedCharactersAreFiltered) {
    Field f;
    BeepCounter beeps;
    f.Enter();
    f.spin->Editor()->selectAll();
    QTest::keyClicks(f.spin->Editor(), "-1a2+");
    EXPECT_EQ(f.spin->Text(), "-12+");
    EXPECT_EQ(beeps.count, 1);
    QTest::keyClick(f.spin->Editor(), Qt::Key_Backspace);
    EXPECT_EQ(f.spin->Text(), "-12");
    QTest::keyClick(f.spin->Editor(), Qt::Key_Return);  // never reaches the text
    EXPECT_EQ(f.spin->Text(), "-12");
}

TEST(IntSpinEdit, EditorDisabledRefusesTypingButArrowsWork) {
    Field f;
    BeepCounter beeps;
    f.spin->SetEditorEnabled(false);
    f.spin->SetValue(5);
    f.Enter();
    f.spin->Editor()->end(false);
    QTest::keyClicks(f.spin->Editor(), "7");
    QTest::keyClick(f.spin->Editor(), Qt::Key_Backspace);
    QTest::keyClick(f.spin->Editor(), Qt::Key_Home);
    QTest::keyClick(f.spin->Editor(), Qt::Key_Delete);
    EXPECT_EQ(f.spin->Text(), "5");
    EXPECT_EQ(beeps.count, 3);
    QTest::keyClick(f.spin->Editor(), Qt::Key_Up);
    EXPECT_EQ(f.spin->Text(), "6");
    QTest::mouseClick(f.spin->Arrows()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(f.spin->Text(), "5");
}

TEST(IntSpinEdit, ReadOnlyArrowsBeepAndChangeNothing) {
    Field f;
    BeepCounter beeps;
    f.spin->SetReadOnly(true);
    f.spin->SetValue(2);
    QSignalSpy user(f.spin, &IntSpinEdit::UserChanged);
    f.Enter();
    QTest::keyClick(f.spin->Editor(), Qt::Key_Up);
    QTest::mouseClick(f.spin->Arrows()->UpButton(), Qt::LeftButton);
    QTest::keyClicks(f.spin->Editor(), "3");
    EXPECT_EQ(f.spin->Text(), "2");
    EXPECT_EQ(beeps.count, 2);
    EXPECT_EQ(user.count(), 0);
}

TEST(IntSpinEdit, HeldArrowRepeatsAfter400ThenEvery100Ms) {
    Field f;
    RepeatButton* up = f.spin->Arrows()->UpButton();
    QSignalSpy steps(up, &RepeatButton::Step);
    QTest::mousePress(up, Qt::LeftButton);
    EXPECT_EQ(f.spin->Value(), 1);  // the press itself steps once
    ASSERT_TRUE(up->RepeatTimer()->isActive());
    EXPECT_EQ(up->RepeatTimer()->interval(), 400);

    // Nothing more until the timer runs out; each timeout repeats once.
    QApplication::processEvents();
    EXPECT_EQ(steps.count(), 1);
    up->Tick();
    EXPECT_EQ(steps.count(), 2);
    EXPECT_EQ(up->RepeatTimer()->interval(), 100);
    up->Tick();
    up->Tick();
    EXPECT_EQ(steps.count(), 4);

    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_FALSE(up->RepeatTimer()->isActive());
    const int held = steps.count();
    up->Tick();  // a timeout already queued at the release
    EXPECT_EQ(steps.count(), held);
    EXPECT_EQ(f.spin->Value(), held);
}

TEST(IntSpinEdit, ArrowsSitInsideTheRightEdge) {
    Field f;
    ArrowButtons* arrows = f.spin->Arrows();
    EXPECT_EQ(arrows->width(), ArrowButtons::kWidth);
    EXPECT_LE(arrows->geometry().right(), f.spin->Editor()->width() - 1);
    EXPECT_GE(arrows->x(), f.spin->Editor()->width() - ArrowButtons::kWidth - 5);
    EXPECT_EQ(f.spin->Editor()->textMargins().right(), ArrowButtons::kWidth + 2);
    f.spin->resize(140, 24);
    QApplication::processEvents();
    EXPECT_EQ(arrows->x() + arrows->width() + 2, f.spin->Editor()->width());
}

namespace {
// A key press as the X server delivers it: Delete carries the character 127.
void PressXKey(QWidget* target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}
}  // namespace

TEST(SpinAcceptsChar, ControlCharactersAreEditingKeysUnlessTypingIsOff) {
    using common::ui::SpinAcceptsChar;
    for (char16_t c : {u'0', u'9', u'+', u'-', u'.', u',', u'\x7f', u'\b', u'\t', u'\x1b'})
        EXPECT_TRUE(SpinAcceptsChar(QChar(c), true)) << int(c);
    for (char16_t c : {u'a', u'e', u' ', u'\r', u'\n', u'\u00e9'})
        EXPECT_FALSE(SpinAcceptsChar(QChar(c), true)) << int(c);
    for (char16_t c : {u'0', u'.', u'\x7f', u'\b', u'\r'})
        EXPECT_FALSE(SpinAcceptsChar(QChar(c), false)) << int(c);
    EXPECT_TRUE(SpinAcceptsChar(QChar(u'\t'), false));
}

TEST(IntSpinEdit, DeleteKeyWithItsCharacterEdits) {
    Field f;
    BeepCounter beeps;
    f.spin->SetValue(18);
    QSignalSpy user(f.spin, &IntSpinEdit::UserChanged);
    f.Enter();
    f.spin->Editor()->home(false);
    PressXKey(f.spin->Editor(), Qt::Key_Delete, QString(QChar(127)));
    EXPECT_EQ(f.spin->Text(), "8");
    f.spin->Editor()->selectAll();
    PressXKey(f.spin->Editor(), Qt::Key_Delete, QString(QChar(127)));
    EXPECT_EQ(f.spin->Text(), "");
    EXPECT_EQ(beeps.count, 0);
    EXPECT_EQ(user.count(), 2);

    // Typing off: Delete still beeps and leaves the text.
    f.spin->SetValue(18);
    f.spin->SetEditorEnabled(false);
    f.spin->Editor()->home(false);
    PressXKey(f.spin->Editor(), Qt::Key_Delete, QString(QChar(127)));
    EXPECT_EQ(f.spin->Text(), "18");
    EXPECT_EQ(beeps.count, 1);
}
