#include "myogrid/real_spin_edit.h"

#include "support/spin_field.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using myogrid::RealSpinEdit;

namespace {

using testing_support::BeepCounter;

struct Field : testing_support::ShownSpinField<RealSpinEdit> {
    Field() : ShownSpinField(90) {}
};

}  // namespace

TEST(RealSpinEdit, DefaultsNeverClampAndUnreadableTextReadsAsMinimum) {
    RealSpinEdit spin;
    EXPECT_EQ(spin.Text(), "0");
    EXPECT_EQ(spin.Increment(), 1.0);
    spin.SetValue(-1e20);
    EXPECT_EQ(spin.Value(), -1e20);
    spin.SetText("1-2");
    EXPECT_EQ(spin.Value(), 0.0);
    spin.SetMinValue(-3.5);
    spin.SetMaxValue(2);
    EXPECT_EQ(spin.Value(), -3.5);
    spin.SetValue(7.25);
    EXPECT_EQ(spin.Text(), "2");
    spin.SetValue(-0.22);
    EXPECT_EQ(spin.Text(), "-0.22");
}

TEST(RealSpinEdit, WritesTheShortestGeneralForm) {
    RealSpinEdit spin;
    spin.SetValue(0.5);
    EXPECT_EQ(spin.Text(), "0.5");
    spin.SetValue(1.0 / 3.0);
    EXPECT_EQ(spin.Text(), "0.333333333333333");
    spin.SetValue(0.000001);
    EXPECT_EQ(spin.Text(), "1E-6");
    spin.SetValue(0.0);
    EXPECT_EQ(spin.Text(), "0");
}

TEST(RealSpinEdit, StepsReReadTheTextSoTenthsStayExact) {
    RealSpinEdit spin;
    spin.SetIncrement(0.1);
    QStringList shown;
    for (int i = 0; i < 10; ++i) {
        spin.StepUp();
        shown << spin.Text();
    }
    EXPECT_EQ(shown.join(' '), "0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1");
    for (int i = 0; i < 10; ++i) spin.StepDown();
    EXPECT_EQ(spin.Text(), "0");
}

TEST(RealSpinEdit, UpKeyStepsFromTheTextOrFromTheMinimum) {
    Field f;
    QSignalSpy user(f.spin, &RealSpinEdit::UserChanged);
    f.spin->SetText("0.5");
    f.Enter();
    QTest::keyClick(f.spin->Editor(), Qt::Key_Up);
    EXPECT_EQ(f.spin->Text(), "1.5");
    f.spin->SetText("--");
    QTest::keyClick(f.spin->Editor(), Qt::Key_Up);
    EXPECT_EQ(f.spin->Text(), "1");
    QTest::keyClick(f.spin->Editor(), Qt::Key_Down);
    EXPECT_EQ(f.spin->Text(), "0");
    QTest::mouseClick(f.spin->Arrows()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(f.spin->Text(), "-1");
    EXPECT_EQ(user.count(), 4);
}

TEST(RealSpinEdit, LeavingClampsTypedValues) {
    Field f;
    f.spin->SetMinValue(0);
    f.spin->SetMaxValue(10);
    QSignalSpy user(f.spin, &RealSpinEdit::UserChanged);
    f.Enter();
    f.spin->Editor()->selectAll();
    QTest::keyClicks(f.spin->Editor(), "12");
    const int typed = user.count();
    f.Leave();
    EXPECT_EQ(f.spin->Text(), "10");
    EXPECT_EQ(user.count(), typed + 1);
    // An in-range value keeps its own spelling.
    f.spin->SetText("2.50");
    f.Enter();
    f.Leave();
    EXPECT_EQ(f.spin->Text(), "2.50");
}

TEST(RealSpinEdit, EndOfEditingShowsTheValueInUseAndACommaIsThePoint) {
    const struct {
        const char* typed;
        double value;
        const char* shown;
    } cases[] = {
        {"0,7", 0.7, "0.7"}, {"-", -2, "-2"},     {"", -2, "-2"},
        {"1.2.3", -2, "-2"}, {"1,2,3", -2, "-2"}, {"1.5,2", -2, "-2"},
    };
    for (bool byEnter : {false, true}) {
        for (const auto& c : cases) {
            Field f;
            f.spin->SetMinValue(-2);
            f.spin->SetMaxValue(10);
            f.Enter();
            f.spin->Editor()->selectAll();
            QTest::keyClick(f.spin->Editor(), Qt::Key_Delete);
            QTest::keyClicks(f.spin->Editor(), c.typed);
            EXPECT_EQ(f.spin->Text(), c.typed) << "every character typed is kept";
            EXPECT_EQ(f.spin->Value(), c.value) << c.typed;
            if (byEnter)
                QTest::keyClick(f.spin->Editor(), Qt::Key_Return);
            else
                f.Leave();
            EXPECT_EQ(f.spin->Text(), c.shown) << c.typed;
        }
    }
}

TEST(RealSpinEdit, KeyFilterEditorEnabledAndReadOnly) {
    Field f;
    BeepCounter beeps;
    f.Enter();
    f.spin->Editor()->selectAll();
    QTest::keyClicks(f.spin->Editor(), "-0.7e5");
    EXPECT_EQ(f.spin->Text(), "-0.75");  // 'e' refused
    EXPECT_EQ(beeps.count, 1);

    f.spin->SetEditorEnabled(false);
    QTest::keyClicks(f.spin->Editor(), "1");
    QTest::keyClick(f.spin->Editor(), Qt::Key_Backspace);
    EXPECT_EQ(f.spin->Text(), "-0.75");
    EXPECT_EQ(beeps.count, 3);
    QTest::keyClick(f.spin->Editor(), Qt::Key_Up);
    EXPECT_EQ(f.spin->Text(), "0.25");

    f.spin->SetEditorEnabled(true);
    f.spin->SetReadOnly(true);
    QSignalSpy user(f.spin, &RealSpinEdit::UserChanged);
    QTest::keyClick(f.spin->Editor(), Qt::Key_Down);
    QTest::mouseClick(f.spin->Arrows()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(f.spin->Text(), "0.25");
    EXPECT_EQ(beeps.count, 5);
    EXPECT_EQ(user.count(), 0);
}

TEST(RealSpinEdit, HeldArrowRepeatsWithTheSpinTiming) {
    Field f;
    f.spin->SetIncrement(0.5);
    auto* down = f.spin->Arrows()->DownButton();
    QTest::mousePress(down, Qt::LeftButton);
    EXPECT_EQ(f.spin->Text(), "-0.5");
    EXPECT_EQ(down->RepeatTimer()->interval(), 400);
    down->Tick();  // the repeat timer's first timeout
    EXPECT_EQ(f.spin->Text(), "-1");
    EXPECT_EQ(down->RepeatTimer()->interval(), 100);
    QTest::mouseRelease(down, Qt::LeftButton);
    EXPECT_FALSE(down->RepeatTimer()->isActive());
}

TEST(RealSpinEdit, ProgrammaticChangesAreSilent) {
    RealSpinEdit spin;
    QSignalSpy user(&spin, &RealSpinEdit::UserChanged);
    spin.SetValue(3.5);
    spin.SetText("x");
    EXPECT_EQ(user.count(), 0);
}

TEST(RealSpinEdit, DeleteKeyWithItsCharacterEdits) {
    // X11 delivers Delete with the character 127.
    const auto pressDelete = [](QWidget* target) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(127)));
        QApplication::sendEvent(target, &press);
    };
    Field f;
    BeepCounter beeps;
    f.spin->SetValue(0.5);
    f.Enter();
    f.spin->Editor()->home(false);
    pressDelete(f.spin->Editor());
    EXPECT_EQ(f.spin->Text(), ".5");
    EXPECT_DOUBLE_EQ(f.spin->Value(), 0.5);
    f.spin->Editor()->selectAll();
    pressDelete(f.spin->Editor());
    EXPECT_EQ(f.spin->Text(), "");
    EXPECT_EQ(beeps.count, 0);

    f.spin->SetValue(2.5);
    f.spin->SetEditorEnabled(false);
    f.spin->Editor()->selectAll();
    pressDelete(f.spin->Editor());
    EXPECT_EQ(f.spin->Text(), "2.5");
    EXPECT_EQ(beeps.count, 1);
}
